// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

// The dialogs around writing a report: the platform's save dialog, the "Report saved"
// question whether to open it, and the desktop's viewer. The save dialog, when it is Qt's own,
// says beside the file name box when a name is too long for the file system. Tests replace the handlers so that
// nothing blocks and nothing is launched.
class ReportDialogs
{
public:
    struct Handlers
    {
        // The chosen file, or an empty string when the assessor cancels.
        std::function<QString(QWidget* parent, const QString& proposedPath)> askSavePath;
        // True when the assessor wants to open the written report.
        std::function<bool(QWidget* parent, const QString& text)> askToOpen;
        // False when no program could be started to show it.
        std::function<bool(const QString& path)> open;
    };

    static QString askSavePath(QWidget* parent, const QString& proposedPath);
    static bool askToOpen(QWidget* parent, const QString& text);
    static bool open(const QString& path);

    static void setHandlers(Handlers handlers);
    static void resetHandlers();
};
