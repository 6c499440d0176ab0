#include "job/safe_move.h"

#include <set>

#include "runtime/text.h"

namespace torvane {
namespace {

// More copies than anyone keeps; past it the move is refused rather than looping.
constexpr int kMaxCopyNumber = 9999;

// The copy is flushed before the source goes: a power cut after the delete must find
// the file whole on the other volume, whichever move it is (rule 13).
Status MoveAcrossVolumes(Runtime& rt, const std::u16string& from, const std::u16string& to) {
  const Result<CheckedCopy> copied = rt.CopyAndDigest(from, to);
  if (!copied.ok()) return copied.error();
  if (!copied.value().readBackSame) {
    SkipOnFailure(rt.Delete(to));
    return Error{ErrorKind::kReadBackDiffers, 0, {}};
  }
  Status removed = rt.Delete(from);
  // The original could not leave: take the copy back so the file exists once.
  if (!removed.ok()) SkipOnFailure(rt.Delete(to));
  return removed;
}

// The name as a copy number splits it: "readme" and ".txt"; a leading dot is no extension.
std::pair<std::u16string_view, std::u16string_view> StemAndExtension(std::u16string_view name) {
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos || dot == 0) return {name, {}};
  return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

std::u16string CopyName(std::u16string_view name, int n) {
  if (n <= 1) return std::u16string(name);
  const auto [stem, extension] = StemAndExtension(name);
  std::u16string out(stem);
  out += u" (";
  for (char c : std::to_string(n)) out.push_back(static_cast<char16_t>(c));
  out += u")";
  out += extension;
  return out;
}

Status EnsureFolder(Runtime& rt, const std::u16string& folder) {
  if (IsFolder(rt.GetAttr(folder))) return Status();
  Status made = rt.MkDir(folder);
  if (made.Is(ErrorKind::kAlreadyExists) && IsFolder(rt.GetAttr(folder))) return Status();
  return made;
}

Result<std::u16string> FirstFreeName(
    std::u16string_view name,
    const std::function<Result<bool>(const std::u16string& candidate)>& isFree) {
  for (int n = 1; n <= kMaxCopyNumber; ++n) {
    std::u16string candidate = CopyName(name, n);
    const Result<bool> free = isFree(candidate);
    if (!free.ok()) return free.error();
    if (free.value()) return candidate;
  }
  return Error{ErrorKind::kAlreadyExists, 183, Decimal(kMaxCopyNumber)};
}

Result<std::u16string> FreePathIn(Runtime& rt, const std::u16string& folder,
                                  std::u16string_view name) {
  // One listing of every name a copy could take ("stem*.ext"), not one look per number: a
  // folder full of copies costs one call (rule 12). Names the listing found by their short forms
  // only count as taken, which costs a number, never a file.
  const std::u16string prefix = folder + u"\\";
  const auto [stem, extension] = StemAndExtension(name);
  const Result<std::vector<DirEntry>> listed =
      rt.List(prefix + std::u16string(stem) + u"*" + std::u16string(extension), kDirEverything);
  if (!listed.ok()) return listed.error();
  std::set<std::u16string> taken;
  for (const DirEntry& entry : listed.value()) taken.insert(LowerCase(entry.name));
  const Result<std::u16string> free =
      FirstFreeName(name, [&](const std::u16string& candidate) -> Result<bool> {
        return !taken.count(LowerCase(candidate));
      });
  if (!free.ok()) return free;
  return prefix + free.value();
}

Status SafeMove(Runtime& rt, const std::u16string& from, const std::u16string& to,
                Durability durability) {
  Status moved =
      durability == Durability::kOnDisk ? rt.RenameWrittenThrough(from, to) : rt.Rename(from, to);
  if (moved.Is(ErrorKind::kNotSameDevice)) moved = MoveAcrossVolumes(rt, from, to);
  return moved;
}

}  // namespace torvane
