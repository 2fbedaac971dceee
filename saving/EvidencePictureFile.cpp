// SPDX-License-Identifier: GPL-3.0-or-later
#include "EvidencePictureFile.h"

#include <QFile>
#include <QFileInfo>

std::optional<EvidencePicture> readEvidencePicture(const QString& file, const QString& role, QString* error)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The picture \"%1\" cannot be read any more: %2").arg(file, input.errorString());
        return std::nullopt;
    }
    EvidencePicture picture;
    picture.role = role;
    picture.bytes = input.readAll();
    picture.fileName = QFileInfo(file).fileName();
    picture.sha256 = sha256Hex(picture.bytes);
    return picture;
}
