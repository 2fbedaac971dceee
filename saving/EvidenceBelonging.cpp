// SPDX-License-Identifier: GPL-3.0-or-later
#include "EvidenceBelonging.h"

#include "OutputFiles.h"
#include "StripApostrophes.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool statOf(const QString& path, struct stat& info, bool followLink)
{
    const QByteArray name = QFile::encodeName(path);
    return (followLink ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) == 0;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_uid == b.st_uid && a.st_mode == b.st_mode &&
           a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

QString notBelonging(const QString& evidencePath)
{
    return QStringLiteral("The evidence file %1 does not belong to this assessment; it was not used.")
        .arg(QFileInfo(evidencePath).fileName());
}

} // namespace

QString evidenceOwnershipRefusal(const QString& evidencePath, const QString& textPath)
{
    struct stat evidence;
    struct stat text;
    // A file that is not there, or not a plain file, is the reader's to name.
    if (!statOf(evidencePath, evidence, false) || !S_ISREG(evidence.st_mode))
        return {};
    if (!statOf(textPath, text, true))
        return QStringLiteral("its text file cannot be examined");
    if (evidence.st_uid != ::geteuid() && evidence.st_uid != text.st_uid)
        return QStringLiteral("owned by another account");
    if ((evidence.st_mode & S_IWOTH) != 0)
        return QStringLiteral("writable by every account");
    return {};
}

bool evidenceNamesEmployee(const Evidence& evidence, const EmployeeTexts& stored)
{
    return StripApostrophes(evidence.typed.name) == stored.name && StripApostrophes(evidence.typed.id) == stored.id &&
           StripApostrophes(evidence.typed.location) == stored.location;
}

EvidenceOfFile evidenceOfAssessment(const QString& textPath, const EmployeeTexts& stored, PictureBytes pictureBytes)
{
    const QString evidencePath = OutputFiles::evidencePath(textPath);
    struct stat before;
    const bool examined = statOf(evidencePath, before, false);
    if (examined && !evidenceOwnershipRefusal(evidencePath, textPath).isEmpty()) {
        EvidenceOfFile refused;
        refused.present = true;
        refused.path = evidencePath;
        refused.error = notBelonging(evidencePath);
        return refused;
    }
    EvidenceOfFile found = evidenceOfTextFile(textPath, pictureBytes);
    if (!found.ok)
        return found;
    // The file read must be the file examined: one put in its place meanwhile is not believed.
    struct stat after;
    const bool unchanged = examined && statOf(evidencePath, after, false) && sameFile(before, after);
    if (!unchanged || !evidenceNamesEmployee(found.evidence, stored)) {
        found.ok = false;
        found.error = notBelonging(evidencePath);
        found.evidence = Evidence();
    }
    return found;
}
