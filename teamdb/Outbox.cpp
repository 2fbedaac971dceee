// SPDX-License-Identifier: GPL-3.0-or-later
#include "Outbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

// A waiting publication is at most a saved file's record and its evidence in JSON.
constexpr qint64 LargestWaitingFile = qint64{64} * 1024 * 1024;

const QString Suffix = QStringLiteral(".publication.json");

} // namespace

Outbox::Outbox(const QString& folder) : m_folder(folder) {}

QString Outbox::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("outbox"));
}

bool Outbox::add(const Publication& publication, QString* error) const
{
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    // Employee data: readable by its owner only.
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Named so that the same publication waits once and the oldest is sent first.
    const QString name = QStringLiteral("%1-%2%3")
                             .arg(QDateTime::currentMSecsSinceEpoch(), 13, 10, QLatin1Char('0'))
                             .arg(publication.key().left(32), Suffix);
    for (const QString& waiting : pending()) {
        if (waiting.contains(publication.key().left(32)))
            return true;
    }
    QSaveFile file(QDir(m_folder).filePath(name));
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray json = QJsonDocument(publication.toJson()).toJson(QJsonDocument::Compact);
    if (file.write(json) != json.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QStringList Outbox::pending() const
{
    QStringList files;
    const QFileInfoList entries =
        QDir(m_folder).entryInfoList({QStringLiteral("*") + Suffix}, QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries)
        files << entry.absoluteFilePath();
    return files;
}

std::optional<Publication> Outbox::read(const QString& file)
{
    QFile in(file);
    if (QFileInfo(file).size() > LargestWaitingFile || !in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument json = QJsonDocument::fromJson(in.readAll());
    return json.isObject() ? Publication::fromJson(json.object()) : std::nullopt;
}

void Outbox::remove(const QString& file)
{
    QFile::remove(file);
}
