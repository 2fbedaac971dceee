// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <future>
#include <system_error>

// Runs `work` on another core; when no thread can be had, it runs where its result is first
// waited for instead. The future of work that runs aside waits for it when destroyed.
template <typename Work> auto runAside(const Work& work) -> std::future<decltype(work())>
{
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, work);
    }
}
