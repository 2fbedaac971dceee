// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A picture control: draws one of the program's pictures stretched to its own size
// and reports clicks. It takes no keyboard focus.
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

private:
    QString m_art;
    bool m_mirrored = false;
};
