// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "BodyPose.h"
#include "CautionStatement.h"
#include "CommandLine.h"
#include "Commands.h"
#include "MainWindow.h"
#include "Outbox.h"
#include "ProgramFolder.h"
#include "ProgramState.h"
#include "Resources.h"
#include "TeamPublishing.h"
#include "TeamSettings.h"
#include "VideoDecoder.h"
#include "WindowSet.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

// The forms without windows print only their own lines on stderr: one per error.
void keepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

void prepareForCommandLine(int argc, char* argv[])
{
    if (RunsWithoutWindows(argc, argv)) {
        qInstallMessageHandler(keepOnlyCriticalMessages);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

int runProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("talvo-rula"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALVO_VERSION));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setApplicationDisplayName(QStringLiteral("TALVO RULA"));
    initTalvoResources();

    QTextStream out(stdout);
    QTextStream errors(stderr);
    const CommandLine command = ParseCommandLine(WithoutQtOptions(QCoreApplication::arguments()));
    switch (command.mode) {
    case CommandLine::Mode::Help:
    case CommandLine::Mode::Version:
        out << command.message;
        return 0;
    case CommandLine::Mode::UsageError:
        errors << "talvo-rula: " << command.message << "\nTry 'talvo-rula --help' for the forms it takes.\n";
        return 2;
    case CommandLine::Mode::Report:
        return RunReportCommand(command, errors);
    case CommandLine::Mode::Compare:
        return RunCompareCommand(command, errors);
    case CommandLine::Mode::Register:
        return RunRegisterCommand(command, errors);
    case CommandLine::Mode::TeamRegister:
        return RunTeamRegisterCommand(command, errors);
    case CommandLine::Mode::Publish:
        return RunPublishCommand(command, errors);
    case CommandLine::Mode::Agreement:
        return RunAgreementCommand(command, errors);
    case CommandLine::Mode::Plan:
        return RunPlanCommand(command, errors);
    case CommandLine::Mode::Landmarks:
        return RunLandmarksCommand(command, errors);
    case CommandLine::Mode::ScoreVideo:
        return RunScoreVideoCommand(command, errors);
    case CommandLine::Mode::Windows:
        break;
    }

    ProgramState state;
    state.teamDatabase = TeamSettings::configuredDatabase(command.database);
    state.outboxFolder = Outbox::defaultFolder();
    WindowSet windows(state);
    // Publications that waited for the team database go as soon as the program starts.
    if (!state.teamDatabase.isEmpty())
        windows.publishing().sendWaiting();
    if (!command.inputs.isEmpty())
        ReopenAssessment(command.inputs.constFirst(), windows);
    // The caution window is the only window at start; every other one is created when
    // first shown.
    windows.window<CautionStatement>().showWindow();
    if (command.checkInstallation) {
        QCoreApplication::processEvents();
        const int found = ProgramFolder::checkInstallation(out);
        const QString decoderError = VideoDecoder::moduleError();
        out << "Video decoder: " << VideoDecoder::moduleFile()
            << (decoderError.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(decoderError)) << '\n';
        const QString finderError = pose::PoseFinder::moduleError();
        out << "Landmark finder: " << pose::PoseFinder::moduleFile()
            << (finderError.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(finderError)) << '\n';
        bool modelMissing = false;
        for (const QString& name : pose::modelFileNames()) {
            const QString model = QDir(pose::modelFolder()).filePath(name);
            const bool there = QFileInfo(model).isFile();
            modelMissing = modelMissing || !there;
            out << "Pose model " << name << ": " << (there ? model : QStringLiteral("missing (%1)").arg(model)) << '\n';
        }
        out.flush();
        return decoderError.isEmpty() && finderError.isEmpty() && !modelMissing ? found : 1;
    }
    return QCoreApplication::exec();
}
