// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Publication.h"

#include <QString>
#include <QStringList>

// Publications waiting for the team database: one private file each in a folder of the user's
// own, so a save never waits for the server and nothing is lost while the server is away.
class Outbox
{
public:
    // The outbox in `folder` (made private to the user when first written).
    explicit Outbox(const QString& folder);

    // The user's outbox, in the program's data folder.
    static QString defaultFolder();

    // Keeps `publication` until it is sent; false with `error` set when it cannot be written.
    bool add(const Publication& publication, QString* error) const;

    // The waiting publications' files, oldest first.
    QStringList pending() const;

    // Reads one waiting file; nothing for a file that is not a publication.
    static std::optional<Publication> read(const QString& file);

    // Removes a file once the database holds its publication.
    static void remove(const QString& file);

    QString folder() const { return m_folder; }

private:
    QString m_folder;
};
