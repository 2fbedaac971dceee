// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

ReportDialogs::Handlers platformHandlers()
{
    ReportDialogs::Handlers handlers;
    handlers.askSavePath = [](QWidget* parent, const QString& proposedPath) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Report"), proposedPath,
                                            QStringLiteral("PDF documents (*.pdf)"));
    };
    handlers.askToOpen = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Report"), text, QMessageBox::NoButton, parent);
        QPushButton* open = box.addButton(QStringLiteral("&Open"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("&Close"), QMessageBox::RejectRole);
        box.setDefaultButton(open);
        box.exec();
        return box.clickedButton() == open;
    };
    handlers.open = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    return handlers;
}

ReportDialogs::Handlers& handlers()
{
    static ReportDialogs::Handlers current = platformHandlers();
    return current;
}

} // namespace

QString ReportDialogs::askSavePath(QWidget* parent, const QString& proposedPath)
{
    return handlers().askSavePath(parent, proposedPath);
}

bool ReportDialogs::askToOpen(QWidget* parent, const QString& text)
{
    return handlers().askToOpen(parent, text);
}

void ReportDialogs::open(const QString& path)
{
    handlers().open(path);
}

void ReportDialogs::setHandlers(Handlers replacement)
{
    handlers() = std::move(replacement);
}

void ReportDialogs::resetHandlers()
{
    handlers() = platformHandlers();
}
