// The browse action with the real system dialogs, driven as a user would drive them: what
// the dialog is given (title, file types), what reaches the field, Change, the starting
// folder kept for the next dialog, and the filter, which no dialog changes.
#include <gtest/gtest.h>

#include <string>

#include "resources/texts.h"
#include "tests/win/picker_host.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

using testing::ChooseFile;
using testing::ChooseFolder;
using testing::DialogDriver;
using testing::PickerHost;
using testing::Press;
using testing::Screenshot;

class BrowseDialogs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host_.field()); }

  FileBrowser& picker() { return host_.picker(); }

  testing::TempFolder temp_{u"torvane-browse"};
  PickerHost host_;
};

TEST_F(BrowseDialogs, OpenChoiceReachesTheFieldWithoutItsNulAndSetsTheStartingFolder) {
  picker().SetFilter(texts::kWar3Filter);
  picker().SetTitle(u"选择魔兽主程序");
  const std::u16string war3 = temp_.MakeFile(u"War3", u"war3.exe");

  DialogDriver driver({Screenshot(u"open-dialog", ChooseFile(war3))});
  host_.ClickBrowse();

  ASSERT_EQ(driver.seen().size(), 1u);
  EXPECT_EQ(driver.seen()[0].title, u"选择魔兽主程序");
  EXPECT_EQ(driver.seen()[0].items, std::vector<std::u16string>{u"war3.exe "});
  EXPECT_EQ(picker().Text(), war3);
  EXPECT_EQ(host_.changes(), 1);
  EXPECT_EQ(picker().InitDir(), temp_.path() + u"War3\\");
  EXPECT_EQ(picker().Filter(), texts::kWar3Filter);
  EXPECT_EQ(::GetFocus(), host_.field());
}

TEST_F(BrowseDialogs, CancelChangesOnlyTheStartingFolder) {
  picker().SetFilter(texts::kWar3Filter);
  const std::u16string before = temp_.path() + u"Elsewhere\\war3.exe";
  testing::MakeFolder(temp_.path() + u"Elsewhere");
  host_.StartWith(before);
  picker().SetInitDir(u"D:\\Set\\By\\Host\\");

  {
    // A name that does not exist is refused by the dialog itself; then cancel.
    DialogDriver driver({ChooseFile(temp_.path() + u"missing.exe"), Press(IDOK), Press(IDCANCEL)});
    host_.ClickBrowse();
    ASSERT_EQ(driver.seen().size(), 3u) << "the open dialog accepted a missing file";
    // It starts in the folder of the field's path, not in the one the host set.
    EXPECT_EQ(driver.seen()[0].folder, temp_.path() + u"Elsewhere");
  }
  EXPECT_EQ(picker().Text(), before);
  EXPECT_EQ(host_.changes(), 0);
  EXPECT_EQ(picker().InitDir(), temp_.path() + u"Elsewhere\\");
  EXPECT_EQ(picker().Filter(), texts::kWar3Filter);

  // The next dialog gets the same one type.
  DialogDriver again({Press(IDCANCEL)});
  host_.ClickBrowse();
  ASSERT_EQ(again.seen().size(), 1u);
  EXPECT_EQ(again.seen()[0].items, std::vector<std::u16string>{u"war3.exe "});
  EXPECT_EQ(picker().Text(), before);

  // The same for the save and the folder dialog. The filter is saved as it was set.
  const std::int32_t kinds[] = {filebrowser::kFileDialogSave, filebrowser::kFileDialogFolder};
  for (std::int32_t kind : kinds) {
    picker().SetFileDialogType(kind);
    DialogDriver cancel({Press(IDCANCEL)});
    host_.ClickBrowse();
    EXPECT_EQ(cancel.seen().size(), 1u);
  }
  EXPECT_EQ(picker().Filter(), texts::kWar3Filter);
  forms::PropertyBag saved;
  picker().WriteProperties(saved);
  EXPECT_EQ(forms::ToString(saved.ReadProperty(u"Filter", std::u16string())).value(),
            texts::kWar3Filter);
  EXPECT_EQ(picker().Text(), before);
  EXPECT_EQ(host_.changes(), 0);
}

// A pattern's ending is appended only to a name that lacks it in every case; a filter of
// plain names appends nothing.
TEST_F(BrowseDialogs, SaveChoiceGetsThePatternsEndingOnlyWhenItLacksIt) {
  picker().SetFileDialogType(filebrowser::kFileDialogSave);
  const std::u16string folder = temp_.path() + u"Save\\";
  const std::u16string readme = temp_.MakeFile(u"Save", u"README.TXT");

  struct Case {
    std::u16string_view filter;
    std::u16string chosen;
    std::u16string field;
    bool exists;
  };
  const Case cases[] = {
      {texts::kWar3Filter, folder + u"game.exe", folder + u"game.exe", false},
      {texts::kWar3Filter, folder + u"abc", folder + u"abc", false},
      {u"文本 (*.txt) | *.txt", readme, readme, true},
      {u"文本 (*.txt) | *.txt", folder + u"notes", folder + u"notes.txt", false},
  };
  bool first = true;
  for (const Case& c : cases) {
    picker().SetFilter(std::u16string(c.filter));
    // Replacing an existing file is confirmed (Wine asks nothing before creating one;
    // Windows may): every question is answered Yes.
    DialogDriver::Action choose = ChooseFile(c.chosen);
    if (first) choose = Screenshot(u"save-dialog", choose);
    first = false;
    DialogDriver driver({choose, Press(IDYES)});
    host_.ClickBrowse();
    if (c.exists) {
      EXPECT_EQ(driver.seen().size(), 2u) << "no question before replacing";
    }
    EXPECT_EQ(picker().Text(), c.field);
    EXPECT_EQ(picker().InitDir(), folder);
  }
  // The existing file was only chosen, never written.
  EXPECT_EQ(testing::ReadFile(readme), "x");
}

TEST_F(BrowseDialogs, FolderChoiceReachesTheFieldWithoutABackslash) {
  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  picker().SetTitle(u"请选择魔兽所在的文件夹");
  const std::u16string folder = temp_.path() + u"War3";
  testing::MakeFolder(folder);

  DialogDriver driver({Screenshot(u"folder-dialog", ChooseFolder(folder))});
  host_.ClickBrowse();

  ASSERT_EQ(driver.seen().size(), 1u);
  const auto& statics = driver.seen()[0].items;
  EXPECT_NE(std::find(statics.begin(), statics.end(), u"请选择魔兽所在的文件夹"), statics.end());
  EXPECT_EQ(picker().Text(), folder);
  EXPECT_EQ(host_.changes(), 1);
  EXPECT_EQ(picker().InitDir(), temp_.path());
  EXPECT_EQ(picker().Filter(), texts::kDefaultFilter);  // the folder dialog leaves it alone
  EXPECT_EQ(picker().Title(), u"请选择魔兽所在的文件夹");
}

TEST_F(BrowseDialogs, FolderChoiceOfADriveRootKeepsItsBackslash) {
  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  DialogDriver driver({ChooseFolder(u"C:\\")});
  host_.ClickBrowse();
  EXPECT_EQ(picker().Text(), u"C:\\");
  EXPECT_EQ(picker().InitDir(), u"C:\\");
}

TEST_F(BrowseDialogs, LockedFieldRefusesTypingButTakesTheTextLetAndABrowse) {
  picker().SetLocked(true);
  ::SendMessageW(host_.field(), WM_CHAR, u'x', 1);
  EXPECT_EQ(picker().Text(), u"");
  picker().SetText(u"C:\\war3.exe");
  EXPECT_EQ(picker().Text(), u"C:\\war3.exe");

  const std::u16string war3 = temp_.MakeFile(u"Locked", u"war3.exe");
  DialogDriver driver({ChooseFile(war3)});
  host_.ClickBrowse();
  ASSERT_EQ(driver.seen().size(), 1u);
  EXPECT_EQ(picker().Text(), war3);
  EXPECT_TRUE(picker().Locked());
}

TEST_F(BrowseDialogs, ATypeOutsideTheThreeOpensNothing) {
  picker().SetFileDialogType(5);
  host_.StartWith(u"C:\\Games\\War3\\war3.exe");
  ::SetFocus(nullptr);

  DialogDriver driver({});
  host_.ClickBrowse();
  testing::PumpUntil([] { return false; }, nullptr, std::chrono::milliseconds(300));

  EXPECT_TRUE(driver.seen().empty());
  EXPECT_EQ(picker().InitDir(), u"C:\\Games\\War3\\");
  EXPECT_EQ(::GetFocus(), host_.field());
  EXPECT_EQ(picker().Text(), u"C:\\Games\\War3\\war3.exe");
  EXPECT_EQ(host_.changes(), 0);
  EXPECT_EQ(picker().Filter(), texts::kDefaultFilter);
}

// Korean, Thai and an emoji (a surrogate pair): none of them is in the Chinese code page.
TEST_F(BrowseDialogs, PathsOutsideTheAnsiCodePageSurviveEveryDialog) {
  const std::u16string folderName = u"한국어 ไทย 🎮";
  const std::u16string file = temp_.MakeFile(folderName, u"전쟁3.exe");

  DialogDriver open({Screenshot(u"open-dialog-default-filter", ChooseFile(file))});
  host_.ClickBrowse();
  ASSERT_EQ(open.seen().size(), 1u);
  EXPECT_EQ(open.seen()[0].title, u"打开文件");
  EXPECT_EQ(open.seen()[0].items, std::vector<std::u16string>{u"所有类型 (*.*) "});
  EXPECT_EQ(picker().Text(), file);
  EXPECT_EQ(picker().InitDir(), temp_.path() + folderName + u"\\");

  picker().SetFileDialogType(filebrowser::kFileDialogSave);
  const std::u16string saved = temp_.path() + folderName + u"\\새 파일.txt";
  DialogDriver save({ChooseFile(saved), Press(IDYES)});
  host_.ClickBrowse();
  EXPECT_EQ(picker().Text(), saved);  // the default filter appends nothing visible

  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  picker().SetTitle(u"폴더 🎮");
  const std::u16string folder = temp_.path() + folderName;
  DialogDriver pick({ChooseFolder(folder)});
  host_.ClickBrowse();
  EXPECT_EQ(picker().Text(), folder);
  EXPECT_EQ(picker().Title(), u"폴더 🎮");
}

}  // namespace
}  // namespace torvane
