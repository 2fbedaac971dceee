// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLine
{
    enum class Mode
    {
        Windows,      // the assessment windows, empty or with `inputs[0]` reopened
        Report,       // --report SAVED.txt [-o out.pdf]
        Compare,      // --compare BEFORE.txt AFTER.txt [-o out.pdf]
        Register,     // --register FOLDER [-o register.csv]
        TeamRegister, // --register URI [-o register.csv] [--all-revisions]
        Publish,      // --publish FOLDER [--database URI]
        Agreement,    // --agreement FOLDER_A FOLDER_B [-o Agreement.pdf|.csv]
        Plan,         // --plan SAVED.txt [-o plan.csv]
        Landmarks,    // --landmarks PICTURE|VIDEO [--frame N] [-o landmarks.csv]
        ScoreVideo,   // --score-video VIDEO [--samples-per-second N] [--assessment SAVED.txt] [-o OUT.csv]
        Help,         // --help: `message` is the text to print
        Version,      // --version: `message` is the text to print
        UsageError    // `message` is the one-line error
    };

    Mode mode = Mode::Windows;
    QStringList inputs; // the files or folder the mode works on, in the order given
    QString output;     // -o, empty when not given
    QString message;
    // --check-installation: start as usual, then report where the help files and the media
    // player were found and end (0 when all were found, 1 otherwise).
    bool checkInstallation = false;
    // --database URI: the team database, instead of TALVO_DATABASE or the program's setting.
    QString database;
    // --all-revisions: the team register lists every revision, not only each assessment's latest.
    bool allRevisions = false;
    // --frame N with --landmarks: the frame (from 0) of the video `inputs[0]`; -1 for a picture.
    int frame = -1;
    // With --score-video: --samples-per-second N (1 to 25) and --assessment SAVED.txt, whose
    // choices stand for what the camera cannot see (empty when not given).
    int samplesPerSecond = 5;
    QString assessment;
};

// Reads the arguments (the program's name first, as QCoreApplication::arguments() gives
// them). Never exits and never prints: the caller prints `message` and chooses the status.
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments without the options Qt itself takes (-style Fusion, -style=Fusion, -reverse,
// -platform offscreen ...), as QApplication leaves them; for a decision made before it exists.
QStringList WithoutQtOptions(const QStringList& arguments);

// True when the arguments (Qt's own options included) ask for a form that writes files or prints and opens no window,
// so the program can run without a display.
bool RunsWithoutWindows(int argc, char* argv[]);

// True when the arguments ask for a form of the team database (publishing, the team register),
// which draws nothing at all: the program runs them without any display platform.
bool RunsWithoutPictures(int argc, char* argv[]);
