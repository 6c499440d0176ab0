// The whole program as a user drives it: the path typed into the field, Tab to the
// button and Space, the message box read and answered, the game folder looked at
// afterwards. The tool's patch folder lies beside this test program, as it lies beside
// Torvane.exe.
#include <gtest/gtest.h>

#include <map>

#include "app/frm_main.h"
#include "runtime/text.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

// The box shows the system's icon of its kind.
bool ShowsIcon(const testing::SeenBox& box, LPCWSTR which) {
  return box.icon && box.icon == ::LoadIconW(nullptr, which);
}

// Files of a small game installation, each with content of its own.
const std::map<std::u16string, std::string>& GameFiles() {
  static const std::map<std::u16string, std::string> files{
      {u"War3.exe", "old war3"},
      {u"Game.dll", "old game"},
      {u"Storm.dll", "old storm"},
      {u"War3Patch.mpq", "old patch"},
      {u"msvcn80.dll", "old msvcn80"},
      {u"War3.mpq", "data"},
      {u"Frozen Throne.exe", "tft"},
      {u"readme.txt", "redundant"},
      {u"cheat.dll", "redundant too"},
      {u"redist\\miles\\Mssfast.m3d", "miles"},
      {u"redist\\miles\\extra.flt", "extra"},
  };
  return files;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create());
    const Result<std::u16string> tool = window_.MyPath();
    ASSERT_TRUE(tool.ok());
    patch_ = tool.value() + u"patch\\";
    testing::RemoveTree(patch_);
    testing::MakeFolder(patch_);
    for (const char16_t* name : {u"game.dll", u"storm.dll", u"war3.exe", u"war3patch.mpq"}) {
      WriteFile(patch_ + name, "new " + ToUtf8(name));
    }
    testing::MakeFolder(game_);
    testing::MakeFolder(game_ + u"redist");
    testing::MakeFolder(game_ + u"redist\\miles");
    for (const auto& [name, content] : GameFiles()) WriteFile(game_ + name, content);

    window_.Show();
    testing::Pump(window_.hwnd());
    field_ = testing::FindDescendant(window_.War3Browser.hwnd(), L"Edit");
    ASSERT_EQ(::GetFocus(), field_);
  }

  void TearDown() override { testing::RemoveTree(patch_); }

  void TypePath(const std::u16string& path) {
    testing::TypeText(path);
    ASSERT_TRUE(
        testing::PumpUntil([&] { return window_.War3Browser.Text() == path; }, window_.hwnd()))
        << ToUtf8(window_.War3Browser.Text());
  }

  // Tab to the button and press Space; returns once the job has shown its box.
  void PressTheButton() {
    testing::PressKey(VK_TAB);
    ASSERT_TRUE(testing::PumpUntil([&] { return ::GetFocus() == window_.Command1.hwnd(); },
                                   window_.hwnd()));
    testing::PressKey(VK_SPACE);
    ASSERT_TRUE(testing::PumpUntil([&] { return !answerer_.boxes().empty(); }, window_.hwnd()));
  }

  void ExpectOneBox(const std::u16string& text, const std::u16string& title, LPCWSTR icon) {
    ASSERT_EQ(answerer_.boxes().size(), 1u);
    const testing::SeenBox& box = answerer_.boxes().front();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, title);
    EXPECT_TRUE(ShowsIcon(box, icon));
    EXPECT_EQ(box.owner, window_.hwnd());  // modal to the window
  }

  void ExpectGameFolderUntouched() {
    for (const auto& [name, content] : GameFiles()) {
      EXPECT_EQ(ReadFile(game_ + name), content) << ToUtf8(name);
    }
    EXPECT_FALSE(FileExists(game_ + u"vTemp"));
    EXPECT_EQ(::GetFileAttributesW(win::W(game_ + u"vTemp")), INVALID_FILE_ATTRIBUTES);
  }

  testing::TempFolder temp_{u"torvane-e2e"};
  const std::u16string game_ = temp_.path() + u"魔兽争霸III\\";
  std::u16string patch_;
  FrmMain window_;
  HWND field_ = nullptr;
  testing::BoxAnswerer answerer_;
};

TEST_F(EndToEnd, EmptyPathAsksForThePathAndTouchesNothing) {
  PressTheButton();
  ExpectOneBox(u"请先设置魔兽主程序路径！", u"错误提示", IDI_HAND);
  ExpectGameFolderUntouched();
}

TEST_F(EndToEnd, PathWithoutTheGamesNameAsksForThePathAndTouchesNothing) {
  TypePath(game_ + u"war3.ex");
  PressTheButton();
  ExpectOneBox(u"请先设置魔兽主程序路径！", u"错误提示", IDI_HAND);
  ExpectGameFolderUntouched();
}

TEST_F(EndToEnd, WholeJobOnAGameFolder) {
  const std::u16string typed = game_ + u"WAR3.exe";  // any mix of cases
  TypePath(typed);
  PressTheButton();
  ExpectOneBox(u"清理完成！补丁完成", u"提示", IDI_ASTERISK);

  EXPECT_EQ(ReadFile(game_ + u"game.dll"), "new game.dll");
  EXPECT_EQ(ReadFile(game_ + u"storm.dll"), "new storm.dll");
  EXPECT_EQ(ReadFile(game_ + u"war3.exe"), "new war3.exe");
  EXPECT_EQ(ReadFile(game_ + u"war3patch.mpq"), "new war3patch.mpq");
  EXPECT_FALSE(FileExists(game_ + u"msvcn80.dll"));
  // The originals and the redundant files wait in vTemp; kept files stay.
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\Game.dll"), "old game");
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\msvcn80.dll"), "old msvcn80");
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\readme.txt"), "redundant");
  EXPECT_EQ(ReadFile(game_ + u"vTemp\\cheat.dll"), "redundant too");
  EXPECT_EQ(ReadFile(game_ + u"War3.mpq"), "data");
  EXPECT_EQ(ReadFile(game_ + u"Frozen Throne.exe"), "tft");
  EXPECT_EQ(ReadFile(game_ + u"redist\\miles\\Mssfast.m3d"), "miles");
  EXPECT_EQ(ReadFile(game_ + u"redist\\miles\\vTemp\\extra.flt"), "extra");
  EXPECT_EQ(window_.War3Browser.Text(), typed);
}

}  // namespace
}  // namespace torvane
