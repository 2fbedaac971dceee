// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QTextStream;

// Starts one error line of the command-line forms on `errors`: "talvo-rula: FILE: ", with FILE
// written as the system writes paths. The caller adds why, and the line's end.
QTextStream& errorLine(QTextStream& errors, const QString& file);
