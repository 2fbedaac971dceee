// SPDX-License-Identifier: GPL-3.0-or-later
#include "Services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>

namespace {

void showMessageBox(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool askWithMessageBox(const QString& text, const QString& title, const QString& actCaption, const QString& keepCaption)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* act = box.addButton(actCaption, QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(keepCaption, QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == act;
}

QuestionService::Handler& questionHandler()
{
    static QuestionService::Handler handler = askWithMessageBox;
    return handler;
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

bool QuestionService::ask(const QString& text, const QString& title, const QString& act, const QString& keep)
{
    return questionHandler()(text, title, act, keep);
}

void QuestionService::setHandler(Handler handler)
{
    questionHandler() = std::move(handler);
}

void QuestionService::resetHandler()
{
    questionHandler() = askWithMessageBox;
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
