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
