// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QSqlDatabase;
struct EvidencePicture;

// The bytes of the evidence's pictures, moved a part at a time (a picture may be hundreds of
// megabytes): hashed in place in an evidence file, copied out of it into a file, or copied
// into a new evidence file from where they are.

// A SHA-256 taken in parts: OpenSSL's (the processor's SHA instructions) where libcrypto is
// there, Qt's otherwise.
class Sha256Stream
{
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    void add(QByteArrayView bytes);
    // The hash of everything added, as 64 lowercase hex digits; the stream is then spent.
    QString hex();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Opens the evidence file at `path` on `db` as the readers do: read-only and unchangeable, so
// that no journal beside it is looked for or rolled back and no lock file is made.
bool openEvidenceReadOnly(QSqlDatabase& db, const QString& path);

// The bytes of the picture `picture` of the open evidence `db`, read a part at a time.
struct PictureDigest
{
    bool ok = false; // false when its bytes cannot be read
    QString sha256;
    qint64 size = 0;
};
PictureDigest pictureDigest(QSqlDatabase& db, qint64 picture);

// Writes the bytes of `picture` (held, or at its source) to the new file `path`, a part at a
// time, each checked against the picture's SHA-256 as it goes. The error, or an empty text;
// a file whose bytes do not match is removed.
QString writePictureFile(const EvidencePicture& picture, const QString& path);

// Stores the bytes at the source of `picture` as the data of its row `number` in the evidence
// being written on `db`, a part at a time, checked against its SHA-256. The error, or empty.
QString storePictureBytes(QSqlDatabase& db, qint64 number, const EvidencePicture& picture);
