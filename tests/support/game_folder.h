// A typical game folder and the tool's patch folder, laid out on a Disk, with every file
// holding its own content so that any file can be found again after the job.
#pragma once

#include <map>
#include <string>

#include "tests/support/disk.h"

namespace torvane::testing {

struct GameFolder {
  std::u16string game;                          // the game folder, with its trailing backslash
  std::u16string tool;                          // the tool's folder, without one
  std::u16string exe;                           // the path a user types: game + "War3.exe"
  std::map<std::u16string, std::string> patch;  // replacement name -> content

  std::u16string Game(const std::u16string& name) const { return game + name; }
  std::u16string Miles(const std::u16string& name) const {
    return game + u"redist\\miles\\" + name;
  }
};

// Lays out under disk.root() + folderName: the five version files, kept files, redundant
// files, a maps folder, the audio folder, and the tool folder with its four replacements.
GameFolder MakeGameFolder(Disk& disk, const std::u16string& folderName = u"War3");

}  // namespace torvane::testing
