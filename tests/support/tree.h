// Everything below a folder of a Disk, to compare a folder before and after a command:
// each file's path, bytes and attributes; each folder's path and attributes.
#pragma once

#include <map>
#include <string>

#include "runtime/text.h"
#include "tests/support/disk.h"

namespace torvane::testing {

// `skipJournals` leaves the job's journals out (a restore gives back everything else).
inline std::map<std::u16string, std::string> Tree(const Disk& disk, const std::u16string& folder,
                                                  bool skipJournals = false) {
  std::map<std::u16string, std::string> tree;
  for (const std::u16string& name : disk.List(folder)) {
    if (skipJournals && name.rfind(u"torvane-journal-", 0) == 0) continue;
    const std::u16string path = folder + name;
    const std::string attributes =
        " [" + std::to_string(disk.Attributes(path).value_or(0xFFFF)) + "]";
    if (const std::optional<std::string> bytes = disk.ReadFile(path)) {
      tree[path] = *bytes + attributes;
    } else {
      tree[path + u"\\"] = "folder" + attributes;
      tree.merge(Tree(disk, path + u"\\", skipJournals));
    }
  }
  return tree;
}

}  // namespace torvane::testing
