// The runtime of a job that runs on a worker thread while its window keeps answering.
// Message boxes and the restart as administrator are carried out on the window's thread
// (owned by the window and modal to it, exactly as if the job ran there), the worker
// waiting for the answer; every other operation, pauses included, runs on the worker
// through the inner runtime.
#pragma once

#include <windows.h>

#include <functional>

#include "runtime/forwarding_runtime.h"

namespace torvane {

class UiThreadRuntime : public ForwardingRuntime {
 public:
  // The message that carries a call to the window's thread. Its procedure must hand it
  // to RunSentCall.
  static constexpr UINT kSentCall = WM_APP + 0x40;
  static LRESULT RunSentCall(LPARAM call);

  // `inner` serves the worker and, on the window's thread, the boxes. `afterRestart`
  // runs on the window's thread once an elevated instance has been started.
  UiThreadRuntime(Runtime& inner, HWND window, std::function<void()> afterRestart);

  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override;
  Status RestartElevated(const std::u16string& argument) override;

 private:
  // Runs `call` on the window's thread and waits for it; false when the window is gone
  // and the call did not run.
  bool OnWindowThread(const std::function<void()>& call);

  HWND window_;
  std::function<void()> afterRestart_;
};

}  // namespace torvane
