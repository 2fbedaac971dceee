// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "ChangePlan.h"
#include "KeyFrame.h"
#include "PostureAngles.h"
#include "VideoScoring.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include <optional>
#include <vector>

// The evidence kept with a saved assessment, beside its text and database files: what was
// observed, when and by whom, the employee texts exactly as typed, the pictures themselves
// with the angles measured on them, and every revision. One SQLite file; its tables are
// described in docs/file-formats.md.

// The phases an assessment can belong to, as they are stored and shown.
const QStringList& assessmentPhases();

// A landmark placed on a picture, in picture pixels.
struct EvidenceLandmark
{
    QString side; // "Right" or "Left": the skeleton it belongs to
    QString name; // "hip", "shoulder", "elbow", "wrist", "knuckles", "ear"
    QPointF at;
    // When the program suggested the landmark (Suggest Landmarks): where, how confident it
    // was (0 to 1), and whether the assessor moved it from there.
    std::optional<QPointF> suggestedAt;
    double confidence = 0;
    bool moved = false;
};

// One body part as measured on a picture: what its landmarks give, and the band applied.
struct EvidenceMeasurement
{
    QString bodyPart;            // "Upper Arm (Right)", ...
    std::optional<double> angle; // signed degrees; none while its landmarks are incomplete
    QString band;                // the option panel of the band the angle gives ("Frame4"), empty for none
    int score = 0;               // that band's score
    QString appliedBand;         // the option panel Apply last selected, empty when never applied
    bool applied = false;        // applied, and the band has not changed since
};

// Where the bytes of a picture not held in memory are: the file `file`, `size` bytes long, read
// a part at a time. A picture read from an evidence file was laid out there, as it was checked
// against its hash, in a private folder of its own (`folder`, removed with its last holder);
// a picture to be saved is its own file. The quick sum taken with its SHA-256 is what copying
// it checks.
struct PictureSource
{
    QString file;
    qint64 size = 0;
    std::shared_ptr<QTemporaryDir> folder;
    quint64 quickSum = 0;
};

// A picture: the workplace photograph or an extra picture, with its bytes (an extra picture
// saved before its bytes were kept is a reference: name and hash). Key frames of a video are
// further pictures with their own role.
struct EvidencePicture
{
    QString role;     // "workplace", "extra" or "keyframe" (with its bytes, a lossless PNG)
    QString fileName; // the original file's name, without its folder
    QString sha256;   // of the file's bytes, 64 lowercase hex digits
    QSize pixelSize;
    QByteArray bytes; // the file itself, when held in memory (see `source`); empty for a reference
    // What the angles on it are measured against.
    QString facing;                                      // "Left", "Right", or empty while unset
    std::optional<std::pair<QPointF, QPointF>> vertical; // a vertical reference line, when drawn
    bool seated = false;                                 // seated, trunk well supported
    std::vector<EvidenceLandmark> landmarks;
    std::vector<EvidenceMeasurement> measurements;
    // Exactly for the role "keyframe": the frame without its file, with the measurements above.
    std::optional<KeyFrame> keyFrame;
    // Where the bytes are when `bytes` is empty: a picture read from an evidence file, or one
    // to be saved from its file, is never held whole.
    PictureSource source;

    // Whether the picture's bytes are kept (held or at `source`), not only its name and hash.
    bool hasBytes() const { return !bytes.isEmpty() || source.size > 0; }
};

using EvidenceRevision = AssessmentRevision;

// A change planned with Plan a Change and added to the report: the option it selects, ticks or
// unticks, and the revision of the assessment it was planned on.
struct PlannedChange
{
    QString option; // the option's panel name, "Frame4"
    QString kind;   // "Select", "Tick" or "Untick"
    int plannedOnRevision = 0;
};

struct Evidence
{
    QString assessmentId; // made at the first save, kept by every later one
    int revision = 0;     // 1 for the first save
    QString textSha256;   // of the text file this evidence belongs to
    EmployeeTexts typed;  // as typed, apostrophes included
    ObservationDetails details;
    QDateTime assessedAt; // when the saved results were computed
    std::vector<EvidencePicture> pictures;
    std::vector<EvidenceRevision> history;     // oldest first; the last is this revision
    std::vector<PlannedChange> plannedChanges; // in the order Plan a Change listed them
    rula::reba::RebaChoices reba;              // REBA's choices (saving/RebaEvidence.h); none before REBA
    rula::VideoTimeline timeline;              // a whole video scored (saving/TimelineEvidence.h); no samples for none

    const EvidencePicture* workplacePicture() const;
};

// The SHA-256 of `bytes` as 64 lowercase hex digits: the one hash of the program's files.
QString sha256Hex(QByteArrayView bytes);

// Writes `evidence` as a new evidence file at `path` (it must not exist, or be empty). On
// failure returns what failed and leaves at most a partial file the caller removes.
QString writeEvidence(const QString& path, const Evidence& evidence);

struct EvidenceReading
{
    bool ok = false;
    QString error; // when not ok: why the file was not used, as one sentence for the assessor
    Evidence evidence;
};

// Whether a reader takes the pictures' bytes, or only what the evidence says about them (the
// register, which prints none): left, they are neither read nor checked against their hashes.
// Read, each picture is laid out as a file of its own, a part at a time, and checked against
// its hash as it is (a picture that does not match refuses the file): its `source` is that file.
enum class PictureBytes
{
    Read,
    Left,
};

// The largest evidence file that is read.
constexpr qint64 MaxEvidenceBytes = qint64(512) * 1024 * 1024;

// Reads the evidence file at `path`, strictly: a plain file (not a link) of at most
// MaxEvidenceBytes, an SQLite file of this program's kind and version, every table and
// value as the writer makes them, every picture's bytes matching its hash. A file whose
// recorded text hash is not `textSha256` is refused as belonging to another version of the
// assessment. The file is opened read-only and as unchangeable: nothing is written, and
// nothing in it names another file that would be read.
EvidenceReading readEvidence(const QString& path, const QString& textSha256,
                             PictureBytes pictureBytes = PictureBytes::Read);

// `changes`, planned on revision `revision`, as the evidence keeps them.
std::vector<PlannedChange> keptChanges(const std::vector<rula::SingleChange>& changes, int revision);

// The planned changes kept in `evidence`, as changes of the assessment of `record` (the one they
// were planned on); a kept change that is not one of them is left out.
std::vector<rula::SingleChange> plannedChangesOf(const Evidence& evidence, const AssessmentRecord& record);

// The measurements of `sheet` as the evidence keeps them, put into `picture`.
void putMeasurements(EvidencePicture& picture, const rula::PictureMeasurements& sheet);

// The measurements kept with `picture`, as a sheet of the picture file `file`.
rula::PictureMeasurements measurementsOf(const EvidencePicture& picture, const std::string& file);

// A picture's bytes laid out as a file, under its own file name, in a new private folder that
// lives as long as `folder` is held: a picture read from an evidence file already is (its
// source), bytes held are written out. `path` is empty when it could not be written.
struct PictureCopy
{
    std::shared_ptr<QTemporaryDir> folder;
    QString path;
};
PictureCopy copyOfPicture(const EvidencePicture& picture);

// The key frame `picture` keeps, its picture being the file `file` (its measurements on it).
KeyFrame keyFrameOf(const EvidencePicture& picture, const QString& file);

// The key frame `frame` as the evidence keeps it: a "keyframe" picture of the PNG `bytes`
// (`pixelSize` pixels), with the frame's measurements.
EvidencePicture keyFramePicture(const KeyFrame& frame, const QByteArray& bytes, const QSize& pixelSize);

// The evidence beside a saved text file, as the program's readers take it.
struct EvidenceOfFile
{
    bool present = false; // an evidence file of the text file's name is there
    bool ok = false;      // and it was read; otherwise `error` says why it was not used
    QString path;
    QString error;
    Evidence evidence;
};

// Reads the evidence file of the saved text file `textPath` (OutputFiles::evidencePath),
// checked against the text file's present bytes. No evidence file is not an error.
EvidenceOfFile evidenceOfTextFile(const QString& textPath, PictureBytes pictureBytes = PictureBytes::Read);

// The record of a saved text file completed from its evidence: the employee texts as typed,
// the details, when the results were computed, the id and the history.
void completeRecord(AssessmentRecord& record, const Evidence& evidence);
