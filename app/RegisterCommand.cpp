// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include <QTextStream>

int RunRegisterCommand(const CommandLine& command, QTextStream& errors)
{
    errors << "talvo-rula: --register is not built yet (" << command.inputs.join(QLatin1Char(' ')) << ")\n";
    return 1;
}
