// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A picture control: draws one of the program's pictures stretched to its own size, at the
// screen's pixel density, and reports clicks. Tab and a click never give it the focus; when
// given it (by the arrow keys of a tabbed panel) it shows a focus frame, and Space or Enter
// report a click.
class PictureControl : public QWidget
{
    Q_OBJECT
public:
    explicit PictureControl(QWidget* parent);

    void setArt(const QString& art, bool mirrored = false);
    QString art() const { return m_art; }
    bool mirrored() const { return m_mirrored; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString m_art;
    bool m_mirrored = false;
};
