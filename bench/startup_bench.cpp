// Prints how long a program (Torvane.exe) takes from launch to a visible window, against
// the bare window program beside this one, as a ratio of medians (the machines here are
// shared, so absolute times mean little). The two programs start in turn, one after the
// other, so that a slow spell of the machine falls on both.
//   startup_bench PROGRAM_EXE BARE_EXE [ROUNDS]
// Two moments are taken per start: "visible", when the process first has a visible
// top-level window, and "idle", when its thread first waits for input with nothing
// left to do (the first paint and whatever was posted behind it are done).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Launch {
  double visibleMs = -1;
  double idleMs = -1;
};

struct Found {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != found->process || !::IsWindowVisible(window)) return TRUE;
  found->window = window;
  return FALSE;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// Starts the program in its own folder, waits for its window, closes it again.
Launch Start(const std::wstring& exe) {
  Launch result;
  std::wstring commandLine = L"\"" + exe + L"\"";
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  ::QueryPerformanceCounter(&start);
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "startup_bench: cannot start %ls (error %lu)\n", exe.c_str(),
                 ::GetLastError());
    std::exit(1);
  }
  Found found{process.dwProcessId, nullptr};
  while (!found.window && MillisecondsSince(start) < 20000) {
    ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&found));
    if (!found.window) ::Sleep(1);
  }
  if (found.window) {
    result.visibleMs = MillisecondsSince(start);
    if (::WaitForInputIdle(process.hProcess, 20000) == 0) result.idleMs = MillisecondsSince(start);
    ::PostMessageW(found.window, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 1);
    ::WaitForSingleObject(process.hProcess, 10000);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return result;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The program's file name without ".exe", for the figures.
std::wstring Label(const std::wstring& exe) {
  std::wstring name = exe.substr(exe.find_last_of(L'\\') + 1);
  if (name.size() > 4) name.resize(name.size() - 4);
  return name;
}

std::wstring FullPath(const wchar_t* path) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = ::GetFullPathNameW(path, MAX_PATH, buffer, nullptr);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring(path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench PROGRAM_EXE BARE_EXE [ROUNDS]\n");
    return 2;
  }
  const std::wstring torvane = FullPath(argv[1]);
  const std::wstring bare = FullPath(argv[2]);
  const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;

  // One start of each first, unmeasured: the system's own files come into the cache.
  Start(bare);
  Start(torvane);
  std::vector<double> bareVisible, bareIdle, torvaneVisible, torvaneIdle;
  for (int i = 0; i < rounds; ++i) {
    // Each program goes first in every other round.
    const bool bareFirst = i % 2 == 0;
    for (int k = 0; k < 2; ++k) {
      const bool isBare = (k == 0) == bareFirst;
      const Launch launch = Start(isBare ? bare : torvane);
      if (launch.visibleMs < 0 || launch.idleMs < 0) {
        std::fprintf(stderr, "startup_bench: %ls showed no window\n",
                     Label(isBare ? bare : torvane).c_str());
        return 1;
      }
      (isBare ? bareVisible : torvaneVisible).push_back(launch.visibleMs);
      (isBare ? bareIdle : torvaneIdle).push_back(launch.idleMs);
    }
  }
  const double visible = Median(torvaneVisible) / Median(bareVisible);
  const double idle = Median(torvaneIdle) / Median(bareIdle);
  std::printf("start-up of %ls against a bare window, median of %d alternating starts each:\n",
              Label(torvane).c_str(), rounds);
  std::printf("  window visible: bare %6.1f ms, %ls %6.1f ms, ratio %.2f\n", Median(bareVisible),
              Label(torvane).c_str(), Median(torvaneVisible), visible);
  std::printf("  input idle:     bare %6.1f ms, %ls %6.1f ms, ratio %.2f\n", Median(bareIdle),
              Label(torvane).c_str(), Median(torvaneIdle), idle);
  return 0;
}
