// Functions that only newer systems export, looked up at run time so that the program
// still starts on Windows 7 SP1 (a static import of a missing function stops the loader).
#pragma once

#include <windows.h>

#include "runtime/win_handles.h"

namespace torvane::forms {

// The function `name` of the already loaded system module, or null where it is missing.
template <class F>
F SystemFunction(const wchar_t* module, const char* name) {
  return win::FunctionIn<F>(::GetModuleHandleW(module), name);
}

}  // namespace torvane::forms
