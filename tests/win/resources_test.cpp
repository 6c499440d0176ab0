// What torvane.rc puts into every Windows program: icons and a cursor that load the way the
// window and the picker ask for them, version texts that survive the resource compiler's
// code page, and a manifest that the loader actually applies.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "runtime/win_handles.h"
#include "torvane_version.h"

namespace torvane {
namespace {

struct IconImage {
  int width;
  int height;
  int bits;
  bool operator==(const IconImage&) const = default;
};

void PrintTo(const IconImage& i, std::ostream* os) {
  *os << i.width << "x" << i.height << "@" << i.bits;
}

#pragma pack(push, 2)
struct GroupIconEntry {  // GRPICONDIRENTRY, which no Windows header declares
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// The images that an icon group lists, in the order the .ico file holds them.
std::vector<IconImage> IconGroup(int id) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  if (!found) return {};
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  WORD count = *reinterpret_cast<const WORD*>(data + 4);
  auto* entries = reinterpret_cast<const GroupIconEntry*>(data + 6);
  std::vector<IconImage> images;
  for (WORD i = 0; i < count; ++i) {
    // A size of 256 does not fit the entry's byte and is stored as 0.
    auto side = [](BYTE stored) { return stored == 0 ? 256 : int{stored}; };
    images.push_back({side(entries[i].width), side(entries[i].height), entries[i].bits});
  }
  return images;
}

std::u16string VersionText(const wchar_t* key) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, block.data())) return u"(none)";
  std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + key;
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) {
    return u"(none)";
  }
  return win::U(text);
}

// The size of the icon loaded at `size`; {0, 0} when it does not load (a damaged image,
// or a PNG-compressed one the system cannot read).
SIZE LoadedSize(int id, int size) {
  win::UniqueIcon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
  if (!icon) return {};
  ICONINFO info{};
  if (!GetIconInfo(icon.get(), &info)) return {};
  win::UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAP bm{};
  GetObjectW(colour.get(), sizeof bm, &bm);
  return {bm.bmWidth, bm.bmHeight};
}

std::vector<IconImage> TrueColour(std::initializer_list<int> sizes) {
  std::vector<IconImage> images;
  for (int size : sizes) images.push_back({size, size, 32});
  return images;
}

// Title bar and taskbar at every common DPI, the file manager's large views.
TEST(Resources, ProgramIconHasAnImageForEveryShellSize) {
  EXPECT_EQ(IconGroup(IDI_TORVANE), TrueColour({16, 20, 24, 32, 48, 256}));
  for (int size : {16, 20, 24, 32, 48, 256}) {
    const SIZE loaded = LoadedSize(IDI_TORVANE, size);
    EXPECT_EQ(loaded.cx, size);
    EXPECT_EQ(loaded.cy, size);
  }
}

// The browse picture at 96, 120, 144 and 192 dots per inch.
TEST(Resources, FolderIconHasAnImageForEachPickerDpi) {
  EXPECT_EQ(IconGroup(IDI_FOLDER_OPEN), TrueColour({16, 20, 24, 32}));
  for (int size : {16, 20, 24, 32}) {
    const SIZE loaded = LoadedSize(IDI_FOLDER_OPEN, size);
    EXPECT_EQ(loaded.cx, size);
    EXPECT_EQ(loaded.cy, size);
  }
}

// The hot spot must lie on the drawn fingertip, not on a transparent pixel beside it.
TEST(Resources, HandCursorClicksWithTheFingertip) {
  win::UniqueCursor cursor(static_cast<HCURSOR>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_POINT), IMAGE_CURSOR, 32, 32, 0)));
  ASSERT_TRUE(cursor);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor.get(), &info));
  win::UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 4u);
  EXPECT_EQ(info.yHotspot, 0u);

  win::UniqueDc dc(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(dc.get(), mask.get());
  // In the AND mask black keeps the cursor's pixel and white lets the screen through.
  EXPECT_EQ(GetPixel(dc.get(), 4, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(255, 255, 255));
  SelectObject(dc.get(), old);
}

TEST(Resources, VersionTextsReadBackInChinese) {
  EXPECT_EQ(VersionText(L"FileDescription"), u"" TORVANE_FILE_DESCRIPTION);
  EXPECT_EQ(VersionText(L"ProductName"), u"Torvane");
  EXPECT_EQ(VersionText(L"FileVersion"), u"" TORVANE_VERSION_STRING);
}

TEST(Resources, ManifestIsApplied) {
  EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
            DPI_AWARENESS_PER_MONITOR_AWARE);

  // Common Controls 6 comes from the side-by-side store, version 5 from the system folder.
  InitCommonControls();
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  EXPECT_NE(lower.find(L"microsoft.windows.common-controls"), std::wstring::npos) << lower;
}

}  // namespace
}  // namespace torvane
