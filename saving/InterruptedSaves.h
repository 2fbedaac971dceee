// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Repairs what saves into `folder` left behind when they were killed: every interrupted
// replacement of a result pair is completed or undone as its intent file says (so each
// pair is either both old files or both new ones), and the hidden files of finished or
// abandoned saves are removed. Only this program's own files are touched, recognised by
// name and contents: an intent file must be complete and intact; a hidden new file without
// an intent is removed only when its contents are the start of a result file. Saves still
// running (in this or another program instance) are left alone.
// Call it before reading a folder's result files. Returns an empty text, or what could not
// be repaired (for instance in a folder this user may not write).
QString RecoverInterruptedSaves(const QString& folder);
