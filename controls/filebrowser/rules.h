// The path picker's rules that need no window: the filter's dialog form, the save dialog's expected
// ending, the drop decision, the browse shortcut and the layout arithmetic. Portable; the Win32
// control calls them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "forms/twips.h"

namespace torvane::filebrowser {

inline constexpr std::int32_t kFileDialogOpen = 0;
inline constexpr std::int32_t kFileDialogSave = 1;
inline constexpr std::int32_t kFileDialogFolder = 2;

// The form the file dialogs take of a filter text: one "|" appended unless it already
// ends in "|" (an empty text gets one), then every "|" turned into NUL. A copy: the
// filter the host set stays as it was, for the drop check, the wrong-type box and saving.
std::u16string FilterDialogForm(std::u16string_view filter);

// The save dialog's choice after the expected-ending rule, given the filter in its
// dialog form. `choice` is the dialog's result with its closing NUL, which the rule
// relies on: a choice whose ending no pattern of the filter matches gets the filter's
// text after its last "*" (the whole filter when it has none) in place of that NUL.
// An empty choice stays empty.
std::u16string ApplyExpectedEnding(std::u16string_view choice, std::u16string_view filter);

// Alt alone with the Down arrow runs the browse action.
bool IsBrowseShortcut(int keyCode, int shift);

// A message box the drop handler shows: prompt, the platform's flags, title.
struct BoxRequest {
  std::u16string prompt;
  std::uint32_t flags = 0;
  std::u16string title;
};

// What a drop does to the field: its new text, or nullopt when the field keeps its text.
struct DropOutcome {
  std::optional<std::u16string> newText;
};

// Decides a drop of `dropped` (the first name of the list). `isFile`: an ordinary file
// exists at that path. `ask` shows a box and returns the button pressed. The filter is
// searched as plain text, without regard to case (on Windows' file systems WAR3.EXE and
// war3.exe are one file). A folder picker given a file asks whether its folder is wanted:
// Yes gives the folder without its trailing backslash (empty for a name holding no
// backslash), any other answer empties the field. A refused file keeps the field's text.
DropOutcome DecideDrop(std::u16string_view dropped, bool isFile, std::int32_t fileDialogType,
                       std::u16string_view filter,
                       const std::function<int(const BoxRequest&)>& ask);

// The drop effect reported back to the source: copy when the source allowed it, else none.
std::uint32_t DropEffectFor(std::uint32_t allowedEffects);

// The side in pixels of the browse picture's image for a screen of `dpi` dots per inch:
// 16 at 96, 20 at 120, 24 at 144, 32 at 192 and above; between them the smaller image,
// shown at its own size rather than blurred by scaling.
int BrowsePictureSize(int dpi);

// Layout of the picker, in twips, from its inner size, the twips per pixel and the
// browse picture's size. A constituent whose width or height would be negative is not
// moved (nullopt): it keeps its previous place. The browse picture keeps its size.
using forms::TwipsRect;
struct PickerLayout {
  TwipsRect browse;
  std::optional<TwipsRect> field;
  std::optional<TwipsRect> frame;
};
inline constexpr float kPickerHeight = 300;
PickerLayout ComputeLayout(float scaleWidth, float scaleHeight, float twipsPerPixelX,
                           float twipsPerPixelY, float pictureWidth, float pictureHeight);

}  // namespace torvane::filebrowser
