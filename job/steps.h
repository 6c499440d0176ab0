// Making one journaled change: announce it, make it, record how it went. Every change a
// job, a restore or a recovery makes to a game folder goes through here.
#pragma once

#include "job/journal.h"
#include "runtime/runtime.h"

namespace torvane {

// Attributes a file keeps when it is put back or stays: read-only, hidden, system, archive.
inline constexpr std::uint32_t kKeptAttributes =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

// What the tidy clears before a move, and a restore sets again (the archive bit with them).
inline constexpr std::uint32_t kClearedAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem;

// Makes the change a step describes, without journaling it. A move that clears the
// attributes first sets them back when it fails.
Status Apply(Runtime& rt, const Step& step);

// Announces the step, makes it and records the outcome in `step`. When the announcement
// cannot be written the change is not made.
Status Execute(Runtime& rt, Journal& journal, Step& step);

// A file (not a folder) whose attributes could be read.
bool IsFile(const Result<std::uint32_t>& attributes);

// One line of a box: the path and the platform's description of what went wrong.
std::u16string Problem(const std::u16string& path, const Error& error);

// Whether a file or folder is there: true, false, or the error that kept it from being known.
Result<bool> Exists(Runtime& rt, const std::u16string& path);

}  // namespace torvane
