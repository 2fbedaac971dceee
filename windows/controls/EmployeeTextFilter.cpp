// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmployeeTextFilter.h"

#include <QLineEdit>

#include <limits>

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Filters `text` and moves `pos` (a position in it) along with the characters it stands after.
QString filtered(const QString& text, int* pos)
{
    QString out;
    out.reserve(text.size());
    int newPos = -1;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (pos && i == *pos)
            newPos = int(out.size());
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(i + 1);
            ++i;
            if (pos && i == *pos) // a cursor between the halves goes after the pair
                newPos = int(out.size());
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (isLineBreak(c)) {
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
                if (pos && i == *pos)
                    newPos = int(out.size());
            }
            out += QLatin1Char(' ');
        } else if (c.category() != QChar::Other_Control) {
            out += c;
        }
    }
    if (pos)
        *pos = newPos < 0 ? int(out.size()) : newPos;
    return out;
}

} // namespace

EmployeeTextFilter::EmployeeTextFilter(QObject* parent) : QValidator(parent) {}

EmployeeTextFilter* EmployeeTextFilter::install(QLineEdit* box)
{
    auto* filter = new EmployeeTextFilter(box);
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setValidator(filter);
    return filter;
}

QString EmployeeTextFilter::clean(const QString& text)
{
    return filtered(text, nullptr);
}

QValidator::State EmployeeTextFilter::validate(QString& input, int& pos) const
{
    QString text = filtered(input, &pos);
    if (text.size() > MaxLength) {
        qsizetype keep = MaxLength;
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
        pos = std::min(pos, int(keep));
        emit textCut();
    }
    input = text;
    return Acceptable;
}

#include "moc_EmployeeTextFilter.cpp"
