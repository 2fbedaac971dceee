// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpViewer.h"

#include "HelpFiles.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDefaultStyleSheet(
        QStringLiteral("h1 { color: #000080; } h2 { color: #000080; } h3 { color: #000080; }"));

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("HelpContents"));
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("HelpBack"));
    auto* close = new QPushButton(QStringLiteral("C&lose"), this);
    close->setObjectName(QStringLiteral("HelpClose"));
    back->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, &HelpViewer::showContentsTopic);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    resize(680, 720);
}

HelpViewer* HelpViewer::showContents(QWidget* owner, const QString& helpPath, const Report& report)
{
    HelpDocument document;
    QString error;
    if (!document.load(helpPath, &error)) {
        if (report)
            report(error);
        return nullptr;
    }
    auto* viewer = owner ? owner->findChild<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!viewer)
        viewer = new HelpViewer(owner);
    viewer->m_file = document.path();
    viewer->setWindowTitle(document.title());
    viewer->m_browser->clearHistory();
    viewer->m_browser->setHtml(document.pageHtml());
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    viewer->showContentsTopic();
    return viewer;
}

void HelpViewer::showContentsTopic()
{
    // The contents come first in the page.
    m_browser->moveCursor(QTextCursor::Start);
    m_browser->verticalScrollBar()->setValue(0);
}

void HelpViewer::showTopic(int topic)
{
    m_browser->scrollToAnchor(QStringLiteral("topic-%1").arg(topic));
}
