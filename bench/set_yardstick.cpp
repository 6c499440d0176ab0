// The least a patch job can do, for the set benchmark to measure the job against: each
// replacement copied in beside its original (CopyFileW), the original and msvcn80.dll
// moved into vTemp and the replacement renamed into place (one MoveFileExW each), then
// every other file of the folder whose name begins "file" moved into vTemp. No journal,
// no checks, no pauses.
//   set_yardstick GAME_FOLDER PATCH_FOLDER [durable]
// "durable" is the least a job that survives a power cut can do: each copy flushed to the
// disk once made, and the set's moves written through. The tidy's moves never are.
#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* kVersionFiles[] = {L"game.dll", L"storm.dll", L"war3.exe",
                                            L"war3patch.mpq"};

bool Flushed(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = ::FlushFileBuffers(file) != 0;
  ::CloseHandle(file);
  return flushed;
}

bool ReplaceVersionSet(const std::wstring& game, const std::wstring& patch,
                       const std::wstring& vtemp, bool durable) {
  for (const wchar_t* name : kVersionFiles) {
    const std::wstring staged = game + name + L".new";
    if (!::CopyFileW((patch + name).c_str(), staged.c_str(), TRUE)) return false;
    if (durable && !Flushed(staged)) return false;
  }
  const DWORD how = durable ? MOVEFILE_WRITE_THROUGH : 0;
  ::MoveFileExW((game + L"msvcn80.dll").c_str(), (vtemp + L"msvcn80.dll").c_str(), how);
  for (const wchar_t* name : kVersionFiles) {
    if (!::MoveFileExW((game + name).c_str(), (vtemp + name).c_str(), how) ||
        !::MoveFileExW((game + name + L".new").c_str(), (game + name).c_str(), how)) {
      return false;
    }
  }
  return true;
}

bool MoveTidied(const std::wstring& game, const std::wstring& vtemp) {
  WIN32_FIND_DATAW found{};
  const HANDLE find = ::FindFirstFileW((game + L"file*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool moved = true;
  do {
    moved =
        ::MoveFileW((game + found.cFileName).c_str(), (vtemp + found.cFileName).c_str()) && moved;
  } while (::FindNextFileW(find, &found));
  ::FindClose(find);
  return moved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return 2;
  const bool durable = argc == 4 && std::wstring(argv[3]) == L"durable";
  if (argc == 4 && !durable) return 2;
  const std::wstring game = std::wstring(argv[1]) + L"\\";
  const std::wstring patch = std::wstring(argv[2]) + L"\\";
  const std::wstring vtemp = game + L"vTemp\\";
  ::CreateDirectoryW(vtemp.c_str(), nullptr);
  return ReplaceVersionSet(game, patch, vtemp, durable) && MoveTidied(game, vtemp) ? 0 : 1;
}
