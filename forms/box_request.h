// A message box a front end shows: the window's boxes about a job and the path picker's
// about a drop alike. Portable: the box goes through the runtime, so the native tests see
// exactly the box a user sees.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/runtime.h"

namespace torvane::forms {

struct BoxRequest {
  std::u16string prompt;
  std::uint32_t flags = 0;  // the platform's message-box flags: buttons and icon
  std::u16string title;
};

// Shows the box; the button pressed.
inline int Show(Runtime& rt, const BoxRequest& box) {
  return rt.MsgBox(box.prompt, box.flags, box.title);
}

}  // namespace torvane::forms
