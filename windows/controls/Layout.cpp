// SPDX-License-Identifier: GPL-3.0-or-later
#include "Layout.h"

#include "CaptionButton.h"
#include "LineControl.h"
#include "PictureControl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

int toPixels(int value, Units units)
{
    return units == Units::Twips ? twipsToPixels(value) : value;
}

QLabel* makeLabel(QWidget* parent, const ControlRow& row)
{
    auto* label = new QLabel(QString::fromUtf8(row.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(row.style & WordWrap);
    label->setAlignment((row.style & Centred) ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
    if (row.style & Border) {
        label->setFrameShape(QFrame::Box);
        label->setLineWidth(1);
        label->setAlignment(Qt::AlignCenter);
    }
    QPalette palette = label->palette();
    if (row.style & Highlight)
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
    else
        palette.setColor(QPalette::WindowText, QColor::fromRgb(row.colour));
    if (row.style & WhiteBack) {
        palette.setColor(QPalette::Window, Qt::white);
        label->setAutoFillBackground(true);
    }
    label->setPalette(palette);
    return label;
}

QWidget* makeControl(QWidget* parent, const ControlRow& row)
{
    switch (row.kind) {
    case ControlKind::Label:
        return makeLabel(parent, row);
    case ControlKind::Button:
        if (row.style & WordWrap)
            return new CaptionButton(QString::fromUtf8(row.text), parent);
        return new QPushButton(QString::fromUtf8(row.text), parent);
    case ControlKind::TextBox:
        return new QLineEdit(parent);
    case ControlKind::Picture: {
        auto* picture = new PictureControl(parent);
        picture->setArt(QString::fromLatin1(row.text));
        return picture;
    }
    case ControlKind::Line:
    case ControlKind::Custom:
        break;
    }
    return nullptr;
}

} // namespace

QRect toPixels(const QRect& rect, Units units)
{
    return QRect(toPixels(rect.x(), units), toPixels(rect.y(), units), toPixels(rect.width(), units),
                 toPixels(rect.height(), units));
}

QFont makeFont(const FontStyle& style)
{
    QFont font(QString::fromLatin1(style.family ? style.family : "Arial"));
    if (style.pointSize > 0)
        font.setPointSizeF(style.pointSize);
    font.setBold(style.bold);
    return font;
}

void placeControl(QWidget* control, const ControlRow& row, Units units)
{
    control->setObjectName(QString::fromLatin1(row.name));
    control->setGeometry(toPixels(QRect(row.x, row.y, row.w, row.h), units));
    if (row.font.family)
        control->setFont(makeFont(row.font));
    control->setProperty("tabOrder", row.tabOrder);
    if (row.helpTopic)
        control->setProperty("helpTopic", row.helpTopic);
    if (row.tabOrder < 0 && row.kind != ControlKind::Custom)
        control->setFocusPolicy(Qt::NoFocus);
}

void buildControls(QWidget* parent, const std::vector<ControlRow>& rows, Units units)
{
    for (const ControlRow& row : rows) {
        if (row.kind == ControlKind::Custom)
            continue;
        if (row.kind == ControlKind::Line) {
            auto* line = new LineControl(parent);
            line->setObjectName(QString::fromLatin1(row.name));
            line->setEnds(QPoint(toPixels(row.x, units), toPixels(row.y, units)),
                          QPoint(toPixels(row.w, units), toPixels(row.h, units)), std::max(1, row.tabOrder));
            continue;
        }
        placeControl(makeControl(parent, row), row, units);
    }
    applyTabOrder(parent);
}

void applyTabOrder(QWidget* parent)
{
    std::vector<std::pair<int, QWidget*>> ordered;
    for (QWidget* child : parent->findChildren<QWidget*>()) {
        bool ok = false;
        const int order = child->property("tabOrder").toInt(&ok);
        if (ok && order >= 0)
            ordered.emplace_back(order, child);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1].second, ordered[i].second);
}

const ControlRow& layoutRow(const std::vector<ControlRow>& rows, std::string_view name)
{
    for (const ControlRow& row : rows) {
        if (name == row.name)
            return row;
    }
    std::fprintf(stderr, "No layout row is named %.*s\n", static_cast<int>(name.size()), name.data());
    std::abort();
}

void setClientSize(QWidget* window, int width, int height, Units units)
{
    window->resize(toPixels(width, units), toPixels(height, units));
}

void missingControl(const QWidget* window, const char* name)
{
    std::fprintf(stderr, "Window %s has no control named %s\n", qPrintable(window->objectName()), name);
    std::abort();
}
