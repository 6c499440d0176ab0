// The runtime operations a job's preflight needs: the session's processes, the Restart
// Manager's view of who holds a file (looked up at run time: it is absent before Vista
// and may be a stub elsewhere), file identity, write and rename probes, free space,
// elevation.
// clang-format off
#include <windows.h>
#include <restartmanager.h>
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on

#include "runtime/command_line.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"

namespace torvane {
namespace {

using win::U;
using win::W;

constexpr DWORD kLongPathChars = 32768;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The executable of a process; empty when the system does not say.
std::u16string ImagePathOf(DWORD pid) {
  const win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  std::wstring buffer(kLongPathChars, L'\0');
  DWORD length = kLongPathChars;
  if (!::QueryFullProcessImageNameW(process.get(), 0, buffer.data(), &length)) return {};
  return U(buffer.c_str(), length);
}

// The Restart Manager's four functions, from the system's own copy of its library.
class RestartManager {
 public:
  RestartManager() {
    start_ = win::FunctionIn<decltype(&::RmStartSession)>(library_.get(), "RmStartSession");
    register_ =
        win::FunctionIn<decltype(&::RmRegisterResources)>(library_.get(), "RmRegisterResources");
    list_ = win::FunctionIn<decltype(&::RmGetList)>(library_.get(), "RmGetList");
    end_ = win::FunctionIn<decltype(&::RmEndSession)>(library_.get(), "RmEndSession");
  }

  bool available() const { return start_ && register_ && list_ && end_; }

  // The processes holding any of `files`; empty when the manager cannot tell.
  std::vector<RM_PROCESS_INFO> Holders(const std::vector<std::u16string>& files) const {
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start_(&session, 0, key) != ERROR_SUCCESS) return {};
    std::vector<LPCWSTR> names;
    for (const std::u16string& file : files) names.push_back(W(file));
    std::vector<RM_PROCESS_INFO> found;
    if (register_(session, static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0, nullptr) ==
        ERROR_SUCCESS) {
      found = List(session);
    }
    end_(session);
    return found;
  }

 private:
  std::vector<RM_PROCESS_INFO> List(DWORD session) const {
    std::vector<RM_PROCESS_INFO> found;
    for (int attempt = 0; attempt < 3; ++attempt) {  // the list may grow between calls
      UINT needed = 0, count = static_cast<UINT>(found.size());
      DWORD reasons = 0;
      const DWORD result = list_(session, &needed, &count, found.data(), &reasons);
      if (result == ERROR_SUCCESS) {
        found.resize(count);
        return found;
      }
      if (result != ERROR_MORE_DATA) break;
      found.resize(needed);
    }
    return {};
  }

  win::UniqueModule library_ = win::LoadSystemLibrary(L"rstrtmgr.dll");
  decltype(&::RmStartSession) start_ = nullptr;
  decltype(&::RmRegisterResources) register_ = nullptr;
  decltype(&::RmGetList) list_ = nullptr;
  decltype(&::RmEndSession) end_ = nullptr;
};

}  // namespace

Result<std::vector<RunningProgram>> WinRuntime::RunningPrograms() {
  const win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return LastError();
  const DWORD self = ::GetCurrentProcessId();
  std::vector<RunningProgram> programs;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
    programs.push_back({entry.th32ProcessID, ImagePathOf(entry.th32ProcessID), U(entry.szExeFile)});
  }
  return programs;
}

Result<std::vector<RunningProgram>> WinRuntime::ProgramsUsing(
    const std::vector<std::u16string>& files) {
  const RestartManager manager;
  std::vector<RunningProgram> programs;
  if (!manager.available() || files.empty()) return programs;
  const DWORD self = ::GetCurrentProcessId();
  for (const RM_PROCESS_INFO& info : manager.Holders(files)) {
    const DWORD pid = info.Process.dwProcessId;
    if (pid == self) continue;
    std::u16string path = ImagePathOf(pid);
    std::u16string name = path.empty() ? U(info.strAppName) : NameOf(path);
    programs.push_back({pid, std::move(path), std::move(name)});
  }
  return programs;
}

Result<FileIdentity> WinRuntime::IdentityOf(const std::u16string& path) {
  // No access asked for: attributes and identity only, even of a running program.
  const win::UniqueFile file(::CreateFileW(W(ExtendedPath(path)), 0, kShareAll, nullptr,
                                           OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS | kNoImpersonation, nullptr));
  if (!file) return LastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return LastError();
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

Status WinRuntime::ProbeWrite(const std::u16string& folder) {
  const std::u16string probe = WithTrailingBackslash(folder) + u"~torvane-probe-" +
                               Decimal(::GetCurrentProcessId()) + u".tmp";
  // Deleted by the system when the handle closes, whatever happens to this process.
  const win::UniqueFile file(::CreateFileW(W(ExtendedPath(probe)), GENERIC_WRITE | DELETE, 0,
                                           nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY |
                                               FILE_FLAG_DELETE_ON_CLOSE | kNoImpersonation,
                                           nullptr));
  return file ? Status() : Status(LastError());
}

Status WinRuntime::ProbeRename(const std::u16string& file) {
  const win::UniqueFile opened(::CreateFileW(W(ExtendedPath(file)), DELETE, kShareAll, nullptr,
                                             OPEN_EXISTING, kNoImpersonation, nullptr));
  return opened ? Status() : Status(LastError());
}

Result<std::uint64_t> WinRuntime::FreeSpace(const std::u16string& folder) {
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(W(WithTrailingBackslash(folder)), &available, nullptr, nullptr)) {
    return LastError();
  }
  return static_cast<std::uint64_t>(available.QuadPart);
}

bool WinRuntime::IsElevated() {
  win::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

Status WinRuntime::RestartElevated(const std::u16string& argument) {
  const Result<std::u16string> program = ProgramPath();
  if (!program.ok()) return program.error();
  const std::u16string parameters = QuoteArgument(argument);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = owner_;
  info.lpVerb = L"runas";
  info.lpFile = W(program.value());
  info.lpParameters = W(parameters);
  info.nShow = SW_SHOWNORMAL;
  return ::ShellExecuteExW(&info) ? Status() : Status(LastError());
}

}  // namespace torvane
