// What shows that deleting a file loses nothing (rule 6). Recovery, restore and undo delete
// a file only with such a proof, checked at the moment of deleting (DeleteWithProof in
// steps.h); a garbled or planted journal line cannot give it for a file of the user's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "job/game_layout.h"
#include "runtime/runtime.h"

namespace torvane {

// The name a replacement has while the job copies it in beside its original.

// The file holds the bytes the journal recorded (size and SHA-256), and `twin`, another
// file by identity, holds them too. Without a recorded SHA-256 or a twin it proves nothing.
struct Twin {
  FileDigest recorded;
  std::u16string twin;
};

// The file carries the job's temporary name and its bytes begin `source`, another file by
// identity: a copy the job was making, whole or cut short. `size` is the size its copy
// step recorded (the whole copy's), which the deletion records in turn.
struct OwnPartialCopy {
  std::u16string source;
  std::uint64_t size = 0;
};

using Proof = std::variant<Twin, OwnPartialCopy>;

// Whether `proof` holds for `path` now: true or false, or the error that kept it from being
// known (nothing may be deleted then, and the work can be tried again).
Result<bool> Proves(Runtime& rt, const Proof& proof, const std::u16string& path);

// The size the journal recorded for the file `proof` is about.
std::uint64_t RecordedSize(const Proof& proof);

}  // namespace torvane
