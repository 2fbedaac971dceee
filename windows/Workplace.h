// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class PictureBox;

// What the other windows ask of the workplace picture and its options (the main window
// gives them): a window that makes a workplace picture paints it into picture(), one that
// reads an option from a measurement chooses it as a click on its picture does, and one that
// has just made a workplace picture opens Measure Angles on it.
class Workplace
{
public:
    virtual ~Workplace() = default;
    // The workplace picture box (Picture1).
    virtual PictureBox& picture() = 0;
    // Runs SelectOption on the option as a click on its picture does.
    virtual void selectOption(int optionIndex) = 0;
    // Opens Measure Angles on the workplace picture (an error message when there is none).
    virtual void measureAngles() = 0;

protected:
    Workplace() = default;
    Workplace(const Workplace&) = default;
    Workplace& operator=(const Workplace&) = default;
};
