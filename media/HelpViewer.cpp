// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// A text browser that loads nothing but pictures from one folder.
class ConfinedBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;
    QString folder;

    QVariant loadResource(int type, const QUrl& name) override
    {
        if (type != QTextDocument::ImageResource || !name.isLocalFile())
            return {};
        const QString path = name.toLocalFile();
        if (!HelpFiles::isInsideFolder(path, folder))
            return {};
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.read(HelpFiles::MaxFileSize);
    }
};

} // namespace

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window), m_browser(new ConfinedBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDefaultStyleSheet(
        QStringLiteral("h1 { color: #000080; } h2 { color: #000080; } h3 { color: #000080; }"));

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("HelpContents"));
    m_back = new QPushButton(QStringLiteral("&Back"), this);
    m_back->setObjectName(QStringLiteral("HelpBack"));
    auto* close = new QPushButton(QStringLiteral("C&lose"), this);
    close->setObjectName(QStringLiteral("HelpClose"));
    m_back->setEnabled(false);
    // Enter presses the focused button here as in the program's other windows.
    for (QPushButton* button : {contents, m_back, close})
        button->setAutoDefault(true);
    connect(contents, &QPushButton::clicked, this, &HelpViewer::showContentsTopic);
    connect(m_back, &QPushButton::clicked, this, &HelpViewer::back);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::follow);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(m_back);
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
    viewer->m_document = document;
    static_cast<ConfinedBrowser*>(viewer->m_browser)->folder = document.folder();
    viewer->setWindowTitle(document.title());
    viewer->m_history.clear();
    viewer->show(0, false);
    viewer->QWidget::show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

void HelpViewer::show(int topic, bool remember)
{
    if (topic != 0 && !m_document.hasTopic(topic))
        topic = 0;
    if (remember)
        m_history << m_current;
    m_current = topic;
    m_browser->setHtml(topic == 0 ? m_document.contentsHtml() : m_document.topicHtml(topic));
    m_browser->moveCursor(QTextCursor::Start);
    m_browser->verticalScrollBar()->setValue(0);
    m_back->setEnabled(!m_history.isEmpty());
}

void HelpViewer::showContentsTopic()
{
    show(0, m_current != 0);
}

void HelpViewer::showTopic(int topic)
{
    show(topic, true);
}

void HelpViewer::back()
{
    if (!m_history.isEmpty())
        show(m_history.takeLast(), false);
}

void HelpViewer::follow(const QUrl& link)
{
    // Only the file's own sections: "#topic-N" or "#contents", or the same with the file's
    // own name in front. Every other address (another file, a device, the web) is ignored.
    if (!link.hasFragment())
        return;
    if (!link.path().isEmpty() && !(link.scheme().isEmpty() || link.isLocalFile()))
        return;
    if (!link.path().isEmpty()) {
        const QString path = link.isLocalFile() ? link.toLocalFile() : link.path();
        if (QFileInfo(path).fileName().compare(QFileInfo(m_document.path()).fileName(), Qt::CaseInsensitive) != 0)
            return;
    }
    static const QRegularExpression topicAnchor(QStringLiteral("^topic-(\\d{1,9})$"));
    const QString fragment = link.fragment();
    if (fragment == QLatin1String("contents")) {
        showContentsTopic();
    } else if (const QRegularExpressionMatch match = topicAnchor.match(fragment); match.hasMatch()) {
        if (m_document.hasTopic(match.captured(1).toInt()))
            showTopic(match.captured(1).toInt());
    }
}

#include "moc_HelpViewer.cpp"
