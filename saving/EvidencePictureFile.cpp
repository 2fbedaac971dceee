// SPDX-License-Identifier: GPL-3.0-or-later
#include "EvidencePictureFile.h"

#include "EvidencePictureBytes.h"

#include <QFile>
#include <QFileInfo>

std::optional<EvidencePicture> readEvidencePicture(const QString& file, const QString& role, QString* error)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The picture \"%1\" cannot be read any more: %2").arg(file, input.errorString());
        return std::nullopt;
    }
    // Hashed a part at a time and left in its file, which the evidence copies from when written.
    Sha256Stream hash;
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    qint64 size = 0;
    for (qint64 count = 0; (count = input.read(buffer.data(), buffer.size())) != 0; size += count) {
        if (count < 0) {
            *error = QStringLiteral("The picture \"%1\" cannot be read any more: %2").arg(file, input.errorString());
            return std::nullopt;
        }
        hash.add(QByteArrayView(buffer.constData(), count));
    }
    EvidencePicture picture;
    picture.role = role;
    picture.fileName = QFileInfo(file).fileName();
    picture.sha256 = hash.hex();
    picture.source = {QFileInfo(file).absoluteFilePath(), size, nullptr};
    return picture;
}
