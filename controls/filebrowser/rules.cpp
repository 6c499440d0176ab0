#include "controls/filebrowser/rules.h"

#include <algorithm>
#include <vector>

#include "resources/texts.h"
#include "runtime/runtime.h"
#include "runtime/text.h"

namespace torvane::filebrowser {
namespace {

constexpr char16_t kFieldSeparator = u'|';
constexpr char16_t kWildcard = u'*';
constexpr char16_t kPatternSeparator = u';';
constexpr int kVkDown = 40;
constexpr int kAltAlone = 4;
constexpr std::uint32_t kDropEffectCopy = 1;
constexpr std::uint32_t kNotAFolderFlags = kMbYesNo | kMbIconStop | kMbDefButton2;  // 276
constexpr std::uint32_t kWrongTypeFlags = kMbIconInformation;                       // 64

// The last `count` characters, or all of `text` when it is shorter.
std::u16string_view Right(std::u16string_view text, std::size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}

std::u16string_view TrimmedOfSpaces(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// The text before the first `separator` of `rest`, which then holds what follows it.
std::u16string_view TakeUntil(std::u16string_view& rest, char16_t separator) {
  const std::size_t end = rest.find(separator);
  const std::u16string_view taken = rest.substr(0, end);
  rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
  return taken;
}

// What the patterns of a filter in dialog form expect a name to end in, in the filter's
// order: each pattern holding a "*" expects what follows its last one ("*.txt" expects
// ".txt"; "*.*" and "*" expect nothing, which every name ends in). Descriptions and
// patterns without a "*" expect nothing of a name.
std::vector<std::u16string_view> PatternEndings(std::u16string_view filter) {
  std::vector<std::u16string_view> endings;
  for (std::size_t field = 0; !filter.empty(); ++field) {
    std::u16string_view patterns = TakeUntil(filter, u'\0');
    if (field % 2 == 0) continue;  // a description
    while (!patterns.empty()) {
      const std::u16string_view pattern = TrimmedOfSpaces(TakeUntil(patterns, kPatternSeparator));
      const std::size_t star = pattern.rfind(kWildcard);
      if (star != std::u16string_view::npos) endings.push_back(pattern.substr(star + 1));
    }
  }
  return endings;
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

DropOutcome DropOnFolderPicker(std::u16string_view dropped, Dropped what,
                               const std::function<int(const forms::BoxRequest&)>& ask) {
  if (what == Dropped::kNoFile) return {std::u16string(dropped)};
  const forms::BoxRequest box{texts::kMsgNotAFolder, kNotAFolderFlags, texts::kTitleStandby};
  if (ask(box) == kIdYes) return {FolderWithoutBackslash(dropped)};
  return {std::u16string()};
}

DropOutcome DropOnFilePicker(std::u16string_view dropped, Dropped what, std::u16string_view filter,
                             const std::function<int(const forms::BoxRequest&)>& ask) {
  if (what == Dropped::kOrdinaryFile && FilterAcceptsFile(dropped, filter)) {
    return {std::u16string(dropped)};
  }
  // The filter is quoted as the host set it, never in the dialogs' NUL-separated form,
  // which the box would show only up to its first NUL.
  std::u16string prompt = texts::kMsgWrongTypeHead;
  prompt.append(filter).append(texts::kMsgWrongTypeTail);
  ask(forms::BoxRequest{std::move(prompt), kWrongTypeFlags, texts::kTitleInfo});
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
  const std::vector<std::u16string_view> endings = PatternEndings(filter);
  std::u16string_view rest = choice;
  const std::u16string_view name = TakeUntil(rest, u'\0');
  const std::u16string lowerName = LowerCase(name);
  const auto nameHas = [&](std::u16string_view ending) {
    return lowerName.ends_with(LowerCase(ending));
  };
  if (endings.empty() || std::any_of(endings.begin(), endings.end(), nameHas)) {
    return std::u16string(choice);
  }
  std::u16string withEnding(name);
  withEnding.append(endings.back()).push_back(u'\0');
  return withEnding;
}

bool IsBrowseShortcut(int keyCode, int shift) { return keyCode == kVkDown && shift == kAltAlone; }

DropOutcome DecideDrop(std::u16string_view dropped, Dropped what, std::int32_t fileDialogType,
                       std::u16string_view filter,
                       const std::function<int(const forms::BoxRequest&)>& ask) {
  if (fileDialogType == kFileDialogFolder) return DropOnFolderPicker(dropped, what, ask);
  return DropOnFilePicker(dropped, what, filter, ask);
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
