#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "controls/filebrowser/rules.h"
#include "resources/texts.h"

namespace torvane::filebrowser {
namespace {

using namespace std::string_literals;
using forms::BoxRequest;

constexpr char16_t kMainFilter[] = u"war3.exe | war3.exe";
const std::u16string kMainFilterDialogForm = u"war3.exe \0 war3.exe\0"s;
const std::u16string kDefaultFilterDialogForm = u"所有类型 (*.*) \0 *.*\0"s;

TEST(FileBrowserFilter, DialogFormEndsEveryFieldInNul) {
  EXPECT_EQ(FilterDialogForm(texts::kDefaultFilter), kDefaultFilterDialogForm);
  EXPECT_EQ(FilterDialogForm(kMainFilter), kMainFilterDialogForm);
  EXPECT_EQ(FilterDialogForm(u""), u"\0"s);
}

TEST(FileBrowserFilter, AFinalBarGetsNoSecondOne) {
  EXPECT_EQ(FilterDialogForm(u"所有类型 (*.*) | *.*|"), kDefaultFilterDialogForm);
  EXPECT_EQ(FilterDialogForm(u"|"), u"\0"s);
}

TEST(FileBrowserSaveEnding, DefaultFilterPassesEveryChoiceUnchanged) {
  for (const std::u16string& choice :
       {u"C:\\G\\war3.exe\0"s, u"C:\\G\\WAR3.EXE\0"s, u"C:\\G\\abc\0"s, u"C:\\G\\readme.txt\0"s}) {
    EXPECT_EQ(ApplyExpectedEnding(choice, kDefaultFilterDialogForm), choice);
  }
}

// A filter whose patterns hold no "*" names files, not an ending: nothing is appended.
TEST(FileBrowserSaveEnding, AFilterWithoutAWildcardPatternAppendsNothing) {
  for (const std::u16string& choice :
       {u"C:\\G\\war3.exe\0"s, u"C:\\G\\WAR3.EXE\0"s, u"C:\\G\\abc\0"s, u"C:\\G\\readme.txt\0"s}) {
    EXPECT_EQ(ApplyExpectedEnding(choice, kMainFilterDialogForm), choice);
    EXPECT_EQ(ApplyExpectedEnding(choice, u"abc\0"s), choice);
    // A "*" in a description is no pattern.
    EXPECT_EQ(ApplyExpectedEnding(choice, u"Text (*.txt)\0readme\0"s), choice);
  }
}

TEST(FileBrowserSaveEnding, AppendsThePatternsEndingOnlyWhenTheNameLacksItInAnyCase) {
  const std::u16string textFilter = u"Text\0*.txt\0"s;
  EXPECT_EQ(ApplyExpectedEnding(u"readme\0"s, textFilter), u"readme.txt\0"s);
  EXPECT_EQ(ApplyExpectedEnding(u"x.ab\0"s, textFilter), u"x.ab.txt\0"s);
  for (const std::u16string& named : {u"readme.txt\0"s, u"README.TXT\0"s, u"Readme.Txt\0"s}) {
    EXPECT_EQ(ApplyExpectedEnding(named, textFilter), named);
  }
  // Patterns of every field and of a ";" list count; the last one's ending is appended.
  const std::u16string two = u"Text (*.txt) \0 *.txt \0Logs\0*.log;*.LOG2\0"s;
  EXPECT_EQ(ApplyExpectedEnding(u"a.TXT\0"s, two), u"a.TXT\0"s);
  EXPECT_EQ(ApplyExpectedEnding(u"a.log2\0"s, two), u"a.log2\0"s);
  EXPECT_EQ(ApplyExpectedEnding(u"a\0"s, two), u"a.LOG2\0"s);
  // "*.*" beside another pattern takes every name.
  EXPECT_EQ(ApplyExpectedEnding(u"a\0"s, u"Text\0*.txt\0All\0*.*\0"s), u"a\0"s);
}

TEST(FileBrowserSaveEnding, EmptyChoiceStaysEmpty) {
  EXPECT_EQ(ApplyExpectedEnding(u"", kMainFilterDialogForm), u"");
  EXPECT_EQ(ApplyExpectedEnding(u"", u""), u"");
}

// Records every box and answers each with `answer`.
struct BoxRecorder {
  int answer = 1;
  std::vector<BoxRequest> boxes;
  std::function<int(const BoxRequest&)> Ask() {
    return [this](const BoxRequest& box) {
      boxes.push_back(box);
      return answer;
    };
  }
};

std::u16string WrongTypePrompt(std::u16string_view filter) {
  return std::u16string(texts::kMsgWrongTypeHead) + std::u16string(filter) +
         texts::kMsgWrongTypeTail;
}

// The last four characters are looked for in any case: on Windows' file systems a name
// in another case is the same file.
TEST(FileBrowserDrop, MainFilterAcceptsFilesWhoseLastFourCharactersOccurInItInAnyCase) {
  for (const std::u16string_view dropped :
       {u"C:\\Games\\War3\\war3.exe", u"C:\\Games\\War3\\Frozen Throne.exe",
        u"C:\\Games\\War3\\war3", u"C:\\Games\\War3\\WAR3.EXE", u"C:\\Games\\War3\\War3.Exe",
        u"C:\\Games\\War3\\WAR3"}) {
    BoxRecorder recorder;
    EXPECT_EQ(
        DecideDrop(dropped, Dropped::kOrdinaryFile, kFileDialogOpen, kMainFilter, recorder.Ask())
            .newText,
        dropped);
    EXPECT_TRUE(recorder.boxes.empty());
  }
}

TEST(FileBrowserDrop, FilterInAnotherCaseOrScriptStillMatches) {
  const std::pair<std::u16string_view, std::u16string_view> accepted[] = {
      {u"程序 (*.EXE) | *.EXE", u"D:\\a\\setup.exe"},
      {u"ALL FILES | *.*", u"D:\\a\\readme.txt"},
      {u"文档 | *.ДОК", u"D:\\a\\отчёт.док"},  // Cyrillic, lower-cased as Latin is
  };
  for (const auto& [filter, dropped] : accepted) {
    BoxRecorder recorder;
    EXPECT_EQ(DecideDrop(dropped, Dropped::kOrdinaryFile, kFileDialogOpen, filter, recorder.Ask())
                  .newText,
              dropped)
        << ::testing::PrintToString(std::u16string(filter));
    EXPECT_TRUE(recorder.boxes.empty());
  }
}

TEST(FileBrowserDrop, MainFilterRefusesOtherEndingsAndFoldersWithTheWrongTypeBox) {
  const std::pair<std::u16string_view, Dropped> refused[] = {
      {u"C:\\Games\\War3\\README.TXT", Dropped::kOrdinaryFile},
      {u"C:\\Games\\War3\\war3.exe.bak", Dropped::kOrdinaryFile},
      {u"C:\\Games\\War3\\war3.exe", Dropped::kHiddenFile},
      {u"C:\\Games\\War3", Dropped::kNoFile}};
  for (const auto& [dropped, what] : refused) {
    BoxRecorder recorder;
    EXPECT_EQ(DecideDrop(dropped, what, kFileDialogOpen, kMainFilter, recorder.Ask()).newText,
              std::nullopt);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].prompt, WrongTypePrompt(kMainFilter));
    EXPECT_EQ(recorder.boxes[0].flags, 64u);
    EXPECT_EQ(recorder.boxes[0].title, u"提示");
  }
}

TEST(FileBrowserDrop, DefaultFilterAcceptsAnyFileOnEveryFilePickerType) {
  for (const std::int32_t type : {kFileDialogOpen, kFileDialogSave, 7, -1}) {
    BoxRecorder recorder;
    EXPECT_EQ(DecideDrop(u"D:\\a\\readme.txt", Dropped::kOrdinaryFile, type, texts::kDefaultFilter,
                         recorder.Ask())
                  .newText,
              u"D:\\a\\readme.txt");
    // A folder, or a hidden or system file, is no ordinary file.
    for (const Dropped what : {Dropped::kNoFile, Dropped::kHiddenFile}) {
      EXPECT_EQ(DecideDrop(u"D:\\a", what, type, texts::kDefaultFilter, recorder.Ask()).newText,
                std::nullopt);
    }
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].prompt, WrongTypePrompt(texts::kDefaultFilter));
  }
}

TEST(FileBrowserDrop, FolderPickerTakesAFolderOrAMissingPathAsItIs) {
  BoxRecorder recorder;
  for (const std::u16string_view dropped : {u"C:\\Games\\War3", u"C:\\Games\\gone"}) {
    EXPECT_EQ(DecideDrop(dropped, Dropped::kNoFile, kFileDialogFolder, u"", recorder.Ask()).newText,
              dropped);
  }
  EXPECT_TRUE(recorder.boxes.empty());
}

std::optional<std::u16string> DropFileOnFolderPicker(std::u16string_view dropped, int answer,
                                                     BoxRecorder& recorder,
                                                     Dropped what = Dropped::kOrdinaryFile) {
  recorder.answer = answer;
  return DecideDrop(dropped, what, kFileDialogFolder, texts::kDefaultFilter, recorder.Ask())
      .newText;
}

// A hidden or system file is a file all the same: the folder picker asks about its folder.
TEST(FileBrowserDrop, FolderPickerAsksAboutAHiddenOrSystemFileToo) {
  BoxRecorder recorder;
  EXPECT_EQ(DropFileOnFolderPicker(u"C:\\pagefile.sys", 6, recorder, Dropped::kHiddenFile), u"C:");
  EXPECT_EQ(DropFileOnFolderPicker(u"C:\\G\\h.ini", 7, recorder, Dropped::kHiddenFile), u"");
  EXPECT_EQ(recorder.boxes.size(), 2u);
}

TEST(FileBrowserDrop, FolderPickerAsksForAFilesFolder) {
  BoxRecorder recorder;
  EXPECT_EQ(DropFileOnFolderPicker(u"C:\\Games\\War3\\war3.exe", 6, recorder), u"C:\\Games\\War3");
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].prompt,
            u"注意:你选择的不是文件夹！\r\n你想选择这个文件所在的文件目录(Y/N)？");
  EXPECT_EQ(recorder.boxes[0].flags, 276u);
  EXPECT_EQ(recorder.boxes[0].title, u"提示! 待命状态...");
  for (const int notYes : {7, 2, 0}) {
    EXPECT_EQ(DropFileOnFolderPicker(u"C:\\Games\\War3\\war3.exe", notYes, recorder), u"");
  }
}

TEST(FileBrowserDrop, FolderPickerYesOnADriveRootOrAFolderlessName) {
  BoxRecorder recorder;
  EXPECT_EQ(DropFileOnFolderPicker(u"C:\\boot.ini", 6, recorder), u"C:");
  EXPECT_EQ(DropFileOnFolderPicker(u"C:\\", 6, recorder), u"C:");
  EXPECT_EQ(DropFileOnFolderPicker(u"war3.exe", 6, recorder), u"");
  EXPECT_EQ(DropFileOnFolderPicker(u"war3.exe", 7, recorder), u"");
  EXPECT_EQ(recorder.boxes.size(), 4u);
}

TEST(FileBrowserDrop, EffectIsCopyOnlyWhenTheSourceAllowsIt) {
  EXPECT_EQ(DropEffectFor(1), 1u);
  EXPECT_EQ(DropEffectFor(3), 1u);
  EXPECT_EQ(DropEffectFor(0x80000007u), 1u);
  EXPECT_EQ(DropEffectFor(2), 0u);
  EXPECT_EQ(DropEffectFor(0), 0u);
}

TEST(BrowsePicture, ImageSizeFollowsTheDpiWithoutScalingUp) {
  EXPECT_EQ(BrowsePictureSize(96), 16);
  EXPECT_EQ(BrowsePictureSize(120), 20);
  EXPECT_EQ(BrowsePictureSize(144), 24);
  EXPECT_EQ(BrowsePictureSize(192), 32);
  EXPECT_EQ(BrowsePictureSize(168), 24);  // 28 would be a 32 shrunk or a 24 grown
  EXPECT_EQ(BrowsePictureSize(119), 16);
  EXPECT_EQ(BrowsePictureSize(72), 16);
  EXPECT_EQ(BrowsePictureSize(288), 32);
}

auto Rect(const TwipsRect& r) { return std::tuple(r.left, r.top, r.width, r.height); }
auto Rect(float left, float top, float width, float height) {
  return std::tuple(left, top, width, height);
}

TEST(FileBrowserLayout, MainWindowInstanceAt96Dpi) {
  const PickerLayout layout = ComputeLayout(4365, 300, 15, 15, 240, 240);
  EXPECT_EQ(Rect(layout.browse), Rect(4125, 10, 240, 240));
  ASSERT_TRUE(layout.field && layout.frame);
  EXPECT_EQ(Rect(*layout.field), Rect(45, 45, 4000, 190));
  EXPECT_EQ(Rect(*layout.frame), Rect(0, 0, 4095, 290));
}

TEST(FileBrowserLayout, At120DpiThePixelOffsetsAreTwelveTwips) {
  const PickerLayout layout = ComputeLayout(4365, 300, 12, 12, 192, 192);
  EXPECT_EQ(Rect(layout.browse), Rect(4173, 10, 192, 192));
  ASSERT_TRUE(layout.field && layout.frame);
  EXPECT_EQ(Rect(*layout.field), Rect(42, 42, 4365 - (36 + 192) - 80, 190));
  EXPECT_EQ(Rect(*layout.frame), Rect(0, 0, 4143, 290));
}

TEST(FileBrowserLayout, NarrowControlSkipsMovesWithANegativeWidth) {
  const PickerLayout at300 = ComputeLayout(300, 300, 15, 15, 240, 240);
  EXPECT_EQ(Rect(at300.browse), Rect(60, 10, 240, 240));
  EXPECT_EQ(at300.field, std::nullopt);
  ASSERT_TRUE(at300.frame);
  EXPECT_EQ(Rect(*at300.frame), Rect(0, 0, 30, 290));

  // A width of exactly zero is still a valid move.
  EXPECT_EQ(ComputeLayout(365, 300, 15, 15, 240, 240).field->width, 0);
  EXPECT_EQ(ComputeLayout(364, 300, 15, 15, 240, 240).field, std::nullopt);
  EXPECT_EQ(ComputeLayout(270, 300, 15, 15, 240, 240).frame->width, 0);
  const PickerLayout at250 = ComputeLayout(250, 300, 15, 15, 240, 240);
  EXPECT_EQ(at250.frame, std::nullopt);
  EXPECT_EQ(at250.field, std::nullopt);
  EXPECT_EQ(at250.browse.left, 10);
}

TEST(FileBrowserLayout, NegativeHeightSkipsTheMoveToo) {
  const PickerLayout layout = ComputeLayout(4365, 100, 15, 15, 240, 240);
  EXPECT_EQ(layout.field, std::nullopt);
  ASSERT_TRUE(layout.frame);
  EXPECT_EQ(layout.frame->height, 90);
}

TEST(FileBrowserShortcut, OnlyAltAloneWithDown) {
  EXPECT_TRUE(IsBrowseShortcut(40, 4));
  for (const int shift : {0, 1, 2, 5, 6, 7}) EXPECT_FALSE(IsBrowseShortcut(40, shift)) << shift;
  for (const int key : {38, 41, 13}) EXPECT_FALSE(IsBrowseShortcut(key, 4)) << key;
}

}  // namespace
}  // namespace torvane::filebrowser
