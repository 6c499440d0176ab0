#include "app/ui_thread_runtime.h"

namespace torvane {

UiThreadRuntime::UiThreadRuntime(Runtime& inner, HWND window, std::function<void()> afterRestart)
    : inner_(inner), window_(window), afterRestart_(std::move(afterRestart)) {}

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
  OnWindowThread([&] { answer = inner_.MsgBox(prompt, flags, title); });
  return answer;
}

Status UiThreadRuntime::RestartElevated(const std::u16string& argument) {
  Status restarted = Error{ErrorKind::kOther, 0, u""};
  OnWindowThread([&] {
    restarted = inner_.RestartElevated(argument);
    if (restarted.ok() && afterRestart_) afterRestart_();
  });
  return restarted;
}

Result<std::u16string> UiThreadRuntime::Dir(const std::u16string& pattern, std::uint32_t mask) {
  return inner_.Dir(pattern, mask);
}
Result<std::u16string> UiThreadRuntime::DirNext() { return inner_.DirNext(); }
Status UiThreadRuntime::Kill(const std::u16string& path) { return inner_.Kill(path); }
Status UiThreadRuntime::FileCopy(const std::u16string& source, const std::u16string& destination,
                                 CopyMode mode) {
  return inner_.FileCopy(source, destination, mode);
}
Status UiThreadRuntime::SetAttr(const std::u16string& path, std::uint32_t attributes) {
  return inner_.SetAttr(path, attributes);
}
Result<std::uint32_t> UiThreadRuntime::GetAttr(const std::u16string& path) {
  return inner_.GetAttr(path);
}
Status UiThreadRuntime::MkDir(const std::u16string& path) { return inner_.MkDir(path); }
Status UiThreadRuntime::Rename(const std::u16string& from, const std::u16string& to) {
  return inner_.Rename(from, to);
}
Result<bool> UiThreadRuntime::SameContent(const std::u16string& a, const std::u16string& b) {
  return inner_.SameContent(a, b);
}
Result<std::u16string> UiThreadRuntime::AppPath() { return inner_.AppPath(); }
void UiThreadRuntime::Sleep(std::uint32_t milliseconds) { inner_.Sleep(milliseconds); }
Result<std::vector<RunningProgram>> UiThreadRuntime::RunningPrograms() {
  return inner_.RunningPrograms();
}
Result<std::vector<RunningProgram>> UiThreadRuntime::ProgramsUsing(
    const std::vector<std::u16string>& files) {
  return inner_.ProgramsUsing(files);
}
Result<FileIdentity> UiThreadRuntime::IdentityOf(const std::u16string& path) {
  return inner_.IdentityOf(path);
}
Status UiThreadRuntime::ProbeWrite(const std::u16string& folder) {
  return inner_.ProbeWrite(folder);
}
Status UiThreadRuntime::ProbeRename(const std::u16string& file) { return inner_.ProbeRename(file); }
bool UiThreadRuntime::IsElevated() { return inner_.IsElevated(); }
Result<std::u16string> UiThreadRuntime::ProgramFile() { return inner_.ProgramFile(); }

}  // namespace torvane
