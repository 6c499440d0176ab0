// A failed Windows call as the runtime's Error: its kind, its code, and the system's own
// description of it.
#pragma once

#include <windows.h>

#include "runtime/result.h"

namespace torvane {

// The error for a Win32 error code, with the system's own description of it.
Error ErrorFromCode(DWORD code);
Error LastError();
// The error for a failed COM or OLE call: an HRESULT that wraps a Win32 error is that
// error; any other keeps the HRESULT as its code, with the system's text for it.
Error ErrorFromHresult(HRESULT result);

}  // namespace torvane
