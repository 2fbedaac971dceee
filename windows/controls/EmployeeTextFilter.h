// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QValidator>

class QLineEdit;

// Keeps a text box to characters that both result files can hold, as text enters it (typed,
// pasted, dropped or set): NUL, CR, LF and the other control characters (C0, DEL, C1) are
// removed, a line break (CR LF, CR or LF) becomes one blank, and a lone UTF-16 surrogate
// becomes U+FFFD. What the assessor sees is what is saved. Texts are cut to MaxLength
// characters (never inside a surrogate pair), and textCut() says when that happened.
class EmployeeTextFilter : public QValidator
{
    Q_OBJECT
public:
    static constexpr int MaxLength = 32767;

    explicit EmployeeTextFilter(QObject* parent = nullptr);

    // Puts a filter on `box`; the box lets longer texts through to it, so the filter can tell.
    static EmployeeTextFilter* install(QLineEdit* box);

    // The text as the box keeps it, without the length limit.
    static QString clean(const QString& text);

    State validate(QString& input, int& pos) const override;

signals:
    void textCut() const;
};
