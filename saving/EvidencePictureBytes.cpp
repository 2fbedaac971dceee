// SPDX-License-Identifier: GPL-3.0-or-later
#include "EvidencePictureBytes.h"

#include "Evidence.h"
#include "EvidencePictureFile.h"
#include "RunAside.h"
#include "ShaInstructions.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLibrary>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <optional>

namespace {

// Without the SHA instructions, OpenSSL's SHA-256 (which uses the fastest the processor has): a
// 24-megapixel photograph hashes in a few milliseconds, where Qt 6.4's own takes over a hundred.
// libcrypto is loaded at the first hash, not at every start of the program; Qt's hash stands in
// without it.
// Its own SHA-256 calls, not the one-call SHA256(), which looks the digest up by name each time.
using Sha256Init = int (*)(void* context);
using Sha256Update = int (*)(void* context, const void* data, std::size_t size);
using Sha256Final = int (*)(unsigned char* digest, void* context);

struct OpenSslSha256
{
    Sha256Init init = nullptr;
    Sha256Update update = nullptr;
    Sha256Final final = nullptr;
};

const OpenSslSha256& openSsl()
{
    static const OpenSslSha256 functions = [] {
        OpenSslSha256 found;
        QLibrary library(QStringLiteral("crypto"), 3);
        if (!library.load())
            return found;
        found.init = reinterpret_cast<Sha256Init>(library.resolve("SHA256_Init"));
        found.update = reinterpret_cast<Sha256Update>(library.resolve("SHA256_Update"));
        found.final = reinterpret_cast<Sha256Final>(library.resolve("SHA256_Final"));
        return found.init && found.update && found.final ? found : OpenSslSha256{};
    }();
    return functions;
}

QString blobEngineText(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

// The SQLite connection under Qt's driver, whose blobs are read and written in parts.
sqlite3* handleOf(QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// The data of one row of the pictures table, opened for reading or writing in parts.
class PictureBlob
{
public:
    PictureBlob(QSqlDatabase& db, qint64 picture, bool writing) : m_db(handleOf(db))
    {
        if (!m_db)
            m_error = QStringLiteral("the database driver gives no SQLite connection");
        else if (sqlite3_blob_open(m_db, "main", "pictures", "data", picture, writing ? 1 : 0, &m_blob) != SQLITE_OK)
            fail();
    }
    ~PictureBlob()
    {
        if (m_blob)
            sqlite3_blob_close(m_blob);
    }
    PictureBlob(const PictureBlob&) = delete;
    PictureBlob& operator=(const PictureBlob&) = delete;

    bool ok() const { return m_blob != nullptr && m_error.isEmpty(); }
    QString error() const { return m_error; }
    qint64 size() const { return m_blob ? sqlite3_blob_bytes(m_blob) : 0; }

    bool read(char* into, int count, qint64 at)
    {
        if (sqlite3_blob_read(m_blob, into, count, int(at)) != SQLITE_OK)
            fail();
        return ok();
    }
    bool write(QByteArrayView part, qint64 at)
    {
        if (sqlite3_blob_write(m_blob, part.data(), int(part.size()), int(at)) != SQLITE_OK)
            fail();
        return ok();
    }

private:
    void fail() { m_error = QString::fromUtf8(sqlite3_errmsg(m_db)); }

    sqlite3* m_db = nullptr;
    sqlite3_blob* m_blob = nullptr;
    QString m_error;
};

// Hashes each part on another core while the caller reads and writes the next one, for a
// picture of more than a few parts; a smaller one is hashed in place, where starting threads
// would cost more than it saves. A part's bytes must stay untouched until the next add() or
// hex() has returned.
class HashOnTheSide
{
public:
    explicit HashOnTheSide(qint64 total) : m_aside(total > AsideFrom) {}
    HashOnTheSide(const HashOnTheSide&) = delete;
    HashOnTheSide& operator=(const HashOnTheSide&) = delete;
    ~HashOnTheSide() { settle(); }

    void add(QByteArrayView part)
    {
        settle();
        if (m_aside)
            m_hashing = runAside([this, part] { m_hash.add(part); });
        else
            m_hash.add(part);
    }
    QString hex()
    {
        settle();
        return m_hash.hex();
    }

private:
    static constexpr qint64 AsideFrom = qint64(4) * PicturePart;

    void settle()
    {
        if (m_hashing.valid())
            m_hashing.wait();
    }

    bool m_aside;
    Sha256Stream m_hash;
    std::future<void> m_hashing;
};

// Reads the bytes of `picture` from its source file, a part at a time, into `whole` (room for
// all of them) or else into a part of its own; hands each part to `take`, when given, and
// checks them all against the picture's size and the quick sum taken with its SHA-256. The
// first error, or an empty text.
QString readPictureParts(const EvidencePicture& picture, char* whole,
                         const std::function<QString(QByteArrayView)>& take = {})
{
    const auto unreadable = [&picture](const QString& why) {
        return QStringLiteral("The picture \"%1\" cannot be read any more: %2").arg(picture.fileName, why);
    };
    QFile file(picture.source.file);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    QByteArray ownPart(whole ? 0 : PicturePart, Qt::Uninitialized);
    QuickSum sum;
    qint64 total = 0;
    for (;;) {
        char* part = whole ? whole + total : ownPart.data();
        const qint64 room = whole ? std::min<qint64>(PicturePart, picture.source.size - total) : PicturePart;
        const qint64 count = room > 0 ? file.read(part, room) : 0;
        if (count < 0)
            return unreadable(file.errorString());
        if (count == 0)
            break;
        total += count;
        sum.add(QByteArrayView(part, count));
        if (take) {
            if (QString error = take(QByteArrayView(part, count)); !error.isEmpty())
                return error;
        }
    }
    char more = 0;
    if (total != picture.source.size || sum.value() != picture.source.quickSum || file.read(&more, 1) != 0)
        return QStringLiteral("The picture \"%1\" no longer matches its SHA-256").arg(picture.fileName);
    return {};
}

} // namespace

struct Sha256Stream::State
{
    // With the processor's SHA instructions: the hash's words (FIPS 180-4, 5.3.3 to start
    // with), the bytes not yet making a whole block, and the number of bytes added.
    std::uint32_t words[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    unsigned char pending[64] = {};
    std::size_t pendingSize = 0;
    std::uint64_t length = 0;
    // OpenSSL's context (112 bytes in OpenSSL 3), with room to spare.
    alignas(16) unsigned char context[256] = {};
    // Qt's, only without both: made for nothing, it would cost as much as hashing a saved file.
    std::optional<QCryptographicHash> qt;

    void compress(const unsigned char* bytes, std::size_t size)
    {
        length += size;
        if (pendingSize > 0) {
            const std::size_t taken = std::min(size, sizeof pending - pendingSize);
            std::memcpy(pending + pendingSize, bytes, taken);
            pendingSize += taken;
            bytes += taken;
            size -= taken;
            if (pendingSize < sizeof pending)
                return;
            ShaInstructions::compress(words, pending, 1);
            pendingSize = 0;
        }
        ShaInstructions::compress(words, bytes, size / 64);
        pendingSize = size % 64;
        std::memcpy(pending, bytes + size - pendingSize, pendingSize);
    }

    QByteArray digest()
    {
        // FIPS 180-4, 5.1.1: a one bit, zeros, and the length in bits as 64 bits, big-endian.
        const std::uint64_t bits = length * 8;
        unsigned char padding[72] = {0x80};
        const std::size_t zeros = (pendingSize < 56 ? 56 : 120) - pendingSize - 1;
        for (int i = 0; i < 8; ++i)
            padding[1 + zeros + std::size_t(i)] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        compress(padding, 1 + zeros + 8);
        QByteArray digest(32, Qt::Uninitialized);
        for (int i = 0; i < 32; ++i)
            digest[i] = static_cast<char>(words[i / 4] >> (24 - 8 * (i % 4)));
        return digest;
    }
};

Sha256Stream::Sha256Stream() : m_state(std::make_unique<State>())
{
    if (ShaInstructions::available())
        return;
    if (openSsl().init)
        openSsl().init(m_state->context);
    else
        m_state->qt.emplace(QCryptographicHash::Sha256);
}

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::add(QByteArrayView bytes)
{
    if (ShaInstructions::available())
        m_state->compress(reinterpret_cast<const unsigned char*>(bytes.data()), std::size_t(bytes.size()));
    else if (openSsl().update)
        openSsl().update(m_state->context, bytes.data(), std::size_t(bytes.size()));
    else
        m_state->qt->addData(bytes);
}

QString Sha256Stream::hex()
{
    QByteArray digest(32, '\0');
    if (ShaInstructions::available())
        digest = m_state->digest();
    else if (openSsl().final)
        openSsl().final(reinterpret_cast<unsigned char*>(digest.data()), m_state->context);
    else
        digest = m_state->qt->result();
    return QString::fromLatin1(digest.toHex());
}

LaidOutPicture layOutPicture(QSqlDatabase& db, qint64 picture, const QString& fileName, const QString& sha256)
{
    LaidOutPicture laid;
    const auto folder = std::make_shared<QTemporaryDir>();
    if (!folder->isValid()) {
        laid.error = folder->errorString();
        return laid;
    }
    const QString path = folder->filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        laid.error = file.errorString();
        return laid;
    }
    PictureBlob blob(db, picture, false);
    QByteArray parts[2] = {QByteArray(PicturePart, Qt::Uninitialized), QByteArray(PicturePart, Qt::Uninitialized)};
    const qint64 size = blob.size();
    HashOnTheSide hash(size);
    QuickSum sum;
    for (qint64 at = 0, n = 0; blob.ok() && laid.error.isEmpty() && at < size; at += PicturePart, ++n) {
        char* part = parts[n % 2].data();
        const int count = int(std::min<qint64>(PicturePart, size - at));
        if (!blob.read(part, count, at))
            break;
        hash.add(QByteArrayView(part, count));
        sum.add(QByteArrayView(part, count));
        if (file.write(part, count) != count)
            laid.error = file.errorString();
    }
    if (laid.error.isEmpty() && !blob.ok())
        laid.error = blob.error();
    if (laid.error.isEmpty() && !file.flush())
        laid.error = file.errorString();
    laid.matches = laid.error.isEmpty() && hash.hex() == sha256;
    if (laid.matches) {
        laid.source = {path, blob.size(), folder, sum.value()};
        knowPictureHash(path, sha256, sum.value());
    }
    return laid;
}

namespace {

// Up to this size a picture goes into the evidence whole, written once; a larger one is first
// written as zeros and then filled in place, never held.
constexpr qint64 WholePictureLimit = qint64(32) << 20;

QString storeWhole(QSqlDatabase& db, qint64 number, const EvidencePicture& picture)
{
    QByteArray bytes(picture.source.size, Qt::Uninitialized);
    if (QString error = readPictureParts(picture, bytes.data()); !error.isEmpty())
        return error;
    QSqlQuery data(db);
    if (!data.prepare(QStringLiteral("UPDATE pictures SET data = ? WHERE picture = ?")))
        return blobEngineText(data.lastError());
    data.addBindValue(bytes);
    data.addBindValue(number);
    if (!data.exec())
        return blobEngineText(data.lastError());
    return {};
}

QString storeInPlace(QSqlDatabase& db, qint64 number, const EvidencePicture& picture)
{
    {
        QSqlQuery room(db);
        if (!room.prepare(QStringLiteral("UPDATE pictures SET data = zeroblob(?) WHERE picture = ?")))
            return blobEngineText(room.lastError());
        room.addBindValue(picture.source.size);
        room.addBindValue(number);
        if (!room.exec())
            return blobEngineText(room.lastError());
    }
    PictureBlob blob(db, number, true);
    if (!blob.ok())
        return blob.error();
    qint64 at = 0;
    return readPictureParts(picture, nullptr, [&](QByteArrayView part) {
        if (at + part.size() > blob.size())
            return QStringLiteral("The picture \"%1\" no longer matches its SHA-256").arg(picture.fileName);
        if (!blob.write(part, at))
            return blob.error();
        at += part.size();
        return QString();
    });
}

} // namespace

QString storePictureBytes(QSqlDatabase& db, qint64 number, const EvidencePicture& picture)
{
    const QString error =
        picture.source.size <= WholePictureLimit ? storeWhole(db, number, picture) : storeInPlace(db, number, picture);
    if (!error.isEmpty())
        forgetPictureHash(picture.source.file); // worked out again at the next try
    return error;
}
