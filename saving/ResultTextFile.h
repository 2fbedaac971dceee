// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SaveTable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>

#include <vector>

// The result text file: for each save-table row, a label line and a value line.
// A text is written between double quotes with nothing escaped, an integer as bare
// decimal digits, an empty cell as an empty line; every line ends in CR LF.
// Characters are in the system's 8-bit encoding (the locale's: UTF-8 on Linux).
namespace ResultTextFile {

constexpr int LineCount = 2 * SaveTable::RowCount; // 184

// One line's bytes without its line end.
QByteArray item(const SaveCell& cell);

// The complete file: rows 0 to 91, label line then value line, each ending in CR LF.
QByteArray contents(const SaveTable& table);

struct Parsed
{
    bool ok = false;
    QString error;               // the first fault found, with its line number
    std::vector<SaveCell> items; // LineCount items when ok: label, value, label, value, ...
};

// Reads a result text file back. Strict: exactly LineCount lines, each ending in CR LF,
// each an empty line, a quoted text or a plain decimal 16-bit integer.
// A text holding a line end of its own cannot be read back and is reported as a fault.
Parsed parse(const QByteArray& bytes);

// One line as it lies in the file's bytes: a text is the bytes between its quotes, undecoded.
struct LineView
{
    enum class Kind
    {
        Empty,
        Text,
        Number,
    };
    Kind kind = Kind::Empty;
    QByteArrayView text;
    std::int16_t number = 0;
};

struct ParsedInPlace
{
    bool ok = false;
    QString error; // as parse() says it
    // As parse() gives them, pointing into the bytes parsed: the first `count` of `items`. Kept
    // in place rather than on the heap, as a folder of thousands of files is read.
    std::array<LineView, LineCount> items;
    std::size_t count = 0;
};

// parse(), with nothing decoded or copied: for a reader that compares most lines with texts
// it knows and decodes only the few it keeps.
ParsedInPlace parseInPlace(QByteArrayView bytes);

} // namespace ResultTextFile
