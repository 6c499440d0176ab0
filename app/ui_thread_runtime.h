// The runtime of a job that runs on a worker thread while its window keeps answering.
// Message boxes and the restart as administrator are carried out on the window's thread
// (owned by the window and modal to it, exactly as if the job ran there), the worker
// waiting for the answer; every other operation, pauses included, runs on the worker
// through the inner runtime.
#pragma once

#include <windows.h>

#include <functional>

#include "runtime/runtime.h"

namespace torvane {

class UiThreadRuntime : public Runtime {
 public:
  // The message that carries a call to the window's thread. Its procedure must hand it
  // to RunSentCall.
  static constexpr UINT kSentCall = WM_APP + 0x40;
  static LRESULT RunSentCall(LPARAM call);

  // `inner` serves the worker and, on the window's thread, the boxes. `afterRestart`
  // runs on the window's thread once an elevated instance has been started.
  UiThreadRuntime(Runtime& inner, HWND window, std::function<void()> afterRestart);

  Result<std::u16string> Dir(const std::u16string& pattern, std::uint32_t mask) override;
  Result<std::u16string> DirNext() override;
  Status Kill(const std::u16string& path) override;
  Status FileCopy(const std::u16string& source, const std::u16string& destination,
                  CopyMode mode) override;
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override;
  Result<std::uint32_t> GetAttr(const std::u16string& path) override;
  Status MkDir(const std::u16string& path) override;
  Status Rename(const std::u16string& from, const std::u16string& to) override;
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override;
  Result<std::u16string> AppPath() override;
  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override;
  void Sleep(std::uint32_t milliseconds) override;
  Result<std::vector<RunningProgram>> RunningPrograms() override;
  Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) override;
  Result<FileIdentity> IdentityOf(const std::u16string& path) override;
  Status ProbeWrite(const std::u16string& folder) override;
  Status ProbeRename(const std::u16string& file) override;
  bool IsElevated() override;
  Result<std::u16string> ProgramFile() override;
  Status RestartElevated(const std::u16string& argument) override;

 private:
  // Runs `call` on the window's thread and waits for it; false when the window is gone
  // and the call did not run.
  bool OnWindowThread(const std::function<void()>& call);

  Runtime& inner_;
  HWND window_;
  std::function<void()> afterRestart_;
};

}  // namespace torvane
