// SPDX-License-Identifier: GPL-3.0-or-later
#include "Services.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>

namespace {

void showMessageBox(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void endNow()
{
    QApplication::closeAllWindows();
    std::exit(0);
}

MessageService::Handler& messageHandler()
{
    static MessageService::Handler handler = showMessageBox;
    return handler;
}

ProgramEnd::Handler& endHandler()
{
    static ProgramEnd::Handler handler = endNow;
    return handler;
}

} // namespace

void MessageService::show(const QString& text, const QString& title)
{
    messageHandler()(text, title);
}

void MessageService::setHandler(Handler handler)
{
    messageHandler() = std::move(handler);
}

void MessageService::resetHandler()
{
    messageHandler() = showMessageBox;
}

void ProgramEnd::end()
{
    endHandler()();
}

void ProgramEnd::setHandler(Handler handler)
{
    endHandler() = std::move(handler);
}

void ProgramEnd::resetHandler()
{
    endHandler() = endNow;
}
