// A disk whose copies to a path holding a given text (any case) read back otherwise than
// the bytes read, as a failing drive or cable makes them: the copy is there, whole in size,
// and not what was copied.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "runtime/forwarding_runtime.h"
#include "runtime/text.h"

namespace torvane::testing {

class UnfaithfulCopies : public ForwardingRuntime {
 public:
  UnfaithfulCopies(Runtime& inner, std::u16string part)
      : ForwardingRuntime(inner), part_(LowerCase(part)) {}

  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override {
    Result<CheckedCopy> copied = ForwardingRuntime::CopyAndDigest(source, destination);
    if (copied.ok() && Contains(LowerCase(destination), part_)) copied.value().readBackSame = false;
    return copied;
  }

  // One after the other, each through the CopyAndDigest above.
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override {
    return Runtime::CopyAndDigestAll(copies);
  }

 private:
  std::u16string part_;
};

}  // namespace torvane::testing
