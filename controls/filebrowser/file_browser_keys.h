// The names of the picker's properties: what PropertyChanged reports and the keys its
// settings are stored under. Private to the control's own files.
#pragma once

namespace torvane::filebrowser::keys {

inline constexpr char16_t kBackColor[] = u"BackColor";
inline constexpr char16_t kForeColor[] = u"ForeColor";
inline constexpr char16_t kEnabled[] = u"Enabled";
inline constexpr char16_t kFont[] = u"Font";
inline constexpr char16_t kLocked[] = u"Locked";
inline constexpr char16_t kSelLength[] = u"SelLength";
inline constexpr char16_t kSelStart[] = u"SelStart";
inline constexpr char16_t kSelText[] = u"SelText";
inline constexpr char16_t kText[] = u"Text";
inline constexpr char16_t kFileDialogType[] = u"FileDialogType";
inline constexpr char16_t kFilter[] = u"Filter";
inline constexpr char16_t kInitDir[] = u"InitDir";
inline constexpr char16_t kTitle[] = u"Title";

}  // namespace torvane::filebrowser::keys
