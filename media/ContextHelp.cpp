// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContextHelp.h"

#include "HelpFiles.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace {

constexpr int PopupWidth = 360;

// Held by each window that has context help: where its help file comes from.
class ContextHelpBinding : public QObject
{
public:
    ContextHelpBinding(QWidget* window, ContextHelp::HelpFileSource source)
        : QObject(window), helpFile(std::move(source))
    {
        setObjectName(QStringLiteral("ContextHelp"));
    }
    ContextHelp::HelpFileSource helpFile;
};

ContextHelpBinding* bindingOf(const QWidget* widget)
{
    if (!widget)
        return nullptr;
    const QWidget* window = widget->window();
    return window->findChild<ContextHelpBinding*>(QStringLiteral("ContextHelp"), Qt::FindDirectChildrenOnly);
}

QPointer<HelpPopup>& popup()
{
    static QPointer<HelpPopup> current;
    return current;
}

// One filter on the application sees the help key and the What's-This clicks of every
// window; it acts only for windows that have context help.
class ContextHelpFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_F1 || !bindingOf(widget))
                return false;
            const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
            if (modifiers == Qt::ShiftModifier) {
                QWhatsThis::enterWhatsThisMode();
                return true;
            }
            if (modifiers != Qt::NoModifier)
                return false;
            QWidget* focus = QApplication::focusWidget();
            ContextHelp::showFor(focus && focus->window() == widget->window() ? focus : widget);
            return true;
        }
        case QEvent::WhatsThis:
            if (!bindingOf(widget))
                return false;
            // One click answers; the mode ends whether or not the control has a topic.
            QWhatsThis::leaveWhatsThisMode();
            ContextHelp::showFor(widget);
            event->accept();
            return true;
        case QEvent::QueryWhatsThis:
            if (!bindingOf(widget))
                return false;
            event->setAccepted(ContextHelp::topicOf(widget) > 0);
            return true;
        default:
            return false;
        }
    }
};

void ensureFilter()
{
    static QPointer<ContextHelpFilter> filter;
    if (!filter && qApp) {
        filter = new ContextHelpFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

QString messageHtml(const QString& text)
{
    return QStringLiteral("<p><b>Help is not available.</b></p><p>%1</p>").arg(text.toHtmlEscaped());
}

} // namespace

void ContextHelp::install(QWidget* window, HelpFileSource helpFile)
{
    if (!window || isInstalled(window))
        return;
    new ContextHelpBinding(window, std::move(helpFile));
    ensureFilter();
}

bool ContextHelp::isInstalled(const QWidget* window)
{
    return window && window->findChild<ContextHelpBinding*>(QStringLiteral("ContextHelp"), Qt::FindDirectChildrenOnly);
}

int ContextHelp::topicOf(const QWidget* widget)
{
    // Inner parts of a control (a list's viewport, a text box's buttons) answer for the
    // control; the search stops at the window.
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QVariant topic = w->property("helpTopic");
        if (topic.isValid())
            return topic.toInt();
    }
    return 0;
}

QWidget* ContextHelp::showFor(QWidget* control)
{
    ContextHelpBinding* binding = bindingOf(control);
    const int topic = topicOf(control);
    if (!binding || topic <= 0)
        return nullptr;

    const QString helpPath = binding->helpFile ? binding->helpFile() : QString();
    HelpDocument document;
    QString error;
    QString html;
    if (!document.load(helpPath, &error))
        html = messageHtml(error);
    else if (!document.hasTopic(topic))
        html = messageHtml(QStringLiteral("The help file \"%1\" has no topic %2.")
                               .arg(QDir::toNativeSeparators(document.path()))
                               .arg(topic));
    else
        html = document.topicHtml(topic);

    if (popup())
        popup()->close();
    popup() = new HelpPopup(control, html, document.path(), topic);
    return popup();
}

QWidget* ContextHelp::currentPopup()
{
    return popup();
}

HelpPopup::HelpPopup(QWidget* control, const QString& html, const QString& helpFile, int topic)
    : QFrame(control->window(), Qt::Popup), m_html(html), m_helpFile(helpFile), m_topic(topic)
{
    setObjectName(QStringLiteral("ContextHelpPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setPalette(QToolTip::palette());
    setAutoFillBackground(true);

    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("ContextHelpText"));
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setFixedWidth(PopupWidth);
    label->setText(
        QStringLiteral("<style>h2 { font-size: large; color: #000080; margin: 0; } p { margin-top: 4px; }</style>") +
        html);
    label->setFont(QFont(QStringLiteral("Arial"), 10));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(label);
    adjustSize();

    // Beside the control: to its right, else to its left, else below it, on its screen.
    const QRect target(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QRect screen = control->screen() ? control->screen()->availableGeometry() : QRect();
    QPoint at(target.right() + 6, target.top());
    if (screen.isValid()) {
        if (at.x() + width() > screen.right())
            at.setX(target.left() - 6 - width());
        if (at.x() < screen.left())
            at =
                QPoint(std::max(screen.left(), std::min(target.left(), screen.right() - width())), target.bottom() + 6);
        if (at.y() + height() > screen.bottom())
            at.setY(std::max(screen.top(), screen.bottom() - height()));
    }
    move(at);
    show();
}

void HelpPopup::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    close();
}

void HelpPopup::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    close();
}

#include "moc_ContextHelp.cpp"
