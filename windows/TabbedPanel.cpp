// SPDX-License-Identifier: GPL-3.0-or-later
#include "TabbedPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>

namespace {
// The keyboard focus's colour on the designed windows, as the option pictures draw it.
const QColor FocusColour(0, 0, 160);
} // namespace

// The header rows: paints the tab headers and turns a click on one into a tab change.
// A click on the strip outside every header does nothing.
class TabHeaderStrip : public QWidget
{
public:
    explicit TabHeaderStrip(TabbedPanel* panel) : QWidget(panel), m_panel(panel)
    {
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("SSTab1Headers"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        for (int i = 0; i < m_panel->count(); ++i) {
            if (m_panel->headerRect(i).contains(event->position().toPoint())) {
                m_panel->setCurrentIndex(i);
                m_panel->setFocus(Qt::MouseFocusReason);
                return;
            }
        }
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QPalette& pal = palette();
        const QColor light = pal.color(QPalette::Light);
        const QColor dark = pal.color(QPalette::Dark);
        const QColor shadow = pal.color(QPalette::Shadow);
        for (int i = 0; i < m_panel->count(); ++i) {
            const bool current = i == m_panel->currentIndex();
            QRect r = m_panel->headerRect(i);
            painter.fillRect(r.adjusted(1, 1, -1, 0),
                             current ? pal.color(QPalette::Window) : pal.color(QPalette::Button).darker(112));
            painter.setPen(light);
            painter.drawLine(r.left(), r.bottom(), r.left(), r.top() + 2);
            painter.drawLine(r.left() + 2, r.top(), r.right() - 2, r.top());
            painter.drawPoint(r.left() + 1, r.top() + 1);
            painter.setPen(shadow);
            painter.drawLine(r.right(), r.top() + 2, r.right(), r.bottom());
            painter.drawPoint(r.right() - 1, r.top() + 1);
            painter.setPen(dark);
            painter.drawLine(r.right() - 1, r.top() + 2, r.right() - 1, r.bottom());
            if (current) // the tab in front is marked along its top edge
                painter.fillRect(QRect(r.left() + 2, r.top() + 1, r.width() - 4, 2), pal.color(QPalette::Highlight));
            painter.setPen(pal.color(QPalette::WindowText));
            painter.setFont(font());
            const QRect textRect = r.adjusted(4, 1, -4, 0);
            painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, m_panel->tabText(i));
            if (current && m_panel->hasFocus()) {
                // The focus frame of the option pictures, drawn thinner: a solid dark blue
                // frame around the caption, plain to see where a style's dotted one is not.
                const QRect frame = painter.fontMetrics()
                                        .boundingRect(textRect, Qt::AlignCenter, m_panel->tabText(i))
                                        .adjusted(-3, 0, 3, 0)
                                        .intersected(r.adjusted(2, 3, -3, -1));
                painter.fillRect(frame, FocusColour);
                painter.fillRect(frame.adjusted(2, 2, -2, -2), pal.color(QPalette::Window));
                painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, m_panel->tabText(i));
            }
        }
    }

private:
    TabbedPanel* m_panel;
};

TabbedPanel::TabbedPanel(QWidget* parent, const QStringList& captions, int tabsPerRow)
    : QWidget(parent), m_captions(captions), m_tabsPerRow(tabsPerRow > 0 ? tabsPerRow : 1),
      m_strip(new TabHeaderStrip(this))
{
    setFocusPolicy(Qt::TabFocus);
    m_pages.reserve(static_cast<std::size_t>(captions.size()));
    m_options.resize(static_cast<std::size_t>(captions.size()));
    for (int i = 0; i < captions.size(); ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("SSTab1Page%1").arg(i + 1));
        page->hide();
        m_pages.push_back(page);
    }
    m_strip->raise();
    if (!m_pages.empty())
        setCurrentIndex(0);

    // Ctrl+Tab and Ctrl+PageDown (Ctrl+Shift+Tab and Ctrl+PageUp backwards) turn the tabs from
    // anywhere in the window.
    auto addShortcut = [this](QKeyCombination keys, int step) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step] { turn(step); });
    };
    addShortcut(Qt::CTRL | Qt::Key_Tab, 1);
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1);
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1); // where Shift+Tab does not arrive as Backtab
    addShortcut(Qt::CTRL | Qt::Key_PageDown, 1);
    addShortcut(Qt::CTRL | Qt::Key_PageUp, -1);
}

void TabbedPanel::turn(int step)
{
    if (count() > 0)
        setCurrentIndex((m_current + step % count() + count()) % count());
}

int TabbedPanel::headerHeight() const
{
    const int rows = (count() + m_tabsPerRow - 1) / m_tabsPerRow;
    return rows * HeaderRowHeight;
}

QRect TabbedPanel::headerRect(int index) const
{
    const int row = index / m_tabsPerRow;
    const int column = index % m_tabsPerRow;
    const int tabWidth = width() / m_tabsPerRow;
    return QRect(column * tabWidth, row * HeaderRowHeight, tabWidth, HeaderRowHeight);
}

void TabbedPanel::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    QWidget* previous = m_current >= 0 ? page(m_current) : nullptr;
    // An option of the tab put away hands the focus back to the headers.
    if (previous && previous->isAncestorOf(QApplication::focusWidget()))
        setFocus(Qt::OtherFocusReason);
    m_current = index;
    page(index)->show();
    if (previous)
        previous->hide();
    m_strip->update();
    emit currentChanged(index);
}

void TabbedPanel::paintEvent(QPaintEvent*)
{
    // The page frame below the header rows, raised like a panel.
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, headerHeight(), 0, 0);
    const QPalette& pal = palette();
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(frame.left(), frame.top(), frame.left(), frame.bottom());
    painter.setPen(pal.color(QPalette::Shadow));
    painter.drawLine(frame.right(), frame.top(), frame.right(), frame.bottom());
    painter.drawLine(frame.left(), frame.bottom(), frame.right(), frame.bottom());
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(frame.right() - 1, frame.top() + 1, frame.right() - 1, frame.bottom() - 1);
    painter.drawLine(frame.left() + 1, frame.bottom() - 1, frame.right() - 1, frame.bottom() - 1);
    // The top edge, open under the current tab's header when that header touches the frame.
    painter.setPen(pal.color(QPalette::Light));
    const QRect current = m_current >= 0 ? headerRect(m_current) : QRect();
    if (current.isValid() && current.bottom() + 1 == frame.top()) {
        painter.drawLine(frame.left(), frame.top(), current.left(), frame.top());
        painter.drawLine(current.right(), frame.top(), frame.right(), frame.top());
    } else {
        painter.drawLine(frame.left(), frame.top(), frame.right(), frame.top());
    }
}

void TabbedPanel::resizeEvent(QResizeEvent*)
{
    for (QWidget* page : m_pages)
        page->setGeometry(rect());
    m_strip->setGeometry(0, 0, width(), headerHeight());
}

void TabbedPanel::keyPressEvent(QKeyEvent* event)
{
    // With the focus on the tab headers, the arrow keys move between tabs.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QList<QWidget*> options = m_current >= 0 ? m_options[static_cast<std::size_t>(m_current)] : QList<QWidget*>();
    switch (event->key()) {
    case Qt::Key_Left:
        turn(-1);
        break;
    case Qt::Key_Right:
        turn(1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (options.isEmpty())
            turn(event->key() == Qt::Key_Down ? 1 : -1);
        else
            (event->key() == Qt::Key_Down ? options.constFirst() : options.constLast())->setFocus(Qt::TabFocusReason);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TabbedPanel::focusInEvent(QFocusEvent* event)
{
    m_strip->update();
    QWidget::focusInEvent(event);
}

void TabbedPanel::focusOutEvent(QFocusEvent* event)
{
    m_strip->update();
    QWidget::focusOutEvent(event);
}

void TabbedPanel::setKeyboardOptions(int index, const QList<QWidget*>& options)
{
    for (QWidget* option : options)
        option->installEventFilter(this);
    m_options.at(static_cast<std::size_t>(index)) = options;
}

bool TabbedPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || m_current < 0)
        return QWidget::eventFilter(watched, event);
    const QList<QWidget*>& options = m_options[static_cast<std::size_t>(m_current)];
    const qsizetype at = options.indexOf(static_cast<QWidget*>(watched));
    const auto* key = static_cast<QKeyEvent*>(event);
    if (at < 0 || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return QWidget::eventFilter(watched, event);
    const bool back =
        key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        options[(at + options.size() - 1) % options.size()]->setFocus(Qt::BacktabFocusReason);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Down:
        options[(at + 1) % options.size()]->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        setFocus(Qt::BacktabFocusReason);
        if (!back)
            focusNextPrevChild(true);
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

#include "moc_TabbedPanel.cpp"
