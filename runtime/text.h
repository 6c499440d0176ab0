// Portable UTF-16 text helpers. Positions and lengths count UTF-16 units; every
// comparison is exact unless the name says otherwise.
#pragma once

#include <string>
#include <string_view>

namespace torvane {

// Lower-cases with the platform's invariant mapping on Windows (every script; CJK and
// anything without case kept as it is), with a simple table natively. The length never
// changes: positions stay valid.
std::u16string LowerCase(std::u16string_view text);

bool Contains(std::u16string_view text, std::u16string_view part);
// Every occurrence of `from`, scanning from the first character, without overlap.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to);

// The path up to and including its last backslash; empty when it holds none.
std::u16string FolderOf(std::u16string_view path);
// The part after the last backslash.
std::u16string NameOf(std::u16string_view path);
// The folder with exactly one trailing backslash (a drive root keeps its own).
std::u16string WithTrailingBackslash(std::u16string_view folder);

std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

}  // namespace torvane
