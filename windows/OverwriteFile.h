// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Overwrite File" window: asks whether the result files that already exist under the
// chosen name are to be replaced, or another name chosen.
class OverwriteFile : public AppWindow
{
    Q_OBJECT
public:
    OverwriteFile(ProgramState& state, WindowSet& windows);

    // Shows the question with the existing text file's name in the title.
    void showWindow() override;

    // The title for `fileName` in a window `windowWidth` pixels wide: "Overwrite File - "
    // and the name, shortened in its middle to what the title bar has room for beside its
    // icon and buttons (TitleBarButtons pixels).
    static QString titleFor(const QString& fileName, int windowWidth);
    static constexpr int TitleBarButtons = 96;

private:
    void overwrite();
    void newFilename();
};
