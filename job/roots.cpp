#include "job/roots.h"

#include <algorithm>

#include "job/confinement.h"
#include "job/game_layout.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// Every folder held, outermost first: a link found on the way hides what lies below it.
std::vector<std::u16string> HeldFolders() {
  std::vector<std::u16string> folders(std::begin(kRootFolders), std::end(kRootFolders));
  folders.insert(folders.begin() + 2, std::u16string(kRedistFolder));
  return folders;
}

}  // namespace

// rule 9
Checked<std::unique_ptr<HeldRoots>> HeldRoots::Hold(Runtime& rt, const GamePath& g) {
  std::unique_ptr<HeldRoots> roots(new HeldRoots(rt, g));
  for (const std::u16string& sub : HeldFolders()) {
    const bool behindLink =
        std::any_of(roots->linked_.begin(), roots->linked_.end(),
                    [&](const std::u16string& link) { return sub.starts_with(link); });
    if (behindLink) {
      roots->linked_.push_back(sub);
      continue;
    }
    const Result<bool> taken = roots->Take(sub);
    const std::u16string path = WithoutTrailingBackslash(g.folder + sub);
    const bool required = sub.empty() || sub == kVTempFolder;
    if (!taken.ok() && required) return Report(Finding::kNoLock, path, taken.error());
    if (taken.ok() && !taken.value() && sub == kVTempFolder) {
      return Report(Finding::kLinkedVTemp, path);
    }
  }
  return roots;
}

Result<bool> HeldRoots::Take(const std::u16string& sub) {
  Result<std::unique_ptr<HeldFolder>> hold =
      inner().HoldFolder(WithoutTrailingBackslash(g_.folder + sub));
  // Not there: nothing to hold, and nothing there to act on either.
  if (hold.Is(ErrorKind::kNotFound)) return true;
  if (!hold.ok()) return hold.error();
  const std::uint32_t attributes = hold.value()->attributes();
  if (!sub.empty() && (attributes & kAttrReparsePoint) != 0) {
    linked_.push_back(sub);
    return false;
  }
  // A file where a folder belongs holds nothing the work could enter.
  if ((attributes & kAttrFolder) != 0) held_[LowerCase(sub)] = std::move(hold.value());
  return true;
}

std::optional<std::u16string> HeldRoots::RootOf(const std::u16string& path) const {
  const std::u16string folder = LowerCase(WithTrailingBackslash(path));
  const std::u16string game = LowerCase(g_.folder);
  if (!folder.starts_with(game)) return std::nullopt;
  const std::u16string sub = folder.substr(game.size());
  for (const std::u16string& root : HeldFolders()) {
    if (LowerCase(root) == sub) return root;
  }
  return std::nullopt;
}

Status HeldRoots::MkDir(const std::u16string& path) {
  const Status made = inner().MkDir(path);
  const std::optional<std::u16string> root = RootOf(path);
  if (!made.ok() || !root) return made;
  const Result<bool> taken = Take(*root);
  if (taken.ok() && taken.value()) return made;
  // Not held, so not to be used: taken away again (a link put there in between goes as
  // itself), and the folder counts as not made.
  SkipOnFailure(inner().RmDir(path));
  if (!taken.ok()) return taken.error();
  return Error{ErrorKind::kLink, 0, {}};
}

Status HeldRoots::RmDir(const std::u16string& path) {
  if (const std::optional<std::u16string> root = RootOf(path)) held_.erase(LowerCase(*root));
  return inner().RmDir(path);
}

}  // namespace torvane
