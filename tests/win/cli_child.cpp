#include "tests/win/cli_child.h"

#include <thread>

#include "runtime/text.h"
#include "runtime/win_handles.h"

namespace torvane::testing {
namespace {

using UniqueHandle = win::Unique<HANDLE, win::detail::CloseKernel>;

}  // namespace

std::u16string QuoteArgument(const std::u16string& arg) {
  if (!arg.empty() && arg.find_first_of(u" \t\"") == std::u16string::npos) return arg;
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, u'\\');
  quoted += u'"';
  return quoted;
}

std::u16string WineName(const char* unixPath) {
  std::u16string name = u"Z:";
  name += FromUtf8(unixPath);
  for (char16_t& c : name) {
    if (c == u'/') c = u'\\';
  }
  return name;
}

ChildRun RunChild(const std::u16string& exe, const std::vector<std::u16string>& args,
                  std::optional<DWORD> killAfterMs) {
  ChildRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) return {~0u, "CreatePipe", false};
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

  std::u16string commandLine = QuoteArgument(exe);
  for (const std::u16string& arg : args) commandLine.append(u" ").append(QuoteArgument(arg));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(win::W(exe), const_cast<wchar_t*>(win::W(commandLine)), nullptr, nullptr,
                        TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    return {~0u, "CreateProcessW failed", false};
  }
  const UniqueHandle child(process.hProcess);
  const UniqueHandle thread(process.hThread);
  writeEnd.reset();  // the pipe ends when the child's copy of this end closes

  std::thread reader([&] {
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
      run.output.append(buffer, got);
    }
  });
  if (killAfterMs && ::WaitForSingleObject(child.get(), *killAfterMs) == WAIT_TIMEOUT) {
    ::TerminateProcess(child.get(), 99);
    run.killed = true;
  }
  ::WaitForSingleObject(child.get(), INFINITE);
  reader.join();
  ::GetExitCodeProcess(child.get(), &run.exitCode);
  return run;
}

}  // namespace torvane::testing
