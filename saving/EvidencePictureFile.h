// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Evidence.h"

#include <QString>

#include <optional>

// The picture file `file` as the evidence keeps it, under `role`: the file as the source of its
// bytes (read a part at a time, never whole), its name without the folder and the SHA-256 of
// its bytes (its pixel size is the caller's, who can decode it).
// Empty, with `error` naming the file and why, when it can no longer be read.
std::optional<EvidencePicture> readEvidencePicture(const QString& file, const QString& role, QString* error);

// Starts working out the SHA-256 of the picture file `file` on another core as soon as it is
// chosen, so that a save finds it ready. Any change to the file since makes the hash unknown
// again, and the save works it out itself; the bytes copied into the evidence are checked
// against it in any case (by the quick sum taken with it).
void hashPictureAhead(const QString& file);

// Tells that the picture file `file`, as it is now, has the SHA-256 `sha256` and the quick sum
// `quickSum` (the caller has just worked them out).
void knowPictureHash(const QString& file, const QString& sha256, quint64 quickSum);

// Forgets the hash of `file`, whose bytes no longer matched it.
void forgetPictureHash(const QString& file);
