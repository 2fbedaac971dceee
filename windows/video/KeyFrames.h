// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KeyFrame.h"

#include <QString>

#include <vector>

struct EvidencePicture;
struct ReportSources;
struct ProgramState;
class PictureBox;
class PictureLoader;

// Copies the angles being measured into the picture they belong to (the photograph or a key
// frame). Called before the measurements start afresh for another picture, and before the
// pictures are read.
void keepPictureMeasurements(ProgramState& state);

// The angles kept for the picture `file` (the photograph or a key frame), or none measured yet.
rula::PictureMeasurements measurementsOfPicture(const ProgramState& state, const QString& file);

// Makes `file` the photograph, after keeping what was measured on the pictures so far; its
// angles start afresh unless it already was the photograph.
void setPhotograph(ProgramState& state, const QString& file);

// What the report shows besides the record: the photograph and each key frame with their
// angles, the extra pictures and the planned changes.
ReportSources reportSources(ProgramState& state);

// The key frames of `state` as the evidence keeps them, each with its PNG's bytes and the
// angles measured on it; `error` says which picture could not be read (then none is given).
std::vector<EvidencePicture> keyFramePictures(ProgramState& state, QString* error);

// The key frames kept in `pictures`, laid out as files in private folders `state` holds.
void restoreKeyFrames(const std::vector<EvidencePicture>& pictures, ProgramState& state);

// Paints key frame `row` of `state` into the workplace picture `box` (through `loader`) and
// measures on it from then on, after keeping what was measured on the picture shown before.
// False when its picture cannot be shown; the box is left as it was.
bool showKeyFrameAsWorkplace(ProgramState& state, int row, PictureLoader& loader, PictureBox& box);

// Makes `file` the workplace picture and the photograph, as showLoadedAsWorkplace does, and
// key frame `row` the workplace picture, as showKeyFrameAsWorkplace does, in the state alone:
// for a main window not made yet, which shows the state's workplace picture when it is.
void takeWorkplacePhotograph(ProgramState& state, const QString& file);
void takeKeyFrameAsWorkplace(ProgramState& state, int row);

// Shows the picture `loaded` (loaded on any thread) in Main's box `box` as the workplace
// photograph, decoded on another core, as opening it does; false, with nothing changed, when
// nothing is loaded.
bool showLoadedAsWorkplace(ProgramState& state, const PictureLoader& loaded, PictureBox& box);
