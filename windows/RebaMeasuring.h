// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What measuring asks of REBA (the REBA window gives it): the band of a body part chosen by a
// measured angle, marked as measured, shown at once where REBA's scores are shown.
class RebaMeasuring
{
public:
    virtual ~RebaMeasuring() = default;
    // Chooses the band `optionIndex` (into rula::reba::rebaOptions()) that a measurement gave.
    virtual void applyMeasured(int optionIndex) = 0;

protected:
    RebaMeasuring() = default;
    RebaMeasuring(const RebaMeasuring&) = default;
    RebaMeasuring& operator=(const RebaMeasuring&) = default;
};
