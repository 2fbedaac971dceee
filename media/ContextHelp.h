// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QString>

#include <functional>

// Context help for a window's controls. A control carries its topic number in the
// dynamic property "helpTopic" (set by the window's layout table). In a window with
// context help switched on:
//   F1             shows the topic of the control that has the keyboard focus;
//   Shift+F1, or the title-bar question mark where the desktop offers one, starts the
//                  What's-This mode: the next click on a control shows its topic.
// The topic is read, at that moment, from the help file that `helpFile` returns and shown
// as a small pop-up beside the control. A control without a topic shows nothing.
namespace ContextHelp {

using HelpFileSource = std::function<QString()>;

void install(QWidget* window, HelpFileSource helpFile);
bool isInstalled(const QWidget* window);

// The topic number a control (or, for a control's inner part, the control it belongs to)
// carries; 0 when none.
int topicOf(const QWidget* widget);

// Shows the pop-up for `control` as F1 or a What's-This click would; returns it, or nullptr
// when nothing is shown (no topic, or a window without context help).
QWidget* showFor(QWidget* control);

// The pop-up on screen, if any.
QWidget* currentPopup();

} // namespace ContextHelp

// The small pop-up window beside a control: the topic's text, or a message when the help
// file or the topic cannot be read. Any click or key closes it.
class HelpPopup : public QFrame
{
    Q_OBJECT
public:
    HelpPopup(QWidget* control, const QString& html, const QString& helpFile, int topic);

    QString text() const { return m_html; }
    QString helpFile() const { return m_helpFile; }
    int topic() const { return m_topic; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_html;
    QString m_helpFile;
    int m_topic;
};
