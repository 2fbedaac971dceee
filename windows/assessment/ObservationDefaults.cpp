// SPDX-License-Identifier: GPL-3.0-or-later
#include "ObservationDefaults.h"

#include "EmployeeTextFilter.h"
#include "Evidence.h"
#include "ProgramState.h"

#include <QSettings>

#include <pwd.h>
#include <unistd.h>

namespace {

const char* const AssessorKey = "assessment/lastAssessor";

// The full name of the account running the program: the first field of its GECOS entry.
QString accountName()
{
    const passwd* entry = ::getpwuid(::getuid());
    if (!entry)
        return {};
    const QString gecos =
        QString::fromLocal8Bit(entry->pw_gecos ? entry->pw_gecos : "").section(QLatin1Char(','), 0, 0);
    return EmployeeTextFilter::clean(gecos.trimmed().isEmpty() ? QString::fromLocal8Bit(entry->pw_name) : gecos);
}

} // namespace

namespace ObservationDefaults {

QString assessor()
{
    const QString last = QSettings(QStringLiteral("talvo-rula"), QStringLiteral("talvo-rula"))
                             .value(QLatin1String(AssessorKey))
                             .toString();
    return last.isEmpty() ? accountName() : EmployeeTextFilter::clean(last).left(EmployeeTextFilter::MaxLength);
}

void rememberAssessor(const QString& assessor)
{
    if (!assessor.isEmpty())
        QSettings(QStringLiteral("talvo-rula"), QStringLiteral("talvo-rula"))
            .setValue(QLatin1String(AssessorKey), assessor);
}

void fillIn(ProgramState& state, const QDateTime& now)
{
    if (!state.details.observed.isValid())
        state.details.observed = now;
    if (state.details.assessor.isEmpty())
        state.details.assessor = assessor();
    if (state.details.phase.isEmpty())
        state.details.phase = assessmentPhases().first();
}

} // namespace ObservationDefaults
