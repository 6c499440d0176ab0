// A stand-in for an on-access virus scanner, in a process of its own: it watches a folder
// and every folder below it, and opens each file that appears there, is renamed there or
// is written, for reading and without sharing delete, for a while; several at once, each
// from the moment it is seen.
//
//   torvane_test_scanner FOLDER HOLD_MS READY_EVENT STOP_EVENT
//
// It sets the event READY_EVENT once it watches, and ends when STOP_EVENT is set. Exit
// code: how many files it held, or -1 on a usage or system error.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Held {
  HANDLE file;
  ULONGLONG until;
};

class Scanner {
 public:
  Scanner(std::wstring folder, DWORD holdMs) : folder_(std::move(folder)), holdMs_(holdMs) {}

  // Holds each file the notifications in `buffer` name.
  void Take(const BYTE* buffer) {
    for (auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer);;
         info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(
             reinterpret_cast<const BYTE*>(info) + info->NextEntryOffset)) {
      if (info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_MODIFIED ||
          info->Action == FILE_ACTION_RENAMED_NEW_NAME) {
        Hold(folder_ + L"\\" + std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR)));
      }
      if (info->NextEntryOffset == 0) break;
    }
  }

  // Lets go of every file held long enough; how long until the next one is due.
  DWORD Release() {
    const ULONGLONG now = ::GetTickCount64();
    DWORD next = INFINITE;
    for (auto it = held_.begin(); it != held_.end();) {
      if (it->until <= now) {
        ::CloseHandle(it->file);
        it = held_.erase(it);
      } else {
        next = std::min<DWORD>(next, static_cast<DWORD>(it->until - now));
        ++it;
      }
    }
    return next;
  }

  int count() const { return count_; }
  ~Scanner() {
    for (const Held& h : held_) ::CloseHandle(h.file);
  }

 private:
  // A folder, or a file another handle keeps to itself, is passed by.
  void Hold(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    held_.push_back({file, ::GetTickCount64() + holdMs_});
    ++count_;
  }

  std::wstring folder_;
  DWORD holdMs_;
  std::vector<Held> held_;
  int count_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return -1;
  const std::wstring folder = argv[1];
  const HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
  const HANDLE stop = ::OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
  const HANDLE changed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE dir = ::CreateFileW(
      folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (!ready || !stop || !changed || dir == INVALID_HANDLE_VALUE) return -1;

  Scanner scanner(folder, static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  alignas(DWORD) static BYTE buffer[64 * 1024];
  OVERLAPPED overlapped{};
  overlapped.hEvent = changed;
  auto watch = [&] {
    ::ResetEvent(changed);
    return ::ReadDirectoryChangesW(
        dir, buffer, sizeof buffer, TRUE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE,
        nullptr, &overlapped, nullptr);
  };
  if (!watch()) return -1;
  ::SetEvent(ready);

  const HANDLE waits[] = {stop, changed};
  for (;;) {
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, scanner.Release());
    if (woke == WAIT_OBJECT_0) break;
    if (woke != WAIT_OBJECT_0 + 1) continue;
    DWORD bytes = 0;
    if (::GetOverlappedResult(dir, &overlapped, &bytes, FALSE) && bytes > 0) scanner.Take(buffer);
    if (!watch()) return -1;
  }
  ::CancelIo(dir);
  ::CloseHandle(dir);
  return scanner.count();
}
