// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include <QTextStream>

int RunReportCommand(const CommandLine& command, QTextStream& errors)
{
    errors << "talvo-rula: --report is not built yet (" << command.inputs.join(QLatin1Char(' ')) << ")\n";
    return 1;
}
