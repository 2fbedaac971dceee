// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenExtraPics.h"

#include "EvidencePictureFile.h"
#include "ExtraPics.h"
#include "ExtraPictures.h"
#include "PictureBox.h"
#include "ProgramState.h"
#include "Services.h"
#include "WindowSet.h"

namespace {

// Twips.
const std::vector<ControlRow> OpenExtraPicsLayout = {
    {ControlKind::Custom, "Drive1", 120, 120, 3735, 315, "", {}, 3, 57},
    {ControlKind::Custom, "Dir1", 120, 480, 3735, 2115, "", {}, 4, 58},
    {ControlKind::Custom, "File1", 3960, 120, 2055, 2430, "", {}, 5, 59},
    {ControlKind::TextBox, "Text1", 120, 2640, 5895, 495, "", Comic(12), 0, 60},
    {ControlKind::Button, "cmdOpen", 3600, 3240, 2175, 615, "&Open", Comic(12), 1, 62},
    {ControlKind::Button, "Command1", 1320, 3240, 2175, 615, "&Exit", Comic(12), 2, 61},
};

} // namespace

OpenExtraPics::OpenExtraPics(ProgramState& state, WindowSet& windows)
    : PictureFileWindow(state, windows, OpenExtraPicsLayout)
{
    setObjectName(QStringLiteral("OpenExtraPics"));
    setWindowTitle(QStringLiteral("Open Picture File"));
    setClientArea(6195, 4050, Units::Twips);
}

void OpenExtraPics::open()
{
    const int count = m_state.ExtraPictureCount;
    if (count < 0 || count > 3) {
        MessageService::show(QStringLiteral("You have already loaded the maximum 4 pictures"), QStringLiteral("Error"));
        return;
    }
    // Before any file has been chosen there is nothing to open.
    const QString file = chosenFile();
    if (file.isEmpty())
        return;
    // A file that is not a picture uses up no box: nothing changes and this window stays.
    if (!showFile(file)) {
        reportUnreadable();
        return;
    }
    hide();
    m_windows.window<ExtraPics>().showWindow();
}

bool OpenExtraPics::showFile(const QString& file)
{
    const int count = m_state.ExtraPictureCount;
    if (count < 0 || count > 3)
        return false;
    PictureBox* box = m_windows.extraPictures().pictureBox(count + 1);
    if (!PaintFitted(file, m_loader, *box))
        return false;
    box->show();
    m_state.ExtraPictureCount = static_cast<std::int16_t>(count + 1);
    m_state.extraPictureFiles.append(file);
    hashPictureAhead(file);
    return true;
}

void OpenExtraPics::exit()
{
    hide();
}

#include "moc_OpenExtraPics.cpp"
