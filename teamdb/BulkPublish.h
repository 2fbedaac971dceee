// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TeamSender.h"

// Publishes `publications` as sendPublications() does, with the same outcome for each, but in
// batches of a few thousand copied in bulk (TeamDatabase::publishBatch): for the thousands of
// files of a folder. A batch the server refuses is sent again one publication at a time, so
// only the refused ones stay out.
SendSummary publishInBulk(const DatabaseAddress& address, const std::vector<Publication>& publications,
                          std::vector<SendState>* states, const SendProgress& progress = {});
