// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class PictureBox;

// The boxes the extra pictures are shown in (the extra pictures' window gives them): a window
// that opens an extra picture paints it into the next free box.
class ExtraPictures
{
public:
    virtual ~ExtraPictures() = default;
    // The box for the n-th extra picture, n = 1 to 4; nullptr for any other n.
    virtual PictureBox* pictureBox(int n) const = 0;

protected:
    ExtraPictures() = default;
    ExtraPictures(const ExtraPictures&) = default;
    ExtraPictures& operator=(const ExtraPictures&) = default;
};
