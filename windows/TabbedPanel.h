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
// reaches the panel through the focus chain, where the arrow keys move between tabs;
// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp do so anywhere in the window.
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

private:
    friend class TabHeaderStrip;

    QStringList m_captions;
    int m_tabsPerRow;
    int m_current = -1;
    std::vector<QWidget*> m_pages;
    TabHeaderStrip* m_strip;
};
