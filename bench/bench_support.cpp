#include "bench/bench_support.h"

#include <windows.h>

#include <algorithm>

#include "runtime/text.h"
#include "runtime/win_handles.h"

namespace torvane::bench {

double Seconds(const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  work();
  ::QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

namespace {

win::UniqueFile Written(const std::u16string& path, const std::string& bytes) {
  win::UniqueFile file(::CreateFileW(win::W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return file;
}

}  // namespace

void Write(const std::u16string& path, const std::string& bytes) { (void)Written(path, bytes); }

void WriteThrough(const std::u16string& path, const std::string& bytes) {
  ::FlushFileBuffers(Written(path, bytes).get());
}

std::u16string TempPath(const std::u16string& name) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  return win::U(temp) + name;
}

}  // namespace torvane::bench
