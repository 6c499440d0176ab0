// The version set's copy: each replacement read once, in pieces, and hashed by the reader;
// a second thread writes each piece and reads it back to compare it with the bytes still
// in hand, and a third flushes what is written as the copy grows. Used by
// WinRuntime::CopyAndDigest, which flushes the rest once the copy is whole.
#pragma once

#include <windows.h>

#include "runtime/runtime.h"

namespace torvane {

// Copies `from` to its end into `to`, which must be open for reading and writing at its
// start.
Result<CheckedCopy> CopyAndCheck(HANDLE from, HANDLE to);

}  // namespace torvane
