// SPDX-License-Identifier: GPL-3.0-or-later
#include "TeamSettings.h"

#include <QSettings>

namespace TeamSettings {

namespace {

const QString Key = QStringLiteral("teamDatabase");

} // namespace

QString configuredDatabase(const QString& fromCommandLine)
{
    if (!fromCommandLine.isEmpty())
        return fromCommandLine;
    const QString fromEnvironment = qEnvironmentVariable("TALVO_DATABASE");
    return fromEnvironment.isEmpty() ? storedDatabase() : fromEnvironment;
}

QString storedDatabase()
{
    return QSettings().value(Key).toString();
}

void storeDatabase(const QString& uri)
{
    QSettings settings;
    if (uri.isEmpty())
        settings.remove(Key);
    else
        settings.setValue(Key, uri);
}

} // namespace TeamSettings
