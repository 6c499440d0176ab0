// The layout of a game folder, written once: the names the tool looks for there and the
// names it makes there. Every path the engine acts on is derived from these, spelled as
// here (lower case, except vTemp), so that text alone tells one place from another.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace torvane {

// What makes a folder a game folder: war3.exe, named exactly, beside War3.mpq.
inline constexpr std::u16string_view kWar3Exe = u"war3.exe";
inline constexpr std::u16string_view kWar3Mpq = u"war3.mpq";

// The version set: the four files the job replaces, in the order of their replacements in
// the tool's patch folder, and the file the 1.24e game must not find beside them.
inline constexpr std::array<std::u16string_view, 4> kVersionFileNames = {
    u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"};
inline constexpr std::u16string_view kMsvcn80 = u"msvcn80.dll";
// Where the two files whose versions are read sit in kVersionFileNames.
inline constexpr std::size_t kGameDllAt = 0;
inline constexpr std::size_t kWar3ExeAt = 2;
static_assert(kVersionFileNames[kWar3ExeAt] == kWar3Exe);

// Beside the tool, not in the game folder: the replacements.
inline constexpr std::u16string_view kPatchFolder = u"patch\\";

// The audio folder, tidied by its own keep-list when it holds the file that marks it.
inline constexpr std::u16string_view kRedistFolder = u"redist\\";
inline constexpr std::u16string_view kMilesFolder = u"redist\\miles\\";
inline constexpr std::u16string_view kMilesMark = u"Mssfast.m3d";

// Where each tidied folder's surplus files, and the replaced originals, are kept.
inline constexpr std::u16string_view kVTemp = u"vTemp";

// The folders below a game folder that the tool acts in, and that a journal may name: the
// two it tidies and the vTemp of each.
inline constexpr std::u16string_view kVTempFolder = u"vTemp\\";
inline constexpr std::u16string_view kMilesVTempFolder = u"redist\\miles\\vTemp\\";
inline constexpr std::u16string_view kRootFolders[] = {u"", kVTempFolder, kMilesFolder,
                                                       kMilesVTempFolder};

// In the game folder's vTemp: the lock of the work under way, and the journals,
// "torvane-journal-0001.txt" onwards.
inline constexpr std::u16string_view kLockName = u"torvane.lock";
inline constexpr std::u16string_view kJournalPrefix = u"torvane-journal-";
inline constexpr std::u16string_view kJournalSuffix = u".txt";

// A version file's names during the swap, beside it: its replacement, copied and checked
// before any original moves, and the original on its way into vTemp.
inline constexpr std::u16string_view kStagedSuffix = u".torvane-new";
inline constexpr std::u16string_view kAsideSuffix = u".torvane-old";

// The vTemp of `folder`, given with its trailing backslash.
inline std::u16string VTempIn(std::u16string_view folder) {
  return std::u16string(folder) + std::u16string(kVTemp);
}

// Whether `folder`, given with its trailing backslash, is a vTemp: a vTemp has none inside.
inline bool IsVTemp(std::u16string_view folder) {
  const std::size_t n = kVTempFolder.size();
  return folder.size() > n && folder.ends_with(kVTempFolder) &&
         folder[folder.size() - n - 1] == u'\\';
}

}  // namespace torvane
