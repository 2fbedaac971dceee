// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultTextFile.h"

#include <cstring>
#include <limits>

namespace ResultTextFile {

namespace {

constexpr QByteArrayView LineEnd("\r\n");

bool isPlainInteger(QByteArrayView line)
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

ParsedInPlace parseInPlace(QByteArrayView bytes)
{
    ParsedInPlace parsed;
    auto fail = [&parsed](int line, const QString& why) {
        parsed.count = 0;
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
        // The line ends at the next line feed, when a carriage return comes before it.
        const auto* feed =
            static_cast<const char*>(std::memchr(bytes.data() + pos, '\n', std::size_t(bytes.size() - pos)));
        const qsizetype atFeed = feed ? feed - bytes.data() : -1;
        const bool feedEnds = atFeed > pos && bytes[atFeed - 1] == '\r';
        const qsizetype end = feedEnds ? atFeed - 1 : bytes.indexOf(LineEnd, pos);
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        pos = end + LineEnd.size();
        if (lineNumber > LineCount)
            return fail(lineNumber, QStringLiteral("more than %1 lines").arg(LineCount));
        // A line that ends at the first line feed holds none.
        if (std::memchr(line.data(), '\r', std::size_t(line.size())) || (!feedEnds && line.contains('\n')))
            return fail(lineNumber, QStringLiteral("a lone CR or LF inside the line"));

        LineView item;
        if (line.isEmpty()) {
            item.kind = LineView::Kind::Empty;
        } else if (line.size() >= 2 && line.startsWith('"') && line.endsWith('"')) {
            item.kind = LineView::Kind::Text;
            item.text = line.sliced(1, line.size() - 2);
        } else if (isPlainInteger(line)) {
            // At most six characters fit the range; a longer line is out of it.
            qint64 value = 0;
            for (qsizetype i = line.startsWith('-') ? 1 : 0; i < line.size() && i < 8; ++i)
                value = value * 10 + (line[i] - '0');
            if (line.startsWith('-'))
                value = -value;
            if (line.size() > 7 || value < std::numeric_limits<std::int16_t>::min() ||
                value > std::numeric_limits<std::int16_t>::max())
                return fail(lineNumber, QStringLiteral("integer out of the 16-bit range"));
            item.kind = LineView::Kind::Number;
            item.number = static_cast<std::int16_t>(value);
        } else {
            return fail(lineNumber, QStringLiteral("neither a quoted text, an integer nor empty"));
        }
        parsed.items[parsed.count++] = item;
    }
    if (lineNumber != LineCount)
        return fail(lineNumber + 1,
                    QStringLiteral("missing: the file ends after %1 of its %2 lines").arg(lineNumber).arg(LineCount));
    parsed.ok = true;
    return parsed;
}

Parsed parse(const QByteArray& bytes)
{
    const ParsedInPlace inPlace = parseInPlace(bytes);
    Parsed parsed;
    parsed.ok = inPlace.ok;
    parsed.error = inPlace.error;
    parsed.items.reserve(inPlace.count);
    for (std::size_t i = 0; i < inPlace.count; ++i) {
        const LineView& item = inPlace.items[i];
        if (item.kind == LineView::Kind::Text)
            parsed.items.emplace_back(QString::fromLocal8Bit(item.text));
        else if (item.kind == LineView::Kind::Number)
            parsed.items.emplace_back(item.number);
        else
            parsed.items.emplace_back(std::monostate{});
    }
    return parsed;
}

} // namespace ResultTextFile
