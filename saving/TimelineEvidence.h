// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoScoring.h"

#include <QString>

class QSqlDatabase;

// A scored video's part of the evidence file (Video Frames' "Score the Whole Video"): the video
// and how it was sampled in `video_timeline` (one row, none when no video was scored), each
// sample in `video_samples`, each side's score in `video_sample_sides`, each body part's angle,
// band and score in `video_sample_parts`, and the landmarks found with their confidences in
// `video_sample_landmarks`. Columns are described in docs/file-formats.md.

namespace TimelineEvidence {

// The five tables' names and statements, exactly as written and as the reader expects them.
struct Table
{
    const char* name;
    const char* statement;
};
const Table* tables();
constexpr int TableCount = 5;

// Writes `timeline` into the tables, which the caller has created inside its transaction.
// A timeline without samples writes no rows. Returns what failed, empty on success.
QString write(QSqlDatabase& db, const rula::VideoTimeline& timeline);

// Reads the tables into `timeline`, strictly: samples numbered from 1 in frame order, both
// sides and every body part of each sample exactly once, landmarks only where the worker was
// found, each value within its range, and every side's action level the one its grand score
// gives. Returns why the file is refused (a sentence after the file's name), empty when read.
QString read(QSqlDatabase& db, rula::VideoTimeline& timeline);

// "upper_arm", "lower_arm", "wrist", "neck", "trunk": a body part as the tables and the
// scored video's CSV name it.
const char* partKey(rula::ScoredPart part);

} // namespace TimelineEvidence
