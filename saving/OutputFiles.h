// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where every output of the program goes and whether it may be written there: the names of
// the result files, the default names of the files made from a saved assessment, and the
// checks that keep an output off its own inputs. One home for these rules; the windows and
// every command-line form use it.
namespace OutputFiles {

// " RULA Analysis": what a save adds to the name typed in the Save window.
QString resultSuffix();

// The stem of a save's files: the typed name with " RULA Analysis" added.
QString resultStem(const QString& typedName);

// The evidence file saved with the text file `textPath`: in the same folder, its name with
// " RULA Analysis" replaced by " RULA Evidence" (or " RULA Evidence" added when the name
// lacks it) and ".sqlite" for ".txt" (in any case): "Lee RULA Analysis.txt" gives
// "Lee RULA Evidence.sqlite".
QString evidencePath(const QString& textPath);

// The name the Save window proposes for a saved text file: its name without
// " RULA Analysis.txt" (or without ".txt" when the suffix is missing).
QString typedNameOf(const QString& savedTextPath);

// The default output made from `input`: in the input's folder, its file name without a
// trailing ".txt" (in any case) and with `suffix` added ("Smith RULA Analysis.txt" with
// " Report.pdf" gives "Smith RULA Analysis Report.pdf").
QString besideInput(const QString& input, const QString& suffix);

// The longest file name (in bytes of its UTF-8 form) the file systems in use accept.
constexpr int MaxNameBytes = 255;

// `name` followed by `suffix` as one file name, `name` shortened (at whole characters, with
// trailing blanks and dots taken off) so that the whole stays within MaxNameBytes:
// "<300 characters> RULA Report.pdf" keeps its suffix and as much of the name as fits.
QString fittedFileName(const QString& name, const QString& suffix);

// Why the file name of `path` cannot be used, or an empty string when it can (its length
// only; the system names other faults when the file is written).
QString nameLengthRefusal(const QString& path);

// Why `output` may not be written as the result of reading `inputs`, or an empty string when
// it may. `namedByUser` is true when the user named it (-o, a file dialog). Refused: one of
// the inputs (compared after resolving links, "." and "..", and as the same file under
// another name); an existing entry that is not a regular file (a folder, a device, a FIFO);
// a link, unless the user named it and it points to a regular file of this user's.
QString refusal(const QString& output, const QStringList& inputs, bool namedByUser);

// Where an output that refusal() allowed is written: the file a link named by the user
// points to, else `output` itself.
QString writePath(const QString& output);

// Writes `bytes` as the whole file at writePath(output): into a new hidden file beside it,
// synced, then renamed over the name, which replaces whatever entry has that name then (a
// link planted there since the check is replaced, never followed). A file that is replaced
// keeps its permissions. Returns an empty text or the system's description of the failure.
QString writeWhole(const QString& output, const QByteArray& bytes);

} // namespace OutputFiles
