// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <initializer_list>
#include <string_view>
#include <vector>

class QWidget;

// Windows place every control at a fixed position: the layouts reproduce a designed
// screen to the pixel, so they are data tables of absolute geometry, not Qt layouts.

enum class Units
{
    Twips, // 1/1440 inch; 15 twips are one pixel at 96 dpi
    Pixels,
};

inline int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

struct FontStyle
{
    const char* family = nullptr; // "Arial" or "Comic Sans MS"; fontconfig maps them
    double pointSize = 0;
    bool bold = false;
};

constexpr FontStyle Arial(double size, bool bold = false)
{
    return FontStyle{"Arial", size, bold};
}
constexpr FontStyle Comic(double size, bool bold = false)
{
    return FontStyle{"Comic Sans MS", size, bold};
}

enum class ControlKind
{
    Label,   // QLabel
    Button,  // QPushButton; "&" marks the access key
    TextBox, // QLineEdit
    Picture, // PictureControl showing the resource picture named by `text`
    Line,    // a straight line from (x, y) to (w, h) (end point, not size), `tabOrder` is its width
    Custom,  // created by the window itself; placeControl() applies the row
};

// Label styles; WordWrap applies to buttons too.
enum LabelStyle : unsigned
{
    Plain = 0,
    WordWrap = 1, // the text wraps at word boundaries when wider than the control
    Centred = 2,
    Border = 4,     // single-line border
    WhiteBack = 8,  // white background
    Highlight = 16, // text in the system highlight colour
};

constexpr QRgb DarkBlue = 0x000080;
constexpr QRgb Black = 0x000000;

struct ControlRow
{
    ControlKind kind;
    const char* name; // objectName: the name tests and context help know the control by
    int x, y, w, h;   // in the table's units
    const char* text = "";
    FontStyle font = {};
    int tabOrder = -1; // keyboard order; -1 for controls that take no focus
    int helpTopic = 0; // context help topic, 0 for none
    unsigned style = Plain;
    QRgb colour = Black; // text colour
};

// The row of `rows` named `name`; aborts with a readable message on an unknown name: a
// window's own code never asks for a row its table does not hold.
const ControlRow& layoutRow(const std::vector<ControlRow>& rows, std::string_view name);

// Creates the rows' controls as children of `parent`, in table order (later rows on top),
// and chains the focusable ones in keyboard order. Geometry is converted to pixels.
void buildControls(QWidget* parent, const std::vector<ControlRow>& rows, Units units);

// Applies a row's name, geometry, font, help topic to a control the window created itself.
void placeControl(QWidget* control, const ControlRow& row, Units units);

// Sets the keyboard order of the parent's controls by their "tabOrder" property.
void applyTabOrder(QWidget* parent);

QRect toPixels(const QRect& rect, Units units);
QFont makeFont(const FontStyle& style);

// Sizes a top-level window's client area (given in `units`).
void setClientSize(QWidget* window, int width, int height, Units units);

// Finds a named child or aborts with a readable message: a window's own code never
// asks for a control its table does not create.
template <typename T> T* control(const QWidget* window, const char* name);

#include "Layout_impl.h"
