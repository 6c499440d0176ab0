#include "window/ui_thread_runtime.h"

namespace torvane {

UiThreadRuntime::UiThreadRuntime(Runtime& inner, HWND window, std::function<void()> afterRestart)
    : ForwardingRuntime(inner), window_(window), afterRestart_(std::move(afterRestart)) {}

LRESULT UiThreadRuntime::RunSentCall(LPARAM call) {
  (*reinterpret_cast<const std::function<void()>*>(call))();
  return 1;
}

bool UiThreadRuntime::OnWindowThread(const std::function<void()>& call) {
  if (::GetWindowThreadProcessId(window_, nullptr) == ::GetCurrentThreadId()) {
    call();
    return true;
  }
  // Sent, not posted: the worker waits while the window's thread runs the call inside
  // whatever loop it is in, a modal one included.
  return ::SendMessageW(window_, kSentCall, 0, reinterpret_cast<LPARAM>(&call)) != 0;
}

int UiThreadRuntime::MsgBox(const std::u16string& prompt, std::uint32_t flags,
                            const std::u16string& title) {
  int answer = 0;  // no box could be shown: no button was pressed
  OnWindowThread([&] { answer = inner().MsgBox(prompt, flags, title); });
  return answer;
}

Status UiThreadRuntime::RestartElevated(const std::u16string& argument) {
  Status restarted = Error{ErrorKind::kOther, 0, u""};
  OnWindowThread([&] {
    restarted = inner().RestartElevated(argument);
    if (restarted.ok() && afterRestart_) afterRestart_();
  });
  return restarted;
}

}  // namespace torvane
