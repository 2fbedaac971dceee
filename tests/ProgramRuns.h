// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs the program itself (TALVO_PROGRAM, set by tests/CMakeLists.txt) as the assessor runs
// it from a command line.

#include <QProcess>
#include <QString>
#include <QStringList>

struct Run
{
    int status = -1; // the exit code; -1 when it crashed or did not finish within a minute
    QStringList errorLines;
};

inline Run runProgram(const QStringList& arguments)
{
    QProcess program;
    program.start(QStringLiteral(TALVO_PROGRAM), arguments);
    Run run;
    if (!program.waitForFinished(60000))
        return run;
    run.status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.errorLines = QString::fromUtf8(program.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}
