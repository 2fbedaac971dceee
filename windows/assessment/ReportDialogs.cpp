// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportDialogs.h"

#include "OutputFiles.h"
#include <QDesktopServices>

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

ReportDialogs::Handlers platformHandlers()
{
    ReportDialogs::Handlers handlers;
    handlers.askSavePath = [](QWidget* parent, const QString& proposedPath) {
        QFileDialog dialog(parent, QStringLiteral("Save Report"), proposedPath,
                           QStringLiteral("PDF documents (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Qt's own dialog greys its Save button for a name too long, without a word: say why.
        if (auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            const QString plainLabel = dialog.labelText(QFileDialog::FileName);
            QObject::connect(nameBox, &QLineEdit::textChanged, &dialog, [&dialog, plainLabel](const QString& name) {
                const bool tooLong = !OutputFiles::nameLengthRefusal(name).isEmpty();
                dialog.setLabelText(
                    QFileDialog::FileName,
                    tooLong ? QStringLiteral("Name too long (over %1 bytes):").arg(OutputFiles::MaxNameBytes)
                            : plainLabel);
            });
        }
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    handlers.askToOpen = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Report"), text, QMessageBox::NoButton, parent);
        QPushButton* open = box.addButton(QStringLiteral("&Open"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("&Close"), QMessageBox::RejectRole);
        box.setDefaultButton(open);
        box.exec();
        return box.clickedButton() == open;
    };
    handlers.open = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
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

bool ReportDialogs::open(const QString& path)
{
    return handlers().open(path);
}

void ReportDialogs::setHandlers(Handlers replacement)
{
    handlers() = std::move(replacement);
}

void ReportDialogs::resetHandlers()
{
    handlers() = platformHandlers();
}
