// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "ErrorLine.h"
#include "InterruptedSaves.h"
#include "RegisterCsv.h"
#include "SavedAssessment.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <array>

namespace {

// Every *.txt under `folder`, sorted, so the register lists them in the same order every time.
// Hidden files (a save's temporary files) and links to folders are not followed.
QStringList candidateFiles(const QString& folder)
{
    QStringList files;
    QDirIterator walk(folder, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext())
        files << QDir::cleanPath(walk.next());
    std::sort(files.begin(), files.end());
    return files;
}

// How many assessments of one side fall at each action level; [0] for a grand score with none.
using LevelCounts = std::array<int, 5>;

void count(LevelCounts& counts, const std::optional<rula::ActionLevel>& level)
{
    ++counts[static_cast<std::size_t>(level ? level->level : 0)];
}

QString levelSummary(const QString& side, const LevelCounts& counts)
{
    QString line = side + QStringLiteral(": ");
    for (int level = 1; level <= 4; ++level)
        line += QStringLiteral("action level %1: %2%3")
                    .arg(level)
                    .arg(counts[static_cast<std::size_t>(level)])
                    .arg(level < 4 ? QStringLiteral(", ") : QString());
    if (counts[0] > 0)
        line += QStringLiteral(", no action level: %1").arg(counts[0]);
    return line;
}

} // namespace

int RunRegisterCommand(const CommandLine& command, QTextStream& errors)
{
    const QString folder = command.inputs.value(0);
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir()) {
        errorLine(errors, folder) << "not a folder\n";
        return 1;
    }
    const QString output =
        command.output.isEmpty() ? QDir(folder).filePath(QStringLiteral("register.csv")) : command.output;
    const QStringList files = candidateFiles(folder);
    const QString outputPath = QFileInfo(output).absoluteFilePath();
    for (const QString& file : files) {
        if (QFileInfo(file).absoluteFilePath() == outputPath) {
            errorLine(errors, output) << "is a file the register reads; choose another -o.\n";
            return 1;
        }
    }

    QByteArray csv = RegisterCsv::header();
    csv.reserve(files.size() * 160);
    int read = 0;
    int skipped = 0;
    LevelCounts left{};
    LevelCounts right{};
    QSet<QString> preparedFolders;
    for (const QString& file : files) {
        const QString fileFolder = QFileInfo(file).path();
        if (!preparedFolders.contains(fileFolder)) {
            preparedFolders.insert(fileFolder);
            const QString unrepaired = RecoverInterruptedSaves(fileFolder);
            if (!unrepaired.isEmpty())
                errorLine(errors, fileFolder) << "an interrupted save could not be repaired: " << unrepaired << '\n';
        }
        const SavedAssessment saved = ReadSavedAssessmentFile(file);
        if (!saved.ok) {
            errorLine(errors, file) << "skipped, " << saved.error << '\n';
            ++skipped;
            continue;
        }
        if (!saved.differences.isEmpty())
            errorLine(errors, file) << "the saved scores differ from its options ("
                                    << saved.differences.join(QStringLiteral("; "))
                                    << "); its row has the scores its options give.\n";
        csv += RegisterCsv::row(QFileInfo(file).absoluteFilePath(), saved.record);
        count(left, saved.record.levelLeft);
        count(right, saved.record.levelRight);
        ++read;
    }

    if (read == 0) {
        errorLine(errors, folder) << "no saved assessment in it (" << skipped << " files skipped); nothing written\n";
        return 1;
    }
    QSaveFile register_(output);
    if (!register_.open(QIODevice::WriteOnly) || register_.write(csv) != csv.size() || !register_.commit()) {
        errorLine(errors, output) << "cannot be written: " << register_.errorString() << '\n';
        return 1;
    }
    errors << "talvo-rula: " << read << (read == 1 ? " assessment" : " assessments") << " read, " << skipped
           << (skipped == 1 ? " file" : " files") << " skipped; register written to "
           << QDir::toNativeSeparators(output) << '\n'
           << levelSummary(QStringLiteral("Right side"), right) << '\n'
           << levelSummary(QStringLiteral("Left side"), left) << '\n';
    return 0;
}
