// SPDX-License-Identifier: GPL-3.0-or-later
#include "EvidencePictureFile.h"

#include "EvidencePictureBytes.h"
#include "RunAside.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <future>
#include <map>
#include <mutex>

namespace {

// A file as it is now: any write changes its change time, a replacement its inode.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const QString& file)
{
    struct stat info;
    if (::stat(QFile::encodeName(file).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

struct FileHash
{
    QString sha256; // empty when the file could not be read
    qint64 size = 0;
    quint64 quickSum = 0;
    QString error; // why not
};

// Hashed a part at a time, never held whole.
FileHash hashOfFile(const QString& file)
{
    FileHash hashed;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        hashed.error = input.errorString();
        return hashed;
    }
    Sha256Stream hash;
    QuickSum sum;
    QByteArray buffer(PicturePart, Qt::Uninitialized);
    for (qint64 count = 0; (count = input.read(buffer.data(), buffer.size())) != 0; hashed.size += count) {
        if (count < 0) {
            hashed.error = input.errorString();
            return hashed;
        }
        hash.add(QByteArrayView(buffer.constData(), count));
        sum.add(QByteArrayView(buffer.constData(), count));
    }
    hashed.sha256 = hash.hex();
    hashed.quickSum = sum.value();
    return hashed;
}

// The hashes worked out ahead, by absolute path. Never destroyed: a hash still under way when
// the program ends is simply dropped.
struct KnownHash
{
    FileIdentity identity;
    std::shared_future<FileHash> hash;
};

std::mutex& knownLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

std::map<QString, KnownHash>& knownHashes()
{
    static auto* known = new std::map<QString, KnownHash>;
    return *known;
}

// The hash worked out ahead for `path` as it is now, waited for if still under way.
std::optional<FileHash> knownHashOf(const QString& path)
{
    const std::optional<FileIdentity> identity = identityOf(path);
    if (!identity)
        return std::nullopt;
    std::shared_future<FileHash> hash;
    {
        const std::lock_guard<std::mutex> guard(knownLock());
        const auto found = knownHashes().find(path);
        if (found == knownHashes().end() || !(found->second.identity == *identity))
            return std::nullopt;
        hash = found->second.hash;
    }
    const FileHash& ready = hash.get();
    if (ready.sha256.isEmpty() || ready.size != identity->size)
        return std::nullopt;
    return ready;
}

} // namespace

void hashPictureAhead(const QString& file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    const std::optional<FileIdentity> identity = identityOf(path);
    if (!identity)
        return;
    const std::lock_guard<std::mutex> guard(knownLock());
    const auto found = knownHashes().find(path);
    if (found != knownHashes().end() && found->second.identity == *identity)
        return;
    knownHashes()[path] = {*identity, runAside([path] { return hashOfFile(path); }).share()};
}

void knowPictureHash(const QString& file, const QString& sha256, quint64 quickSum)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    const std::optional<FileIdentity> identity = identityOf(path);
    if (!identity)
        return;
    std::promise<FileHash> known;
    known.set_value({sha256, qint64(identity->size), quickSum, {}});
    const std::lock_guard<std::mutex> guard(knownLock());
    knownHashes()[path] = {*identity, known.get_future().share()};
}

void forgetPictureHash(const QString& file)
{
    const std::lock_guard<std::mutex> guard(knownLock());
    knownHashes().erase(QFileInfo(file).absoluteFilePath());
}

std::optional<EvidencePicture> readEvidencePicture(const QString& file, const QString& role, QString* error)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    // Left in its file, which the evidence copies from when written, checking its quick sum.
    std::optional<FileHash> hashed = knownHashOf(path);
    if (!hashed)
        hashed = hashOfFile(path);
    if (hashed->sha256.isEmpty()) {
        *error = QStringLiteral("The picture \"%1\" cannot be read any more: %2").arg(file, hashed->error);
        return std::nullopt;
    }
    EvidencePicture picture;
    picture.role = role;
    picture.fileName = QFileInfo(file).fileName();
    picture.sha256 = hashed->sha256;
    picture.source = {path, hashed->size, nullptr, hashed->quickSum};
    return picture;
}
