// The version set's copy: each replacement read once, hashed on a second thread while it
// is written, and every piece of the copy read back and compared with the bytes still in
// hand. Used by WinRuntime::CopyAndDigest.
#pragma once

#include <windows.h>

#include "runtime/runtime.h"

namespace torvane {

// Copies `from` to its end into `to`, which must be open for reading and writing at its
// start.
Result<CheckedCopy> CopyAndCheck(HANDLE from, HANDLE to);

}  // namespace torvane
