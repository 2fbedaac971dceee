// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

// Starts an external program by its bare name, the way the desktop finds one: the
// program's own folder first, then the folders of the search path. It does not wait for
// the program and never hears from it again.
class ProgramLauncher
{
public:
    static constexpr const char* MediaPlayer = "mplayer2.exe";

    // Starts `path` detached, with no arguments; true when it started.
    using Starter = std::function<bool(const QString& path)>;
    // Tells the assessor about a failure (a message box in the program).
    using Report = std::function<void(const QString& text)>;

    // The full path that `name` resolves to, or an empty string when no folder has it.
    static QString find(const QString& name);

    // Starts `name`; when it cannot be found or started, reports failureText(name).
    static bool start(const QString& name, const Report& report);
    static bool startMediaPlayer(const Report& report) { return start(QString::fromLatin1(MediaPlayer), report); }

    static QString failureText(const QString& name);

    // Tests: the search path (the PATH environment variable unless replaced, folders
    // separated as the platform does) and the starter. std::nullopt / {} restore them.
    static void setSearchPath(std::optional<QString> searchPath);
    static void setStarter(Starter starter);
};
