// Files dragged onto the path field by a real drag source in another process: the
// system's DoDragDrop carries the drag across, asks the field's drop target for its
// feedback while the cursor rests there, and drops only where that feedback allowed it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/texts.h"
#include "runtime/win_handles.h"
#include "tests/win/picker_host.h"
#include "tests/win/ui_support.h"

namespace torvane {
namespace {

using testing::DialogDriver;
using testing::PickerHost;

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

std::wstring Quoted(const std::u16string& text) {
  return std::wstring(L"\"") + win::W(text) + L"\"";
}

// The helper program lies beside this test program.
std::wstring DragSourcePath() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.rfind(L'\\') + 1) + L"torvane_drag_source.exe";
}

class RealDrag : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host_.field()); }

  FileBrowser& picker() { return host_.picker(); }

  // Drags `what` (file names, or "--text" and a text) from another process onto the
  // middle of the field; this thread serves the drop and the boxes meanwhile. Returns the
  // effect the source was told. Whether Drop ran shows in the field and the boxes.
  DWORD Drag(DWORD allowed, const std::vector<std::u16string>& what) {
    RECT r{};
    ::GetWindowRect(host_.field(), &r);
    std::wstring command =
        L"\"" + DragSourcePath() + L"\" " + std::to_wstring((r.left + r.right) / 2) + L" " +
        std::to_wstring((r.top + r.bottom) / 2) + L" " + std::to_wstring(allowed);
    for (const auto& item : what) command += L" " + Quoted(item);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      ADD_FAILURE() << "cannot start the drag source: " << ::GetLastError();
      return DROPEFFECT_NONE;
    }
    win::UniqueFile processHandle(process.hProcess), thread(process.hThread);
    const bool ended = testing::PumpUntil(
        [&] { return ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
    EXPECT_TRUE(ended) << "the drag did not end";
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code & ~0x0Fu, 0x10u) << "the drag source failed";
    return code & 0x0F;
  }

  const std::vector<testing::SeenDialog>& shown() const { return boxes_.seen(); }

  testing::TempFolder temp_{u"torvane-drag"};
  PickerHost host_;
  int answer_ = IDOK;
  DialogDriver boxes_{{}, [this](HWND box) { return testing::Press(answer_)(box); }};
};

// The name's case does not matter: WAR3.EXE is the same file as war3.exe on Windows.
TEST_F(RealDrag, FileTheFilterHoldsIsTakenInAnyCaseAndCopyReported) {
  picker().SetFilter(texts::kWar3Filter);
  const std::u16string war3 = temp_.MakeFile(u"War3", u"war3.exe");
  EXPECT_EQ(Drag(kAnyEffect, {war3}), DROPEFFECT_COPY);
  EXPECT_EQ(picker().Text(), war3);
  const std::u16string upper = temp_.MakeFile(u"WAR3", u"WAR3.EXE");
  EXPECT_EQ(Drag(kAnyEffect, {upper}), DROPEFFECT_COPY);
  EXPECT_EQ(picker().Text(), upper);
  EXPECT_EQ(host_.changes(), 2);
  EXPECT_TRUE(shown().empty());
}

// The drop happens (the hover feedback lets it through), then the wrong-type box tells
// why the field kept its text; the source still hears copy. A browse dialog opened and
// cancelled in between changes nothing of it: the box quotes the whole filter again.
TEST_F(RealDrag, FileOfAnotherTypeGetsTheWrongTypeBoxBeforeAndAfterADialog) {
  picker().SetFilter(texts::kWar3Filter);
  host_.StartWith(u"kept");
  const std::u16string readme = temp_.MakeFile(u"a", u"readme.txt");
  EXPECT_EQ(Drag(kAnyEffect, {readme}), DROPEFFECT_COPY);
  {
    DialogDriver cancel({testing::Press(IDCANCEL)});
    host_.ClickBrowse();
    ASSERT_EQ(cancel.seen().size(), 1u);
  }
  EXPECT_EQ(Drag(kAnyEffect, {readme}), DROPEFFECT_COPY);
  const std::u16string wholeFilter =
      u"不能选择不适合的类型文件，或者文件夹 ！\r\n只能选择〖war3.exe | war3.exe〗这些类型的文件";
  ASSERT_EQ(shown().size(), 2u);
  for (const testing::SeenDialog& box : shown()) {
    EXPECT_EQ(box.title, u"提示");
    EXPECT_EQ(box.text, wholeFilter);
  }
  EXPECT_EQ(picker().Text(), u"kept");
  EXPECT_EQ(host_.changes(), 0);
}

TEST_F(RealDrag, FolderPickerAsksAboutAFileAndTakesItsFolderOnYes) {
  picker().SetFileDialogType(filebrowser::kFileDialogFolder);
  const std::u16string war3 = temp_.MakeFile(u"War3", u"war3.exe");
  answer_ = IDYES;
  EXPECT_EQ(Drag(kAnyEffect, {war3}), DROPEFFECT_COPY);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].title, u"提示! 待命状态...");
  EXPECT_EQ(picker().Text(), temp_.path() + u"War3");
}

TEST_F(RealDrag, OfSeveralFilesOnlyTheFirstCounts) {
  picker().SetFilter(texts::kWar3Filter);
  const std::u16string war3 = temp_.MakeFile(u"a", u"war3.exe");
  EXPECT_EQ(Drag(kAnyEffect, {war3, temp_.MakeFile(u"b", u"readme.txt"), temp_.path() + u"b"}),
            DROPEFFECT_COPY);
  EXPECT_EQ(picker().Text(), war3);
  EXPECT_TRUE(shown().empty());
}

// A source that allows only move: the drop must still happen and set the field, and the
// source learns that nothing was copied or moved.
TEST_F(RealDrag, SourceAllowingOnlyMoveDropsAndGetsNoEffect) {
  const std::u16string file = temp_.MakeFile(u"a", u"notes.txt");
  EXPECT_EQ(Drag(DROPEFFECT_MOVE, {file}), DROPEFFECT_NONE);
  EXPECT_EQ(picker().Text(), file);
  EXPECT_EQ(host_.changes(), 1);
}

TEST_F(RealDrag, TextIsNeverDropped) {
  host_.StartWith(u"kept");
  EXPECT_EQ(Drag(kAnyEffect, {u"--text", temp_.MakeFile(u"a", u"war3.exe")}), DROPEFFECT_NONE);
  EXPECT_EQ(picker().Text(), u"kept");
  EXPECT_TRUE(shown().empty());
}

}  // namespace
}  // namespace torvane
