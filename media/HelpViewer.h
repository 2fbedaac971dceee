// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HelpFiles.h"

#include <QWidget>

#include <functional>

class QPushButton;
class QTextBrowser;
class QUrl;

// The program's help window: shows one help file, opened at its contents, with links to
// its topics. One viewer per owning window; opening again reuses and raises it.
// It shows one section at a time and stays inside its file: links lead only to the file's
// own topics ("#topic-N", "#contents"), pictures come only from the file's folder, and
// anything else is ignored.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    using Report = std::function<void(const QString& text)>;

    // Opens the help file named by `helpPath` at its contents in `owner`'s viewer. When the
    // file is missing, unreadable or too large, reports a message instead and shows no viewer.
    static HelpViewer* showContents(QWidget* owner, const QString& helpPath, const Report& report);

    QString helpFile() const { return m_document.path(); }
    QTextBrowser* browser() const { return m_browser; }

    // Shows the contents, or a topic (the contents when the file lacks it).
    void showContentsTopic();
    void showTopic(int topic);
    // The section on show: 0 for the contents, else the topic number.
    int currentTopic() const { return m_current; }

private:
    explicit HelpViewer(QWidget* owner);
    void show(int topic, bool remember);
    void follow(const QUrl& link);
    void back();

    QTextBrowser* m_browser;
    QPushButton* m_back;
    HelpDocument m_document;
    int m_current = 0;
    QList<int> m_history;
};
