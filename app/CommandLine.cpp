// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "DatabaseAddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace {

const char* const Examples = R"(
Forms:
  talvo-rula                           start an empty assessment
  talvo-rula SAVED.txt                 reopen a saved assessment to revise it
  talvo-rula --report SAVED.txt [-o OUT.pdf]
                                       write the PDF report of a saved assessment
  talvo-rula --compare BEFORE.txt AFTER.txt [-o OUT.pdf]
                                       write a PDF comparing two assessments
  talvo-rula --register FOLDER [-o OUT.csv]
                                       list every saved assessment under FOLDER as CSV
  talvo-rula --publish FOLDER [--database URI]
                                       publish every saved assessment under FOLDER to the
                                       team database
  talvo-rula --register URI [-o OUT.csv] [--all-revisions]
                                       write the team register from the team database
  talvo-rula --agreement FOLDER_A FOLDER_B [-o OUT.pdf|OUT.csv]
                                       how alike two assessors scored the same postures
                                       (default Agreement.pdf in the current folder)
  talvo-rula --plan SAVED.txt [-o OUT.csv]
                                       list as CSV every single change that lowers a
                                       body part's score, and where it leads
  talvo-rula --landmarks PICTURE [-o OUT.csv]
  talvo-rula --landmarks VIDEO --frame N [-o OUT.csv]
                                       find the worker's body landmarks on a picture or
                                       on frame N (from 0) of a video, as CSV
  talvo-rula --score-video VIDEO [--samples-per-second N] [--assessment SAVED.txt] [-o OUT.csv]
                                       score the whole video, N samples a second (default
                                       5), one CSV row per sample and side; what the camera
                                       cannot see comes from SAVED.txt, else its lowest score

Examples:
  talvo-rula "Smith RULA Analysis.txt"
  talvo-rula --report "Smith RULA Analysis.txt"
  talvo-rula --compare "Smith RULA Analysis.txt" "Smith after RULA Analysis.txt" -o change.pdf
  talvo-rula --register /srv/assessments -o register.csv
  talvo-rula --publish /srv/assessments --database postgresql://db.example/rula
  talvo-rula --register postgresql://db.example/rula -o team.csv
  talvo-rula --agreement trainee1 trainee2 -o agreement.csv
  talvo-rula --plan "Smith RULA Analysis.txt"
  talvo-rula --landmarks workplace.jpg -o landmarks.csv
  talvo-rula --score-video task.mp4 --assessment "Smith RULA Analysis.txt" -o task.csv

The team database is --database URI, else the environment variable TALVO_DATABASE, else the
program's "Team Database" setting. Passwords come from ~/.pgpass, PGPASSWORD or a service file.)";

CommandLine usageError(const QString& text)
{
    CommandLine command;
    command.mode = CommandLine::Mode::UsageError;
    command.message = text;
    return command;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Scores a worker's posture by the RULA method (Rapid Upper Limb Assessment).") +
        QString::fromLatin1(Examples));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral("Write the report of a saved assessment."),
                                    QStringLiteral("SAVED.txt"));
    const QCommandLineOption compare(QStringLiteral("compare"),
                                     QStringLiteral("Compare BEFORE with AFTER (given after it) in one PDF."),
                                     QStringLiteral("BEFORE.txt"));
    const QCommandLineOption registerOption(QStringLiteral("register"),
                                            QStringLiteral("Write one CSV row per saved assessment under FOLDER."),
                                            QStringLiteral("FOLDER"));
    const QCommandLineOption publish(
        QStringLiteral("publish"), QStringLiteral("Publish every saved assessment under FOLDER to the team database."),
        QStringLiteral("FOLDER"));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("The team database (postgresql://...) to publish to."),
                                      QStringLiteral("URI"));
    const QCommandLineOption allRevisions(QStringLiteral("all-revisions"),
                                          QStringLiteral("The team register lists every revision of an assessment."));
    const QCommandLineOption agreement(
        QStringLiteral("agreement"),
        QStringLiteral("Measure how alike the assessments under FOLDER_A and FOLDER_B (given after it) are."),
        QStringLiteral("FOLDER_A"));
    const QCommandLineOption plan(QStringLiteral("plan"),
                                  QStringLiteral("Write the single changes that lower a score of a saved assessment "
                                                 "as CSV."),
                                  QStringLiteral("SAVED.txt"));
    const QCommandLineOption landmarks(QStringLiteral("landmarks"),
                                       QStringLiteral("Find the worker's body landmarks on a picture or a video frame "
                                                      "and write them as CSV."),
                                       QStringLiteral("PICTURE"));
    const QCommandLineOption frame(QStringLiteral("frame"),
                                   QStringLiteral("With --landmarks: the frame of the video, from 0."),
                                   QStringLiteral("N"));
    const QCommandLineOption scoreVideo(QStringLiteral("score-video"),
                                        QStringLiteral("Score every sample of a video and write the scores as CSV."),
                                        QStringLiteral("VIDEO"));
    const QCommandLineOption samplesPerSecond(QStringLiteral("samples-per-second"),
                                              QStringLiteral("With --score-video: samples a second, 1 to 25 (5)."),
                                              QStringLiteral("N"));
    const QCommandLineOption assessment(
        QStringLiteral("assessment"),
        QStringLiteral("With --score-video: the saved assessment whose choices stand for what the camera cannot see."),
        QStringLiteral("SAVED.txt"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write instead of the default."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption checkInstallation(
        QStringLiteral("check-installation"),
        QStringLiteral("Start, report where the help files, the media player and the pose models were found, "
                       "and end."));
    parser.addOptions({report, compare, registerOption, publish, database, allRevisions, agreement, plan, landmarks,
                       frame, scoreVideo, samplesPerSecond, assessment, output, checkInstallation});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A saved result text file to reopen."),
                                 QStringLiteral("[SAVED.txt]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    CommandLine command;
    if (parser.isSet(help)) {
        command.mode = CommandLine::Mode::Help;
        command.message = parser.helpText();
        return command;
    }
    if (parser.isSet(version)) {
        command.mode = CommandLine::Mode::Version;
        command.message = QCoreApplication::applicationName() + QLatin1Char(' ') +
                          QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return command;
    }

    const QStringList positional = parser.positionalArguments();
    const int forms = int(parser.isSet(report)) + int(parser.isSet(compare)) + int(parser.isSet(registerOption)) +
                      int(parser.isSet(publish)) + int(parser.isSet(agreement)) + int(parser.isSet(plan)) +
                      int(parser.isSet(landmarks)) + int(parser.isSet(scoreVideo));
    if (forms > 1)
        return usageError(QStringLiteral("--report, --compare, --register, --publish, --agreement, --plan, --landmarks "
                                         "and --score-video cannot be combined."));
    for (const QCommandLineOption* single :
         {&report, &compare, &registerOption, &publish, &database, &agreement, &plan, &landmarks, &frame, &scoreVideo,
          &samplesPerSecond, &assessment, &output}) {
        if (parser.values(*single).size() > 1)
            return usageError(QStringLiteral("--%1 may be given only once.").arg(single->names().constLast()));
    }
    command.output = parser.value(output);
    command.checkInstallation = parser.isSet(checkInstallation);
    command.database = parser.value(database);
    command.allRevisions = parser.isSet(allRevisions);

    if (parser.isSet(report)) {
        command.mode = CommandLine::Mode::Report;
        command.inputs = QStringList{parser.value(report)} + positional;
        if (positional.size() != 0)
            return usageError(QStringLiteral("--report takes one saved file; unexpected \"%1\".").arg(positional[0]));
    } else if (parser.isSet(compare)) {
        command.mode = CommandLine::Mode::Compare;
        if (positional.size() != 1)
            return usageError(QStringLiteral("--compare takes two saved files: --compare BEFORE.txt AFTER.txt."));
        command.inputs = QStringList{parser.value(compare), positional[0]};
    } else if (parser.isSet(registerOption)) {
        const QString source = parser.value(registerOption);
        command.mode =
            DatabaseAddress::looksLikeUri(source) ? CommandLine::Mode::TeamRegister : CommandLine::Mode::Register;
        command.inputs = QStringList{source};
        if (positional.size() != 0)
            return usageError(
                QStringLiteral("--register takes one folder or database; unexpected \"%1\".").arg(positional[0]));
        if (parser.isSet(database))
            return usageError(QStringLiteral("--register takes the database as its argument, not --database."));
    } else if (parser.isSet(publish)) {
        command.mode = CommandLine::Mode::Publish;
        command.inputs = QStringList{parser.value(publish)};
        if (positional.size() != 0)
            return usageError(QStringLiteral("--publish takes one folder; unexpected \"%1\".").arg(positional[0]));
        if (parser.isSet(output))
            return usageError(QStringLiteral("--publish writes no file; -o does not go with it."));
    } else if (parser.isSet(agreement)) {
        command.mode = CommandLine::Mode::Agreement;
        if (positional.size() != 1)
            return usageError(QStringLiteral("--agreement takes two folders: --agreement FOLDER_A FOLDER_B."));
        command.inputs = QStringList{parser.value(agreement), positional[0]};
        const QString ending = QFileInfo(command.output).suffix().toLower();
        if (parser.isSet(output) && ending != QLatin1String("csv") && ending != QLatin1String("pdf"))
            return usageError(
                QStringLiteral("--agreement writes OUT.csv or OUT.pdf; \"%1\" ends in neither.").arg(command.output));
    } else if (parser.isSet(plan)) {
        command.mode = CommandLine::Mode::Plan;
        command.inputs = QStringList{parser.value(plan)};
        if (positional.size() != 0)
            return usageError(QStringLiteral("--plan takes one saved file; unexpected \"%1\".").arg(positional[0]));
    } else if (parser.isSet(landmarks)) {
        command.mode = CommandLine::Mode::Landmarks;
        command.inputs = QStringList{parser.value(landmarks)};
        if (positional.size() != 0)
            return usageError(
                QStringLiteral("--landmarks takes one picture or video; unexpected \"%1\".").arg(positional[0]));
        if (parser.isSet(frame)) {
            bool number = false;
            command.frame = parser.value(frame).toInt(&number);
            if (!number || command.frame < 0)
                return usageError(
                    QStringLiteral("--frame takes a frame number from 0; \"%1\" is none.").arg(parser.value(frame)));
        }
    } else if (parser.isSet(scoreVideo)) {
        command.mode = CommandLine::Mode::ScoreVideo;
        command.inputs = QStringList{parser.value(scoreVideo)};
        if (positional.size() != 0)
            return usageError(QStringLiteral("--score-video takes one video; unexpected \"%1\".").arg(positional[0]));
        if (parser.isSet(samplesPerSecond)) {
            bool number = false;
            command.samplesPerSecond = parser.value(samplesPerSecond).toInt(&number);
            if (!number || command.samplesPerSecond < 1 || command.samplesPerSecond > 25)
                return usageError(QStringLiteral("--samples-per-second takes a number from 1 to 25; \"%1\" is none.")
                                      .arg(parser.value(samplesPerSecond)));
        }
        command.assessment = parser.value(assessment);
        if (parser.isSet(assessment) && command.assessment.isEmpty())
            return usageError(QStringLiteral("An empty file name was given."));
    } else {
        if (positional.size() > 1)
            return usageError(QStringLiteral("Only one saved file can be reopened at a time."));
        if (parser.isSet(output))
            return usageError(
                QStringLiteral("-o goes with --report, --compare, --register, --agreement, --plan, --landmarks or "
                               "--score-video."));
        command.inputs = positional;
    }
    if (parser.isSet(frame) && command.mode != CommandLine::Mode::Landmarks)
        return usageError(QStringLiteral("--frame goes with --landmarks VIDEO."));
    if ((parser.isSet(samplesPerSecond) || parser.isSet(assessment)) && command.mode != CommandLine::Mode::ScoreVideo)
        return usageError(QStringLiteral("--samples-per-second and --assessment go with --score-video VIDEO."));
    if (command.allRevisions && command.mode != CommandLine::Mode::TeamRegister)
        return usageError(QStringLiteral("--all-revisions goes with --register URI."));
    for (const QString& input : command.inputs) {
        if (input.isEmpty())
            return usageError(QStringLiteral("An empty file name was given."));
    }
    return command;
}

QStringList WithoutQtOptions(const QStringList& arguments)
{
    // The options QGuiApplication and QApplication take out of the arguments (see
    // `--help-all`), each with one or two dashes; those in the first list take a value,
    // given after it or after "=".
    static const QStringList withValue{QStringLiteral("platform"),
                                       QStringLiteral("platformpluginpath"),
                                       QStringLiteral("platformtheme"),
                                       QStringLiteral("plugin"),
                                       QStringLiteral("qwindowgeometry"),
                                       QStringLiteral("qwindowicon"),
                                       QStringLiteral("qwindowtitle"),
                                       QStringLiteral("session"),
                                       QStringLiteral("display"),
                                       QStringLiteral("geometry"),
                                       QStringLiteral("title"),
                                       QStringLiteral("icon"),
                                       QStringLiteral("name"),
                                       QStringLiteral("style"),
                                       QStringLiteral("stylesheet"),
                                       QStringLiteral("qmljsdebugger"),
                                       QStringLiteral("visual")};
    static const QStringList flags{QStringLiteral("reverse"),     QStringLiteral("widgetcount"),
                                   QStringLiteral("testability"), QStringLiteral("nograb"),
                                   QStringLiteral("dograb"),      QStringLiteral("sync")};
    QStringList kept;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString name = argument;
        if (i == 0 || !name.startsWith(QLatin1Char('-')) || name == QLatin1String("--")) {
            kept << argument;
            continue;
        }
        name.remove(0, name.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const QString bare = equals < 0 ? name : name.left(equals);
        if (withValue.contains(bare)) {
            if (equals < 0)
                ++i; // its value follows
            continue;
        }
        if (equals < 0 && flags.contains(bare))
            continue;
        kept << argument;
    }
    return kept;
}

namespace {

CommandLine::Mode modeOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return ParseCommandLine(WithoutQtOptions(arguments)).mode;
}

} // namespace

bool RunsWithoutWindows(int argc, char* argv[])
{
    return modeOf(argc, argv) != CommandLine::Mode::Windows;
}

bool RunsWithoutPictures(int argc, char* argv[])
{
    const CommandLine::Mode mode = modeOf(argc, argv);
    return mode == CommandLine::Mode::Publish || mode == CommandLine::Mode::TeamRegister;
}
