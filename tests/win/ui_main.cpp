// The main of the window tests: the program's own start-up (per-monitor DPI awareness,
// OLE and the common controls on this thread), then the tests.
// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <gtest/gtest.h>

#include "forms/dpi.h"

int main(int argc, char** argv) {
  torvane::forms::EnablePerMonitorDpiAwareness();
  const bool ole = SUCCEEDED(::OleInitialize(nullptr));
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (ole) ::OleUninitialize();
  return result;
}
