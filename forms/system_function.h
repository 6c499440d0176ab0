// Functions that only newer systems export, looked up at run time so that the program
// still starts on Windows 7 SP1 (a static import of a missing function stops the loader).
#pragma once

#include <windows.h>

namespace torvane::forms {

// The function `name` of the already loaded system module, or null where it is missing.
// void(*)() converts to any function pointer type without a cast-function-type warning.
template <class F>
F SystemFunction(const wchar_t* module, const char* name) {
  const HMODULE loaded = ::GetModuleHandleW(module);
  if (!loaded) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name)));
}

}  // namespace torvane::forms
