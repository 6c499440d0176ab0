// The least a patch job can do, for the set benchmark to measure the job against: each
// replacement copied in beside its original (CopyFileW), the original and msvcn80.dll
// moved into vTemp and the replacement renamed into place (one MoveFileW each), then
// every other file of the folder whose name begins "file" moved into vTemp. No journal,
// no checks, no pauses.
//   set_yardstick GAME_FOLDER PATCH_FOLDER
#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* kVersionFiles[] = {L"game.dll", L"storm.dll", L"war3.exe",
                                            L"war3patch.mpq"};

bool ReplaceVersionSet(const std::wstring& game, const std::wstring& patch,
                       const std::wstring& vtemp) {
  for (const wchar_t* name : kVersionFiles) {
    if (!::CopyFileW((patch + name).c_str(), (game + name + L".new").c_str(), TRUE)) return false;
  }
  ::MoveFileW((game + L"msvcn80.dll").c_str(), (vtemp + L"msvcn80.dll").c_str());
  for (const wchar_t* name : kVersionFiles) {
    if (!::MoveFileW((game + name).c_str(), (vtemp + name).c_str()) ||
        !::MoveFileW((game + name + L".new").c_str(), (game + name).c_str())) {
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
  if (argc != 3) return 2;
  const std::wstring game = std::wstring(argv[1]) + L"\\";
  const std::wstring patch = std::wstring(argv[2]) + L"\\";
  const std::wstring vtemp = game + L"vTemp\\";
  ::CreateDirectoryW(vtemp.c_str(), nullptr);
  return ReplaceVersionSet(game, patch, vtemp) && MoveTidied(game, vtemp) ? 0 : 1;
}
