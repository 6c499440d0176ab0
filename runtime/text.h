// Portable UTF-16 text helpers. Positions and lengths count UTF-16 units; every
// comparison is exact unless the name says otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

// The platform's line end, in message texts and on the console.
inline constexpr char16_t kCrLf[] = u"\r\n";

// Lower-cases with the platform's invariant mapping on Windows (every script; CJK and
// anything without case kept as it is), with a simple table natively. The length never
// changes: positions stay valid.
std::u16string LowerCase(std::u16string_view text);

// The platform's wildcard match of a file name: "*" any run, "?" one character, in any
// case; "*.*" also matches names without a dot.
bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name);

bool Contains(std::u16string_view text, std::u16string_view part);

// "D:\..." or "\\server\share\...": a path that does not hang on a current folder.
bool IsAbsolutePath(std::u16string_view path);

// The folder part of a path: everything up to and including its last backslash; empty
// when it holds none. Empty fields count like any other ("\\\\server" gives "\\\\"), and
// whatever follows the last backslash goes, a dialog's closing NUL included.
std::u16string FolderOf(std::u16string_view path);
// The folder of a running program given its module path, as App.Path has it: without a
// trailing backslash except at a drive root ("C:\\"), and without the "\\\\?\\" prefix of
// a long local path.
std::u16string AppFolderOf(std::u16string_view modulePath);
// The part after the last backslash.
std::u16string NameOf(std::u16string_view path);
// The folder with exactly one trailing backslash (a drive root keeps its own).
std::u16string WithTrailingBackslash(std::u16string_view folder);
// The folder as the platform names it: without its trailing backslash, except at a drive
// root ("C:\\" keeps its own).
std::u16string WithoutTrailingBackslash(std::u16string_view folder);

std::u16string FromUtf8(std::string_view utf8);
// A number in decimal digits.
std::u16string Decimal(std::uint64_t n);
std::string ToUtf8(std::u16string_view text);

}  // namespace torvane
