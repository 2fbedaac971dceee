// SPDX-License-Identifier: GPL-3.0-or-later
#include "Services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

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

std::vector<std::pair<QPointer<const QObject>, std::function<bool()>>>& finishers()
{
    static std::vector<std::pair<QPointer<const QObject>, std::function<bool()>>> list;
    return list;
}

void endNow()
{
    bool finished = true;
    for (const auto& [owner, finish] : finishers()) {
        if (owner)
            finished = finish() && finished;
    }
    QApplication::closeAllWindows();
    if (!finished) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
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

void ProgramEnd::addFinisher(const QObject* owner, std::function<bool()> finish)
{
    std::vector<std::pair<QPointer<const QObject>, std::function<bool()>>>& list = finishers();
    list.erase(std::remove_if(list.begin(), list.end(), [](const auto& entry) { return entry.first.isNull(); }),
               list.end());
    list.emplace_back(owner, std::move(finish));
}
