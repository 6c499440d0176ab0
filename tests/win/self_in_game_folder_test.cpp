// The tool unpacked into the game folder, as many users do: this very test program stands
// in the game folder (its own folder) and runs the job there. It must stay where it is,
// under whatever name it has; its "patch" folder is a sub-folder and stays too.
#include <gtest/gtest.h>
#include <windows.h>

#include "resources/texts.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/support/window_runs.h"
#include "tests/win/temp_files.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

class QuietRuntime : public WinRuntime {
 public:
  int MsgBox(const std::u16string& prompt, std::uint32_t, const std::u16string&) override {
    prompts.push_back(prompt);
    return kIdYes;
  }
  void Sleep(std::uint32_t) override {}
  std::vector<std::u16string> prompts;
};

constexpr const char16_t* kGameFiles[] = {u"War3.exe",      u"Game.dll", u"Storm.dll",
                                          u"War3Patch.mpq", u"War3.mpq", u"readme.txt"};
constexpr const char16_t* kPatchFiles[] = {u"game.dll", u"storm.dll", u"war3.exe",
                                           u"war3patch.mpq"};

TEST(SelfInGameFolder, TheRunningProgramIsNeverMovedAndAllGoesBack) {
  QuietRuntime rt;
  const std::u16string self = rt.ProgramPath().value();
  const std::u16string game = FolderOf(self);
  for (const char16_t* name : kGameFiles) testing::WriteFile(game + name, "old");
  testing::MakeFolder(game + u"patch");
  for (const char16_t* name : kPatchFiles) testing::WriteFile(game + u"patch\\" + name, "new");

  testing::Job(game + u"war3.exe", rt);
  ASSERT_FALSE(rt.prompts.empty());
  EXPECT_EQ(rt.prompts.back(), texts::kMsgDone);
  EXPECT_NE(::GetFileAttributesW(win::W(self)), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(testing::ReadFile(game + u"vTemp\\readme.txt"), "old");
  EXPECT_EQ(testing::ReadFile(game + u"game.dll"), "new");

  testing::Restore(game + u"war3.exe", rt);
  EXPECT_EQ(testing::ReadFile(game + u"readme.txt"), "old");
  EXPECT_EQ(testing::ReadFile(game + u"Game.dll"), "old");

  for (const char16_t* name : kGameFiles) ::DeleteFileW(win::W(game + name));
  testing::RemoveTree(game + u"patch");
  testing::RemoveTree(game + u"vTemp");
}

}  // namespace
}  // namespace torvane
