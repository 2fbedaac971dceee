// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Which team database the program publishes to: the command line's --database, else the
// environment variable TALVO_DATABASE, else the "Team Database" setting; empty for none.
namespace TeamSettings {

QString configuredDatabase(const QString& fromCommandLine);

// The "Team Database" setting (a URI without a password, or empty).
QString storedDatabase();
void storeDatabase(const QString& uri);

} // namespace TeamSettings
