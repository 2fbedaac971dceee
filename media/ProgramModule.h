// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A module of the program's own: a shared library among the program's files (ProgramFolder),
// loaded when first used, so that the large libraries it needs (FFmpeg's, OpenCV's) are not
// loaded at every start of the program.
struct ProgramModule
{
    QString file;              // where it was, or would have been, found
    void (*entry)() = nullptr; // the entry point asked for; none when it could not be loaded
    QString error;             // why it could not be, in a few words
};

// Loads the module `fileName` ("talvo-video.so") and resolves its function `entryName`. A
// module once loaded stays loaded for the rest of the run; callers keep what this returns.
ProgramModule loadProgramModule(const char* fileName, const char* entryName);

// A module's entry point as the function it is.
template <typename Entry> struct ModuleEntry
{
    ProgramModule loaded;
    Entry call = nullptr;
};

template <typename Entry> ModuleEntry<Entry> moduleEntry(const char* fileName, const char* entryName)
{
    ModuleEntry<Entry> module;
    module.loaded = loadProgramModule(fileName, entryName);
    module.call = reinterpret_cast<Entry>(module.loaded.entry);
    return module;
}
