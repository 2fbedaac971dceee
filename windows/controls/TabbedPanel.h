// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class TabHeaderStrip;

// A tabbed panel whose tab headers stand in rows (a fixed number of tabs to a row) across
// its top. Each tab's page covers the whole panel, header strip included, so controls on a
// page are placed relative to the panel's top-left corner; the header strip lies on top of
// the pages. Clicking a header shows that tab's page and hides the others. The keyboard
// reaches the panel through the focus chain, where Left and Right move between tabs;
// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp do so anywhere in the window.
// Down and Up move the focus from the headers to the first or last option of the shown tab;
// among its options the arrow keys move it on or back (wrapping around), Tab leaves them for
// the next control after the panel, Shift+Tab returns to the headers. The options stay out
// of the Tab order.
class TabbedPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HeaderRowHeight = 20;

    TabbedPanel(QWidget* parent, const QStringList& captions, int tabsPerRow);

    int count() const { return static_cast<int>(m_pages.size()); }
    int currentIndex() const { return m_current; }
    QWidget* page(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }
    QString tabText(int index) const { return m_captions.at(index); }
    int tabsPerRow() const { return m_tabsPerRow; }
    int headerHeight() const;

    // The header of tab `index`, in the panel's coordinates.
    QRect headerRect(int index) const;

    // The options of tab `index` the arrow keys visit, in that order. They keep their own
    // focus policy (none, so Tab never stops on them): the panel gives them the focus.
    void setKeyboardOptions(int index, const QList<QWidget*>& options);

public slots:
    void setCurrentIndex(int index);
    // Moves `step` tabs on, wrapping around at either end.
    void turn(int step);

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TabHeaderStrip;

    QStringList m_captions;
    int m_tabsPerRow;
    int m_current = -1;
    std::vector<QWidget*> m_pages;
    std::vector<QList<QWidget*>> m_options; // per tab
    TabHeaderStrip* m_strip;
};
