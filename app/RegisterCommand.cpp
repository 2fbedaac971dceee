// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "ErrorLine.h"
#include "Evidence.h"
#include "EvidenceBelonging.h"
#include "FolderReading.h"
#include "OutputFiles.h"
#include "RegisterCsv.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <array>

namespace {

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
    const SavedFileTree tree = WalkSavedFiles(folder);
    const QStringList& files = tree.files;
    if (const QString refused = OutputFiles::refusal(output, files, !command.output.isEmpty()); !refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }

    PrepareTree(tree, errors);

    QByteArray csv = RegisterCsv::header();
    csv.reserve(files.size() * 160);
    const FolderContents contents = ReadSavedAssessments(files, errors);
    const int read = int(contents.read.size());
    const int skipped = contents.skipped + int(tree.links.size());
    LevelCounts left{};
    LevelCounts right{};
    for (const FolderAssessment& saved : contents.read) {
        const EvidenceOfFile evidence = evidenceOfAssessment(saved.path, saved.record.stored, PictureBytes::Left);
        if (evidence.present && !evidence.ok)
            errorLine(errors, evidence.path) << evidence.error << '\n';
        csv += RegisterCsv::row(saved.path, saved.record, evidence.ok ? &evidence.evidence : nullptr);
        count(left, saved.record.levelLeft);
        count(right, saved.record.levelRight);
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
