// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

class QTextBrowser;

// The program's help window: shows one help file, opened at its contents, with links to
// its topics. One viewer per owning window; opening again reuses and raises it.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    using Report = std::function<void(const QString& text)>;

    // Opens the help file named by `helpPath` at its contents in `owner`'s viewer. When the
    // file is missing or unreadable, reports a message instead and shows no viewer.
    static HelpViewer* showContents(QWidget* owner, const QString& helpPath, const Report& report);

    QString helpFile() const { return m_file; }
    QTextBrowser* browser() const { return m_browser; }

    // Scrolls to the contents, or to a topic.
    void showContentsTopic();
    void showTopic(int topic);

private:
    explicit HelpViewer(QWidget* owner);

    QTextBrowser* m_browser;
    QString m_file;
};
