// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorLine.h"

#include <QDir>
#include <QString>
#include <QTextStream>

QTextStream& errorLine(QTextStream& errors, const QString& file)
{
    return errors << "talvo-rula: " << QDir::toNativeSeparators(file) << ": ";
}
