// SPDX-License-Identifier: GPL-3.0-or-later
#include "OverwriteFile.h"

#include "ProgramState.h"
#include "ResultSaving.h"
#include "Services.h"
#include "WindowSet.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Client area 6150 x 4455 twips. The question keeps its two blanks after "Do" and its six
// before "the".
const std::vector<ControlRow>& overwriteLayout()
{
    static const std::vector<ControlRow> rows = {
        {ControlKind::Label, "Label84", 240, 480, 5535, 2175,
         "File already exists. Do  you wish to overwrite      the existing file?", Arial(24, true), 2, 0, WordWrap,
         DarkBlue},
        {ControlKind::Button, "Command3", 1200, 3360, 1815, 735, "&Overwrite", Arial(12, true), 0},
        {ControlKind::Button, "Command5", 3240, 3360, 1815, 735, "&New Filename", Arial(12, true), 1},
    };
    return rows;
}

} // namespace

OverwriteFile::OverwriteFile(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::Sizable, false)
{
    setObjectName(QStringLiteral("OverwriteFile"));
    setWindowTitle(QStringLiteral("Overwrite File"));
    setClientArea(6150, 4455, Units::Twips);
    buildControls(this, overwriteLayout(), Units::Twips);
    connect(control<QPushButton>(this, "Command3"), &QPushButton::clicked, this, &OverwriteFile::overwrite);
    connect(control<QPushButton>(this, "Command5"), &QPushButton::clicked, this, &OverwriteFile::newFilename);
}

void OverwriteFile::showWindow()
{
    setWindowTitle(titleFor(m_state.SaveFileName + QStringLiteral(".txt"), width()));
    AppWindow::showWindow();
}

// The title names the file; a name longer than the title bar has room for is shortened in
// its middle, so that the bar shows the whole title rather than the window manager cutting
// off its end.
QString OverwriteFile::titleFor(const QString& fileName, int windowWidth)
{
    const QString opening = QStringLiteral("Overwrite File - ");
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int room = windowWidth - TitleBarButtons - metrics.horizontalAdvance(opening);
    return opening + metrics.elidedText(fileName, Qt::ElideMiddle, std::max(room, 0));
}

// Saves over the old files, into the folder the Save window shows now, under the name
// captured by the last "&Save".
void OverwriteFile::overwrite()
{
    m_windows.saving().runSave();
}

void OverwriteFile::newFilename()
{
    MessageService::show(QStringLiteral("Please select another file name"));
    control<QPushButton>(this, "Command3")->setFocus();
    hide();
    m_windows.saving().askForNewName();
}

#include "moc_OverwriteFile.cpp"
