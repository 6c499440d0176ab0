// The folders a job or a restore acts in, held for as long as it runs: the game folder, its
// vTemp, "redist", the audio folder and that folder's vTemp, where they exist. Each is held
// as itself (a junction or symbolic link is opened, never followed) and without delete
// sharing, so that none can be renamed, removed or replaced by a link until the work ends.
// The work runs on this runtime, so that the folders it makes and removes stay held too.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "job/game_path.h"
#include "job/report.h"
#include "runtime/forwarding_runtime.h"

namespace torvane {

class HeldRoots : public ForwardingRuntime {
 public:
  // Holds the roots of `g`. A vTemp that is a link, or a game folder or vTemp that cannot
  // be held, is the report that stops the work. The game folder itself is the user's
  // choice and is held as it is, link or not.
  static Checked<std::unique_ptr<HeldRoots>> Hold(Runtime& rt, const GamePath& g);

  // The root folders (as in kRootFolders, and "redist\") that are links, or lie behind one:
  // nothing is acted on in them.
  const std::vector<std::u16string>& linked() const { return linked_; }

  // A root made while the work runs is held at once; one that cannot be held or turns out
  // to be a link is taken away again and reported as not made.
  Status MkDir(const std::u16string& path) override;
  // A held root is let go before it is removed. Removal never follows a link: one put in
  // its place in between is removed as itself.
  Status RmDir(const std::u16string& path) override;

 private:
  HeldRoots(Runtime& rt, const GamePath& g) : ForwardingRuntime(rt), g_(g) {}
  // Holds the root `sub` (relative to the game folder); false when it is a link.
  Result<bool> Take(const std::u16string& sub);
  // The root `path` names, relative to the game folder; nothing when it names none.
  std::optional<std::u16string> RootOf(const std::u16string& path) const;

  const GamePath& g_;
  std::map<std::u16string, std::unique_ptr<HeldFolder>> held_;  // by lower-cased root
  std::vector<std::u16string> linked_;
};

}  // namespace torvane
