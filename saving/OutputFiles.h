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
// lacks it) and ".sqlite" for ".txt": "Lee RULA Analysis.txt" gives "Lee RULA Evidence.sqlite".
QString evidencePath(const QString& textPath);

// The name the Save window proposes for a saved text file: its name without
// " RULA Analysis.txt" (or without ".txt" when the suffix is missing).
QString typedNameOf(const QString& savedTextPath);

// The default output made from `input`: in the input's folder, its file name without a
// trailing ".txt" (in any case) and with `suffix` added ("Smith RULA Analysis.txt" with
// " Report.pdf" gives "Smith RULA Analysis Report.pdf").
QString besideInput(const QString& input, const QString& suffix);

// Why `output` may not be written as the result of reading `inputs`, or an empty string when
// it may. `namedByUser` is true when the user named it (-o, a file dialog).
QString refusal(const QString& output, const QStringList& inputs, bool namedByUser);

} // namespace OutputFiles
