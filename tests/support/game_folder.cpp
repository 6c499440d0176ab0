#include "tests/support/game_folder.h"

#include "runtime/text.h"

namespace torvane::testing {

GameFolder MakeGameFolder(Disk& disk, const std::u16string& folderName) {
  GameFolder g;
  g.game = disk.root() + folderName + u"\\";
  g.tool = disk.root() + u"tool";
  g.exe = g.game + u"War3.exe";
  disk.MakeFolder(g.game + u"maps");
  disk.MakeFolder(g.game + u"redist\\miles");
  for (const char* name :
       {"War3.exe", "Game.dll", "Storm.dll", "War3Patch.mpq", "msvcn80.dll", "War3.mpq",
        "Frozen Throne.exe", "readme.txt", "war3.exe.bak", "ame.dll"}) {
    disk.WriteFile(g.game + FromUtf8(name), std::string("old ") + name);
  }
  disk.WriteFile(g.game + u"maps\\(2)Map.w3m", "a map");
  for (const char* name : {"Mssfast.m3d", "Mss32.dll", "extra.flt"}) {
    disk.WriteFile(g.Miles(FromUtf8(name)), std::string("miles ") + name);
  }
  disk.MakeFolder(g.tool + u"\\patch");
  for (const char* name : {"game.dll", "storm.dll", "war3.exe", "war3patch.mpq"}) {
    g.patch[FromUtf8(name)] = std::string("1.24e ") + name;
    disk.WriteFile(g.tool + u"\\patch\\" + FromUtf8(name), g.patch[FromUtf8(name)]);
  }
  disk.SetToolFolder(g.tool);
  return g;
}

}  // namespace torvane::testing
