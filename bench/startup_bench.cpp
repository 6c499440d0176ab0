// Prints how long Torvane.exe takes from launch to a visible window against its yardstick,
// the styled window (bare_window.cpp with visual styles, the icon and four controls: the
// least any window like Torvane's costs), and both against the bare window, as ratios of
// medians (the machines here are shared, so absolute times mean little). The programs start
// in turn, each going first in one round of three, so that a slow spell of the machine falls
// on all of them. Torvane is meant to stay within 1.15 times the styled window: nothing it
// adds may run before its first paint. A figure, not a test.
//   startup_bench PROGRAM_EXE STYLED_EXE BARE_EXE [ROUNDS]
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

// The figures of one program over every round.
struct Series {
  std::wstring exe;
  std::vector<double> visible;
  std::vector<double> idle;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: startup_bench PROGRAM_EXE STYLED_EXE BARE_EXE [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 15;
  Series series[3] = {
      {FullPath(argv[1]), {}, {}}, {FullPath(argv[2]), {}, {}}, {FullPath(argv[3]), {}, {}}};
  Series& program = series[0];
  Series& styled = series[1];
  Series& bare = series[2];

  // One start of each first, unmeasured: the system's own files come into the cache.
  for (const Series& s : series) Start(s.exe);
  for (int i = 0; i < rounds; ++i) {
    for (int k = 0; k < 3; ++k) {
      Series& s = series[(i + k) % 3];
      const Launch launch = Start(s.exe);
      if (launch.visibleMs < 0 || launch.idleMs < 0) {
        std::fprintf(stderr, "startup_bench: %ls showed no window\n", Label(s.exe).c_str());
        return 1;
      }
      s.visible.push_back(launch.visibleMs);
      s.idle.push_back(launch.idleMs);
    }
  }
  const auto ratio = [](const std::vector<double>& of, const std::vector<double>& to) {
    return Median(of) / Median(to);
  };
  const std::wstring name = Label(program.exe);
  std::printf("start-up, median of %d starts each, the three programs in turn:\n", rounds);
  std::printf(
      "  %ls against the styled window (target 1.15 or less): window visible %.2f, "
      "input idle %.2f\n",
      name.c_str(), ratio(program.visible, styled.visible), ratio(program.idle, styled.idle));
  std::printf("  the styled window against the bare one: window visible %.2f, input idle %.2f\n",
              ratio(styled.visible, bare.visible), ratio(styled.idle, bare.idle));
  std::printf("  window visible: bare %6.1f ms, styled %6.1f ms, %ls %6.1f ms\n",
              Median(bare.visible), Median(styled.visible), name.c_str(), Median(program.visible));
  std::printf("  input idle:     bare %6.1f ms, styled %6.1f ms, %ls %6.1f ms\n", Median(bare.idle),
              Median(styled.idle), name.c_str(), Median(program.idle));
  return 0;
}
