// The path picker's rules that need no window: the filter's dialog form, the save dialog's expected
// ending, the drop decision, the browse shortcut and the layout arithmetic. Portable; the Win32
// control calls them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "forms/box_request.h"
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
// dialog form (descriptions and patterns alternating, each ending in NUL; a pattern field
// may hold several patterns separated by ";"). `choice` is the dialog's result with its
// closing NUL. A choice that ends, in any case, in what one of the filter's patterns
// holds after its "*" keeps its name; any other gets the last such pattern's ending
// appended. A filter without a "*" pattern appends nothing: its text is no ending. An
// empty choice stays empty.
std::u16string ApplyExpectedEnding(std::u16string_view choice, std::u16string_view filter);

// Alt alone with the Down arrow runs the browse action.
bool IsBrowseShortcut(int keyCode, int shift);

// What a drop does to the field: its new text, or nullopt when the field keeps its text.
struct DropOutcome {
  std::optional<std::u16string> newText;
};

// What stands at a dropped path.
enum class Dropped {
  kNoFile,        // a folder, or nothing at all
  kOrdinaryFile,  // a file that is neither hidden nor system
  kHiddenFile,    // a hidden or system file
};

// Decides a drop of `dropped` (the first name of the list). `ask` shows a box and returns
// the button pressed. A file picker takes ordinary files only, its filter searched as plain
// text without regard to case (on Windows' file systems WAR3.EXE and war3.exe are one
// file). A folder picker given a file of any kind asks whether its folder is wanted: Yes
// gives the folder without its trailing backslash (empty for a name holding no
// backslash), any other answer empties the field. A refused file keeps the field's text.
DropOutcome DecideDrop(std::u16string_view dropped, Dropped what, std::int32_t fileDialogType,
                       std::u16string_view filter,
                       const std::function<int(const forms::BoxRequest&)>& ask);

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
