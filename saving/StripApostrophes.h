// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Removes the first 100 apostrophes ("'", U+0027) of a text, searching from the start each
// time; a text with more keeps the 101st and later ones. No other character is touched.
//
// It works on the QString the text box gives, by UTF-16 code unit: U+0027 is never half of a
// surrogate pair, so letters outside ASCII (accents, CJK, emoji) pass through unchanged and
// no encoding round trip can alter them. The employee details are the only texts it cleans.
QString StripApostrophes(const QString& text);
