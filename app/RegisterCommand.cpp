// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "ErrorLine.h"
#include "InterruptedSaves.h"
#include "OutputFiles.h"
#include "RegisterCsv.h"
#include "SavedAssessment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>

namespace {

// What a walk of the register's tree finds: every *.txt (sorted, so the register lists them in
// the same order every time), every folder walked, and the folders that could not be read.
// Hidden files and folders (a save's temporary files) and links to folders are not followed.
struct Tree
{
    QStringList files;
    QStringList folders;
    QStringList unreadable; // with why
};

void walk(const QString& folder, Tree& tree)
{
    DIR* listing = ::opendir(QFile::encodeName(folder).constData());
    if (!listing) {
        tree.unreadable << folder + QStringLiteral("\n") + qt_error_string(errno);
        return;
    }
    ::closedir(listing);
    tree.folders << folder;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isSymLink())
            walk(QDir::cleanPath(entry.filePath()), tree);
        else if (!entry.isDir() && entry.fileName().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
            tree.files << QDir::cleanPath(entry.filePath());
    }
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
    Tree tree;
    walk(QDir::cleanPath(folder), tree);
    std::sort(tree.files.begin(), tree.files.end());
    const QStringList& files = tree.files;
    if (const QString refused = OutputFiles::refusal(output, files, !command.output.isEmpty()); !refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }

    // Every folder walked is repaired, whether or not it holds a result file yet.
    for (const QString& walked : tree.folders) {
        const QString unrepaired = RecoverInterruptedSaves(walked);
        if (!unrepaired.isEmpty())
            errorLine(errors, walked) << "an interrupted save could not be repaired: " << unrepaired << '\n';
    }
    for (const QString& unreadable : tree.unreadable)
        errorLine(errors, unreadable.section(QLatin1Char('\n'), 0, 0))
            << "skipped, the folder cannot be read: " << unreadable.section(QLatin1Char('\n'), 1) << '\n';

    QByteArray csv = RegisterCsv::header();
    csv.reserve(files.size() * 160);
    int read = 0;
    int skipped = 0;
    LevelCounts left{};
    LevelCounts right{};
    for (const QString& file : files) {
        const SavedAssessment saved = ReadSavedAssessmentFile(file);
        if (!saved.ok) {
            errorLine(errors, file) << "skipped, " << saved.error << '\n';
            ++skipped;
            continue;
        }
        csv += RegisterCsv::row(QFileInfo(file).absoluteFilePath(), saved.record);
        count(left, saved.record.levelLeft);
        count(right, saved.record.levelRight);
        ++read;
    }

    if (read == 0) {
        errorLine(errors, folder) << "no saved assessment in it (" << skipped << " files skipped, "
                                  << tree.unreadable.size() << " folders could not be read); nothing written\n";
        return 1;
    }
    if (const QString error = OutputFiles::writeWhole(output, csv); !error.isEmpty()) {
        errorLine(errors, output) << "cannot be written: " << error << '\n';
        return 1;
    }
    const qsizetype folders = tree.unreadable.size();
    errors << "talvo-rula: " << read << (read == 1 ? " assessment" : " assessments") << " read, " << skipped
           << (skipped == 1 ? " file" : " files") << " skipped";
    if (folders > 0)
        errors << ", " << folders << (folders == 1 ? " folder" : " folders") << " could not be read";
    errors << "; register written to " << QDir::toNativeSeparators(output) << '\n'
           << levelSummary(QStringLiteral("Right side"), right) << '\n'
           << levelSummary(QStringLiteral("Left side"), left) << '\n';
    return 0;
}
