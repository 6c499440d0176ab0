#include "controls/filebrowser/rules.h"

#include <algorithm>

#include "resources/texts.h"
#include "runtime/runtime.h"
#include "runtime/text.h"

namespace torvane::filebrowser {
namespace {

constexpr char16_t kFieldSeparator = u'|';
constexpr char16_t kWildcard = u'*';
constexpr int kVkDown = 40;
constexpr int kAltAlone = 4;
constexpr std::uint32_t kDropEffectCopy = 1;
constexpr std::uint32_t kNotAFolderFlags = kMbYesNo | kMbIconStop | kMbDefButton2;  // 276
constexpr std::uint32_t kWrongTypeFlags = kMbIconInformation;                       // 64

// The last `count` characters, or all of `text` when it is shorter.
std::u16string_view Right(std::u16string_view text, std::size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}

// Three characters of the filter that the choice is expected to end in: those after the
// first character of the last match of the choice's last four, or the filter's first three.
std::u16string_view ExpectedEnding(std::u16string_view choice, std::u16string_view filter) {
  const std::size_t match = filter.rfind(Right(choice, 4));
  const std::size_t from = match == std::u16string_view::npos ? 0 : match + 1;
  return filter.substr(from, 3);
}

// What the save dialog's choice gets in place of its closing NUL: the filter after its last
// wildcard, which carries that pattern's extension and closing NUL; all of it without one.
std::u16string_view AfterLastWildcard(std::u16string_view filter) {
  const std::size_t star = filter.rfind(kWildcard);
  return star == std::u16string_view::npos ? filter : filter.substr(star + 1);
}

// The folder that holds a dropped file, without its trailing backslash. A name holding no
// backslash (the file manager never drops one) is a folder-less name: its folder is empty.
std::u16string FolderWithoutBackslash(std::u16string_view path) {
  std::u16string folder = FolderOf(path);
  if (!folder.empty()) folder.pop_back();
  return folder;
}

// The filter is searched as plain text: no field is split off and no wildcard interpreted.
// Both sides are lower-cased alike, so an ending matches in any case.
bool FilterAcceptsFile(std::u16string_view dropped, std::u16string_view filter) {
  const std::u16string lowerFilter = LowerCase(filter);
  return Contains(lowerFilter, u"*.*") || Contains(lowerFilter, LowerCase(Right(dropped, 4)));
}

DropOutcome DropOnFolderPicker(std::u16string_view dropped, bool isFile,
                               const std::function<int(const BoxRequest&)>& ask) {
  if (!isFile) return {std::u16string(dropped)};
  const BoxRequest box{texts::kMsgNotAFolder, kNotAFolderFlags, texts::kTitleStandby};
  if (ask(box) == kIdYes) return {FolderWithoutBackslash(dropped)};
  return {std::u16string()};
}

DropOutcome DropOnFilePicker(std::u16string_view dropped, bool isFile, std::u16string_view filter,
                             const std::function<int(const BoxRequest&)>& ask) {
  if (isFile && FilterAcceptsFile(dropped, filter)) return {std::u16string(dropped)};
  // The filter is quoted as the host set it, never in the dialogs' NUL-separated form,
  // which the box would show only up to its first NUL.
  std::u16string prompt = texts::kMsgWrongTypeHead;
  prompt.append(filter).append(texts::kMsgWrongTypeTail);
  ask(BoxRequest{std::move(prompt), kWrongTypeFlags, texts::kTitleInfo});
  return {};
}

}  // namespace

std::u16string FilterDialogForm(std::u16string_view filter) {
  std::u16string form(filter);
  if (form.empty() || form.back() != kFieldSeparator) form += kFieldSeparator;
  std::replace(form.begin(), form.end(), kFieldSeparator, u'\0');
  return form;
}

std::u16string ApplyExpectedEnding(std::u16string_view choice, std::u16string_view filter) {
  if (choice.empty()) return {};
  if (LowerCase(Right(choice, 3)) == LowerCase(ExpectedEnding(choice, filter))) {
    return std::u16string(choice);
  }
  std::u16string withEnding(choice.substr(0, choice.size() - 1));
  withEnding.append(AfterLastWildcard(filter));
  return withEnding;
}

bool IsBrowseShortcut(int keyCode, int shift) { return keyCode == kVkDown && shift == kAltAlone; }

DropOutcome DecideDrop(std::u16string_view dropped, bool isFile, std::int32_t fileDialogType,
                       std::u16string_view filter,
                       const std::function<int(const BoxRequest&)>& ask) {
  if (fileDialogType == kFileDialogFolder) return DropOnFolderPicker(dropped, isFile, ask);
  return DropOnFilePicker(dropped, isFile, filter, ask);
}

std::uint32_t DropEffectFor(std::uint32_t allowedEffects) {
  return allowedEffects & kDropEffectCopy;
}

int BrowsePictureSize(int dpi) {
  constexpr int kSizes[] = {32, 24, 20};  // the icon's images besides 16
  for (const int size : kSizes) {
    if (size * 96 <= 16 * dpi) return size;
  }
  return 16;
}

namespace {

// A move whose width or height is negative is refused; the constituent stays where it was.
std::optional<TwipsRect> Placeable(TwipsRect rect) {
  if (rect.width < 0 || rect.height < 0) return std::nullopt;
  return rect;
}

}  // namespace

PickerLayout ComputeLayout(float scaleWidth, float scaleHeight, float twipsPerPixelX,
                           float twipsPerPixelY, float pictureWidth, float pictureHeight) {
  PickerLayout layout;
  layout.browse = {scaleWidth - pictureWidth, 10, pictureWidth, pictureHeight};
  layout.field =
      Placeable({twipsPerPixelX + 30, twipsPerPixelY + 30,
                 scaleWidth - (3 * twipsPerPixelX + pictureWidth) - 80, scaleHeight - 110});
  layout.frame = Placeable({0, 0, scaleWidth - pictureWidth - 30, scaleHeight - 10});
  return layout;
}

}  // namespace torvane::filebrowser
