// SPDX-License-Identifier: GPL-3.0-or-later
#include "SavedAssessment.h"

#include "ModelText.h"
#include "ResultTextFile.h"
#include "ScoreRowGroup.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <optional>
#include <variant>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using rula::Group;

// The text file's line numbers of a row's label and value.
int labelLine(int row)
{
    return 2 * row + 1;
}
int valueLine(int row)
{
    return 2 * row + 2;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Every row's label, made once: a folder of thousands of files is checked against them.
const QString& labelOf(int row)
{
    static const std::vector<QString> labels = [] {
        std::vector<QString> all;
        all.reserve(SaveTable::RowCount);
        for (int r = 0; r < SaveTable::RowCount; ++r)
            all.push_back(SaveTable::labelText(r));
        return all;
    }();
    return labels[static_cast<std::size_t>(row)];
}

// Every row's label as the file holds it (in the 8-bit encoding), made once: a label is
// checked by its bytes, which are the label's exactly when they decode to it.
const QByteArray& labelBytesOf(int row)
{
    static const std::vector<QByteArray> labels = [] {
        std::vector<QByteArray> all;
        all.reserve(SaveTable::RowCount);
        for (int r = 0; r < SaveTable::RowCount; ++r)
            all.push_back(labelOf(r).toLocal8Bit());
        return all;
    }();
    return labels[static_cast<std::size_t>(row)];
}

// The texts a value may be, for the message, and as the file holds them, for the check.
struct Choices
{
    explicit Choices(const QStringList& allowed) : texts(allowed)
    {
        for (const QString& text : allowed)
            bytes.push_back(text.toLocal8Bit());
    }
    QStringList texts;
    std::vector<QByteArray> bytes;
};

using ResultTextFile::LineView;

// A text's bytes as decoding them reads them: a byte-order mark in front is passed over.
QByteArrayView decodedPart(QByteArrayView text)
{
    const bool mark = text.size() >= 3 && text[0] == '\xEF' && text[1] == '\xBB' && text[2] == '\xBF';
    return mark ? text.sliced(3) : text;
}

// Whether two texts hold the same bytes, compared where they are: a file's two hundred labels
// and choices are checked this way.
bool sameBytes(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), std::size_t(a.size())) == 0;
}

class Reader
{
public:
    explicit Reader(const std::array<LineView, ResultTextFile::LineCount>& items) : m_items(items) {}

    const LineView& value(int row) const { return m_items[static_cast<std::size_t>(valueLine(row) - 1)]; }

    // An error when the labels of rows `first` to `last` are not the program's, in that order.
    QString checkLabels(int first, int last) const
    {
        for (int row = first; row <= last; ++row) {
            const LineView& label = m_items[static_cast<std::size_t>(labelLine(row) - 1)];
            if (label.kind != LineView::Kind::Text || !sameBytes(decodedPart(label.text), labelBytesOf(row)))
                return lineError(labelLine(row),
                                 QStringLiteral("a saved assessment has the label %1 here").arg(quoted(labelOf(row))));
        }
        return {};
    }

    QString text(int row, QString& out) const
    {
        if (value(row).kind == LineView::Kind::Text) {
            out = QString::fromLocal8Bit(value(row).text);
            return {};
        }
        return lineError(valueLine(row), QStringLiteral("%1 should be a text in quotes").arg(what(row)));
    }

    QString number(int row, std::int16_t& out) const
    {
        if (value(row).kind == LineView::Kind::Number) {
            out = value(row).number;
            return {};
        }
        return lineError(valueLine(row), QStringLiteral("%1 should be a whole number").arg(what(row)));
    }

    // An error unless the value of `row` is one of `allowed`; `which`, when given, receives its place.
    QString oneOf(int row, const Choices& allowed, std::size_t* which = nullptr) const
    {
        const LineView& found = value(row);
        if (found.kind == LineView::Kind::Text) {
            for (std::size_t i = 0; i < allowed.bytes.size(); ++i) {
                if (sameBytes(decodedPart(found.text), allowed.bytes[i])) {
                    if (which)
                        *which = i;
                    return {};
                }
            }
        }
        return lineError(valueLine(row), QStringLiteral("%1 should be one of %2")
                                             .arg(what(row), quoted(allowed.texts.join(QStringLiteral("\", \"")))));
    }

    static QString lineError(int line, const QString& why) { return QStringLiteral("line %1: %2").arg(line).arg(why); }

private:
    static QString what(int row) { return quoted(labelOf(row)); }

    const std::array<LineView, ResultTextFile::LineCount>& m_items;
};

QStringList levelTexts(std::string_view rula::ActionLevel::*text)
{
    QStringList texts;
    for (int grand : {1, 3, 5, 7})
        texts << modelText((*rula::classifyGrandScore(grand)).*text);
    return texts;
}

// Replays the saved selections: in each group the one chosen posture, then its adjustments.
QString replaySelections(const Reader& reader, rula::AssessmentState& state)
{
    std::array<bool, rula::OptionCount> selected{};
    for (int option = 0; option < rula::OptionCount; ++option) {
        const int row = SaveTable::FirstOptionRow + option;
        static const Choices truth(QStringList{QStringLiteral("True"), QStringLiteral("False")});
        std::size_t which = 0;
        if (QString error = reader.oneOf(row, truth, &which); !error.isEmpty())
            return error;
        selected[static_cast<std::size_t>(option)] = which == 0;
    }
    for (const rula::GroupInfo& group : rula::groups()) {
        int chosen = -1;
        for (int option = group.firstOption; option < group.firstOption + group.optionCount; ++option) {
            if (!selected[static_cast<std::size_t>(option)] || rula::options()[option].kind != rula::OptionKind::Base)
                continue;
            if (chosen >= 0)
                return Reader::lineError(valueLine(SaveTable::FirstOptionRow + option),
                                         QStringLiteral("a second posture is chosen for %1").arg(modelText(group.key)));
            chosen = option;
        }
        if (chosen < 0)
            return Reader::lineError(valueLine(SaveTable::FirstOptionRow + group.firstOption),
                                     QStringLiteral("no posture is chosen for %1").arg(modelText(group.key)));
        state.SelectOption(chosen);
    }
    for (int option = 0; option < rula::OptionCount; ++option) {
        if (selected[static_cast<std::size_t>(option)] && rula::options()[option].kind == rula::OptionKind::Adjustment)
            state.SelectOption(option);
    }
    return {};
}

QString difference(const QString& what, int saved, int computed)
{
    return QStringLiteral("%1: saved %2, the options give %3").arg(what).arg(saved).arg(computed);
}

// A file that is not a saved assessment at all: empty, or its first line not a result's.
QString notAnAssessment(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return Reader::lineError(1, QStringLiteral("not a saved assessment: the file is empty"));
    const qsizetype firstEnd = bytes.indexOf('\n');
    QByteArrayView first = firstEnd < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(firstEnd);
    if (first.endsWith('\r'))
        first.chop(1);
    static const QByteArray firstLine = quoted(labelOf(0)).toLocal8Bit();
    if (first != firstLine)
        return Reader::lineError(1, QStringLiteral("not a saved assessment: its first line is not a result"));
    return {};
}

// The faults a reader recognises at once, before the line-by-line check: a file that is not
// a saved assessment at all, and one cut short.
QString plainFault(const QByteArray& bytes)
{
    if (QString fault = notAnAssessment(bytes); !fault.isEmpty())
        return fault;
    const bool cutInLine = !bytes.endsWith('\n');
    // Line feeds counted only as far as a whole file's number of lines.
    int feeds = 0;
    for (const char* at = bytes.constData(); feeds < ResultTextFile::LineCount; ++feeds) {
        at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(bytes.constEnd() - at)));
        if (!at)
            break;
        ++at;
    }
    const int lines = feeds + (cutInLine ? 1 : 0);
    if (lines < ResultTextFile::LineCount)
        return Reader::lineError(cutInLine ? lines : lines + 1,
                                 QStringLiteral("the file ends early: it has %1 of the %2 lines a saved assessment has")
                                     .arg(lines)
                                     .arg(ResultTextFile::LineCount));
    return {};
}

SavedAssessment readFailed(const QString& error)
{
    SavedAssessment saved;
    saved.error = error;
    return saved;
}

} // namespace

SavedAssessment ReadSavedAssessment(const QByteArray& bytes, ScoreTracing tracing)
{
    // Parsed first: a file parsed whole has every line a saved assessment has, so of the faults
    // named before the parser's, only its first line is left to look at.
    const ResultTextFile::ParsedInPlace parsed = ResultTextFile::parseInPlace(bytes);
    if (const QString fault = parsed.ok ? notAnAssessment(bytes) : plainFault(bytes); !fault.isEmpty())
        return readFailed(fault);
    if (!parsed.ok)
        return readFailed(parsed.error);
    const Reader reader(parsed.items);

    SavedAssessment saved;
    static const Choices captions(levelTexts(&rula::ActionLevel::caption));
    static const Choices recommendations(levelTexts(&rula::ActionLevel::Recommendation));
    QString savedLevelLeft;
    QString savedLevelRight;
    // Rows in file order, so the first bad line is the one named.
    for (int row = 0; row < SaveTable::RowCount; ++row) {
        const bool optionRow = row >= SaveTable::FirstOptionRow && row < SaveTable::FirstOptionRow + rula::OptionCount;
        if (optionRow && row > SaveTable::FirstOptionRow)
            continue; // all option rows are read together, at the first
        const int lastLabel = optionRow ? SaveTable::FirstOptionRow + rula::OptionCount - 1 : row;
        QString error = reader.checkLabels(row, lastLabel);
        if (!error.isEmpty())
            return readFailed(error);
        if (row == SaveTable::ActionLevelLeft || row == SaveTable::ActionLevelRight) {
            error = reader.oneOf(row, captions);
            reader.text(row, row == SaveTable::ActionLevelLeft ? savedLevelLeft : savedLevelRight);
        } else if (row == SaveTable::RecommendationLeft || row == SaveTable::RecommendationRight)
            error = reader.oneOf(row, recommendations);
        else if (row == SaveTable::FirstOptionRow)
            error = replaySelections(reader, saved.record.assessment);
        else if (row == SaveTable::EmployeeName)
            error = reader.text(row, saved.record.stored.name);
        else if (row == SaveTable::EmployeeId)
            error = reader.text(row, saved.record.stored.id);
        else if (row == SaveTable::EmployeeLocation)
            error = reader.text(row, saved.record.stored.location);
        else if (row == SaveTable::GrandScoreLeft)
            error = reader.number(row, saved.savedGrandScoreLeft);
        else if (row == SaveTable::GrandScoreRight)
            error = reader.number(row, saved.savedGrandScoreRight);
        else
            error = reader.number(row, saved.savedScores[static_cast<std::size_t>(scoreRowGroup(row))]);
        if (!error.isEmpty())
            return readFailed(error);
    }

    const EmployeeTexts stored = saved.record.stored;
    saved.record = BuildRecord(saved.record.assessment, stored, QDateTime(), tracing);
    saved.record.stored = stored; // already stripped once; stripping again could remove more
    for (const rula::GroupInfo& group : rula::groups()) {
        const int savedScore = saved.savedScores[static_cast<std::size_t>(group.group)];
        const int computed = saved.record.assessment.score(group.group);
        if (savedScore != computed)
            saved.differences << difference(bodyPartName(group.group), savedScore, computed);
    }
    if (saved.savedGrandScoreLeft != saved.record.results.GrandScoreLeft)
        saved.differences << difference(QStringLiteral("Left grand score"), saved.savedGrandScoreLeft,
                                        saved.record.results.GrandScoreLeft);
    if (saved.savedGrandScoreRight != saved.record.results.GrandScoreRight)
        saved.differences << difference(QStringLiteral("Right grand score"), saved.savedGrandScoreRight,
                                        saved.record.results.GrandScoreRight);
    // An action level that contradicts the grand score beside it, named as a score would be.
    const auto levelDifference = [&saved](const QString& side, const QString& savedLevel, int grand) {
        const std::optional<rula::ActionLevel> level = rula::classifyGrandScore(grand);
        const QString computed = level ? modelText(level->caption) : QString();
        if (level && savedLevel != computed)
            saved.differences << QStringLiteral("%1 action level: saved \"%2\", the options give \"%3\"")
                                     .arg(side, savedLevel, computed);
    };
    levelDifference(QStringLiteral("Left"), savedLevelLeft, saved.record.results.GrandScoreLeft);
    levelDifference(QStringLiteral("Right"), savedLevelRight, saved.record.results.GrandScoreRight);
    saved.ok = true;
    return saved;
}

SavedAssessment ReadSavedAssessmentFile(const QString& path, SavedFileRead* read, ScoreTracing tracing)
{
    return ReadSavedAssessmentFileAt(AT_FDCWD, path, read, tracing);
}

SavedAssessment ReadSavedAssessmentFileAt(int folder, const QString& name, SavedFileRead* read, ScoreTracing tracing)
{
    // Opened without waiting (a FIFO would wait for a writer) and read only when it is a
    // regular file; a saved file is about 7 KB, so at most one byte past the limit is read.
    const QByteArray encodedName = QFile::encodeName(name);
    int fd;
    do {
        fd = ::openat(folder, encodedName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return readFailed(QStringLiteral("cannot be read: %1").arg(qt_error_string(errno)));
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return readFailed(QStringLiteral("cannot be read: it is not a regular file"));
    }
    constexpr qint64 Limit = qint64{4} * 1024 * 1024;
    // Into a buffer of the size the file says and one byte more, to see it end: a regular file
    // reads short only at its end, so the read that comes short of the buffer at the size said
    // is the last. A file that grew meanwhile is read on into a larger buffer.
    qsizetype wanted = qsizetype(std::min(qint64(info.st_size) + 1, Limit + 1));
    QByteArray bytes(wanted, Qt::Uninitialized);
    qsizetype total = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, bytes.data() + total, std::size_t(wanted - total), total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
        if (total < wanted) {
            if (total >= qsizetype(info.st_size))
                break;
            continue;
        }
        if (wanted > Limit)
            break;
        wanted = qsizetype(std::min(qint64(wanted) * 2, Limit + 1));
        bytes.resize(wanted);
    }
    bytes.truncate(total);
    ::close(fd);
    if (bytes.size() > Limit)
        return readFailed(QStringLiteral("the file is %1 bytes long, far more than a saved assessment")
                              .arg(qMax(qint64(info.st_size), qint64(bytes.size()))));
    SavedAssessment saved = ReadSavedAssessment(bytes, tracing);
    if (!saved.ok)
        return saved;
    // The time QFileInfo::lastModified() gives, of the file read rather than of its name.
    const qint64 written = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    const QDateTime writtenUtc = QDateTime::fromMSecsSinceEpoch(written, Qt::UTC);
    // A caller that keeps what was read takes the time as it is, without the local zone's rules.
    saved.record.assessedAt = read ? writtenUtc : writtenUtc.toLocalTime();
    if (read)
        *read = {std::move(bytes), writtenUtc};
    return saved;
}
