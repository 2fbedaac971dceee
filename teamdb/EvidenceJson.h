// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Evidence.h"

#include <QByteArray>

#include <optional>

// The evidence of an assessment as the team database keeps it: everything the evidence file
// holds except the pictures' bytes (their names, hashes and sizes stay), as one JSON document.
QByteArray evidenceToJson(const Evidence& evidence);

// The evidence read back from its JSON; nothing for a document that is not one.
std::optional<Evidence> evidenceFromJson(const QByteArray& json);
