// Recovery and restore delete a file only with proof that it is a copy of this tool's own
// and that nothing is lost by deleting it. A garbled or planted journal line cannot give
// that proof for a file of the user's.
#pragma once

#include <string>
#include <string_view>

#include "runtime/runtime.h"

namespace torvane {

// The name a replacement has while the job copies it in beside its original.
inline constexpr std::u16string_view kStagedSuffix = u".torvane-new";

// Each proof is true or false, or the error that kept it from being known (nothing may be
// deleted then, and the work can be tried again).

// `path` holds the bytes the journal recorded (size and SHA-256), and `twin`, another file
// by identity, holds them too.
Result<bool> HasTwin(Runtime& rt, const std::u16string& path, const FileDigest& recorded,
                     const std::u16string& twin);

// `path` carries the job's temporary name and its bytes begin `source`, another file by
// identity: a copy the job was making, whole or cut short.
Result<bool> IsOwnPartialCopy(Runtime& rt, const std::u16string& path,
                              const std::u16string& source);

}  // namespace torvane
