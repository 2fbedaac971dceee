// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DurableFiles.h"

#include <cerrno>
#include <unistd.h>

// A save's file-system steps as the real ones, except that hard links can be refused as a
// file system without them refuses them. Save tests derive their faults from it.
class SaveStepsWithoutLinks : public DurableFiles::SaveSteps
{
public:
    explicit SaveStepsWithoutLinks(bool refuseHardLinks) : m_refuseHardLinks(refuseHardLinks) {}
    int link(const char* from, const char* to) override
    {
        if (m_refuseHardLinks) {
            errno = EPERM;
            return -1;
        }
        return ::link(from, to);
    }

private:
    bool m_refuseHardLinks;
};
