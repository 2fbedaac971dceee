// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Evidence.h"

#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>

#include <memory>

class QSqlDatabase;

// The bytes of the evidence's pictures, moved a part at a time (a picture may be hundreds of
// megabytes): copied out of an evidence file and hashed as they go, and copied into a new
// evidence file from where they are, checked again.

// Pictures move a megabyte at a time: large enough that the calls cost nothing beside the
// copying, small enough that no picture is ever held whole.
constexpr int PicturePart = 1 << 20;

// A quick check of a picture's bytes, taken beside their SHA-256 over the same parts (a
// picture's bytes in PicturePart parts from its start) and some thirty times faster. A picture
// copied into the evidence after its SHA-256 was worked out is checked against it rather than
// hashed again: it catches any change to the file in between, while the SHA-256 is what proves
// the bytes to whoever reads the evidence later.
class QuickSum
{
public:
    void add(QByteArrayView part) { m_value = qHashBits(part.data(), std::size_t(part.size()), m_value); }
    quint64 value() const { return m_value; }

private:
    quint64 m_value = 0;
};

// A SHA-256 taken in parts: with the processor's SHA instructions where it has them, else
// OpenSSL's where libcrypto is there, else Qt's.
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

// The bytes of the picture `picture` of the open evidence `db`, laid out as the file
// `fileName` in a new private folder a part at a time, and hashed as they go: one pass over them.
struct LaidOutPicture
{
    QString error;        // why the bytes could not be read or written; empty when they were
    bool matches = false; // written, and their SHA-256 is `sha256`; otherwise nothing is kept
    PictureSource source; // the file written, in its folder
};
LaidOutPicture layOutPicture(QSqlDatabase& db, qint64 picture, const QString& fileName, const QString& sha256);

// Stores the bytes at the source of `picture` as the data of its row `number` in the evidence
// being written on `db`, a part at a time, checked against its SHA-256. The error, or empty.
QString storePictureBytes(QSqlDatabase& db, qint64 number, const EvidencePicture& picture);
