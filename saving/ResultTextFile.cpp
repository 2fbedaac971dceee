// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultTextFile.h"

#include <limits>

namespace ResultTextFile {

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

bool isPlainInteger(const QByteArray& line)
{
    qsizetype start = line.startsWith('-') ? 1 : 0;
    if (line.size() == start)
        return false;
    if (line.at(start) == '0' && line.size() > start + 1)
        return false; // no leading zeros
    if (start == 1 && line == "-0")
        return false;
    for (qsizetype i = start; i < line.size(); ++i) {
        if (line.at(i) < '0' || line.at(i) > '9')
            return false;
    }
    return true;
}

} // namespace

QByteArray item(const SaveCell& cell)
{
    if (const auto* text = std::get_if<QString>(&cell))
        return '"' + text->toLocal8Bit() + '"';
    if (const auto* number = std::get_if<std::int16_t>(&cell))
        return QByteArray::number(*number);
    return {};
}

QByteArray contents(const SaveTable& table)
{
    QByteArray bytes;
    bytes.reserve(qsizetype{8} * 1024);
    for (int row = 0; row < SaveTable::RowCount; ++row) {
        bytes += item(table.label(row));
        bytes += LineEnd;
        bytes += item(table.value(row));
        bytes += LineEnd;
    }
    return bytes;
}

Parsed parse(const QByteArray& bytes)
{
    Parsed parsed;
    auto fail = [&parsed](int line, const QString& why) {
        parsed.items.clear();
        parsed.error = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(why) : why;
        return parsed;
    };

    if (bytes.startsWith("\xEF\xBB\xBF"))
        return fail(1, QStringLiteral("byte-order mark"));
    // A line feed without its carriage return: an editor that writes other line ends (most
    // on this system do) saved the file.
    const qsizetype firstFeed = bytes.indexOf('\n');
    if (firstFeed == 0 || (firstFeed > 0 && bytes.at(firstFeed - 1) != '\r'))
        return fail(0, QStringLiteral("The lines of this file end differently from a saved assessment: it was "
                                      "changed by another program."));
    if (!bytes.isEmpty() && !bytes.endsWith(LineEnd))
        return fail(int(bytes.count('\n')) + 1, QStringLiteral("the last line does not end in CR LF"));

    qsizetype pos = 0;
    int lineNumber = 0;
    while (pos < bytes.size()) {
        ++lineNumber;
        const qsizetype end = bytes.indexOf(LineEnd, pos);
        const QByteArray line = bytes.mid(pos, end - pos);
        pos = end + LineEnd.size();
        if (lineNumber > LineCount)
            return fail(lineNumber, QStringLiteral("more than %1 lines").arg(LineCount));
        if (line.contains('\r') || line.contains('\n'))
            return fail(lineNumber, QStringLiteral("a lone CR or LF inside the line"));

        if (line.isEmpty()) {
            parsed.items.emplace_back(std::monostate{});
        } else if (line.size() >= 2 && line.startsWith('"') && line.endsWith('"')) {
            parsed.items.emplace_back(QString::fromLocal8Bit(line.mid(1, line.size() - 2)));
        } else if (isPlainInteger(line)) {
            bool ok = false;
            const int value = line.toInt(&ok);
            if (!ok || value < std::numeric_limits<std::int16_t>::min() ||
                value > std::numeric_limits<std::int16_t>::max())
                return fail(lineNumber, QStringLiteral("integer out of the 16-bit range"));
            parsed.items.emplace_back(static_cast<std::int16_t>(value));
        } else {
            return fail(lineNumber, QStringLiteral("neither a quoted text, an integer nor empty"));
        }
    }
    if (lineNumber != LineCount)
        return fail(lineNumber + 1,
                    QStringLiteral("missing: the file ends after %1 of its %2 lines").arg(lineNumber).arg(LineCount));
    parsed.ok = true;
    return parsed;
}

} // namespace ResultTextFile
