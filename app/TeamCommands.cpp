// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "BulkPublish.h"
#include "DatabaseAddress.h"
#include "ErrorLine.h"
#include "Evidence.h"
#include "EvidenceBelonging.h"
#include "FolderReading.h"
#include "Outbox.h"
#include "OutputFiles.h"
#include "TeamDatabase.h"
#include "TeamSender.h"
#include "TeamSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentMap>

#include <unistd.h>

namespace {

// The address of the team database, or nothing after naming on `errors` why there is none.
std::optional<DatabaseAddress> addressOf(const QString& uri, QTextStream& errors)
{
    if (uri.isEmpty()) {
        errors << "talvo-rula: no team database: give --database URI, set TALVO_DATABASE, or choose one in the "
                  "program's Team Database setting\n";
        return std::nullopt;
    }
    QString why;
    std::optional<DatabaseAddress> address = DatabaseAddress::parse(uri, &why);
    if (!address)
        errorLine(errors, uri) << why << '\n';
    return address;
}

// The publication of one assessment read from a folder, as its save published it: its record
// completed from its evidence, the evidence itself, and the SHA-256 of the file's bytes as they
// are now. An evidence file that cannot be used is named in `complaint` (a line for the
// errors); the text file is published without it. Made on any thread.
struct MadePublication
{
    std::optional<Publication> publication;
    QString complaint;
};

MadePublication publicationOf(const FolderAssessment& assessment)
{
    MadePublication made;
    QFile file(assessment.path);
    if (!file.open(QIODevice::ReadOnly))
        return made;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return made;
    AssessmentRecord record = assessment.record;
    // The publication carries everything of the evidence but the pictures' bytes.
    const EvidenceOfFile evidence = evidenceOfAssessment(assessment.path, assessment.record.stored, PictureBytes::Left);
    if (evidence.present && !evidence.ok) {
        QTextStream line(&made.complaint);
        errorLine(line, evidence.path) << evidence.error << '\n';
    }
    if (evidence.ok)
        completeRecord(record, evidence.evidence);
    made.publication = Publication::of(assessment.path, bytes, record, assessment.record.assessedAt,
                                       evidence.ok ? &evidence.evidence : nullptr);
    return made;
}

QString plural(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

} // namespace

int RunPublishCommand(const CommandLine& command, QTextStream& errors)
{
    const std::optional<DatabaseAddress> address =
        addressOf(TeamSettings::configuredDatabase(command.database), errors);
    if (!address)
        return 1;
    const QString folder = command.inputs.value(0);
    if (!QFileInfo(folder).isDir()) {
        errorLine(errors, folder) << "not a folder\n";
        return 1;
    }

    // What waits from earlier saves goes first.
    const SendSummary waiting = sendOutbox(*address, Outbox(Outbox::defaultFolder()));
    if (!waiting.error.isEmpty()) {
        errorLine(errors, address->uri) << waiting.error << '\n';
        return 1;
    }

    const SavedFileTree tree = WalkSavedFiles(folder);
    PrepareTree(tree, errors);
    const FolderContents contents = ReadSavedAssessments(tree.files, errors);
    std::vector<Publication> publications;
    int unreadable = int(tree.links.size());
    // Hashed and completed from their evidence on every core; named in the files' order.
    const QList<MadePublication> made =
        QtConcurrent::blockingMapped<QList<MadePublication>>(contents.read, publicationOf);
    for (const MadePublication& one : made) {
        errors << one.complaint;
        if (const std::optional<Publication>& publication = one.publication)
            publications.push_back(*publication);
        else
            ++unreadable;
    }
    const bool showProgress = isatty(STDERR_FILENO) && publications.size() > 200;
    std::vector<SendState> states;
    const SendSummary summary = publishInBulk(*address, publications, &states, [&](int done, int total) {
        if (showProgress)
            errors << "\rtalvo-rula: published " << done << " of " << total << Qt::flush;
    });
    if (showProgress)
        errors << '\n';
    for (const QString& refusal : summary.refusals)
        errors << "talvo-rula: " << refusal << '\n';
    errors << "talvo-rula: " << plural(int(publications.size()), "assessment", "assessments") << " read under "
           << QDir::toNativeSeparators(folder) << ": " << summary.added << " new, " << summary.alreadyThere
           << " already there, " << summary.refused << " refused";
    if (contents.skipped + unreadable > 0)
        errors << "; " << plural(contents.skipped + unreadable, "file", "files") << " skipped";
    if (waiting.added > 0)
        errors << "; " << plural(waiting.added, "waiting publication", "waiting publications") << " sent";
    errors << '\n';
    if (!summary.error.isEmpty()) {
        errorLine(errors, address->uri) << summary.error << "; " << summary.waiting << " not published\n";
        return 1;
    }
    return summary.refused > 0 ? 1 : 0;
}

int RunTeamRegisterCommand(const CommandLine& command, QTextStream& errors)
{
    const std::optional<DatabaseAddress> address = addressOf(command.inputs.value(0), errors);
    if (!address)
        return 1;
    const QString output = command.output.isEmpty() ? QStringLiteral("register.csv") : command.output;
    const QString refused = OutputFiles::refusal(output, {}, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }
    TeamDatabase database(*address);
    int rows = 0;
    const QByteArray csv = database.open() ? database.registerCsv(command.allRevisions, &rows) : QByteArray();
    if (csv.isEmpty()) {
        errorLine(errors, address->uri) << database.error() << '\n';
        return 1;
    }
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        errorLine(errors, output) << "cannot be written: " << file.errorString() << '\n';
        return 1;
    }
    errors << "talvo-rula: " << plural(rows, "assessment", "assessments") << " in the team register; written to "
           << QDir::toNativeSeparators(output) << '\n';
    return 0;
}
