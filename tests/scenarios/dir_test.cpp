// Listing with Dir: the masks, the continuation call and a folder given with its
// trailing backslash. Runs on the in-memory file system and on real folders.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/disk.h"

namespace torvane::testing {
namespace {

class DirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    folder_ = disk_->root() + u"list\\";
    disk_->WriteFile(folder_ + u"plain.txt", "p");
    disk_->WriteFile(folder_ + u"readonly.txt", "r", kAttrReadOnly);
    disk_->WriteFile(folder_ + u"hidden.txt", "h", kAttrHidden);
    disk_->WriteFile(folder_ + u"system.dat", "s", kAttrSystem);
    disk_->MakeFolder(folder_ + u"sub");
  }
  // Every name of one listing, sorted, gathered through the continuation call.
  std::vector<std::u16string> All(const std::u16string& pattern, std::uint32_t mask) {
    Runtime& rt = disk_->runtime();
    std::vector<std::u16string> names;
    for (Result<std::u16string> n = rt.Dir(pattern, mask); n.ok() && !n.value().empty();
         n = rt.DirNext()) {
      if (n.value() != u"." && n.value() != u"..") names.push_back(n.value());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<Disk> disk_;
  std::u16string folder_;
};

using Names = std::vector<std::u16string>;

TEST_F(DirTest, MasksAdmitTheirKindsOfEntry) {
  EXPECT_EQ(All(folder_ + u"*.*", kDirOrdinary), (Names{u"plain.txt", u"readonly.txt"}));
  EXPECT_EQ(All(folder_ + u"*.*", kDirAllFiles),
            (Names{u"hidden.txt", u"plain.txt", u"readonly.txt", u"system.dat"}));
  EXPECT_EQ(All(folder_ + u"*.*", kDirWithFolders), (Names{u"plain.txt", u"readonly.txt", u"sub"}));
}

TEST_F(DirTest, TrailingBackslashListsTheFolder) {
  EXPECT_EQ(All(folder_, kDirOrdinary), (Names{u"plain.txt", u"readonly.txt"}));
}

TEST_F(DirTest, SingleNamesAndMissingPaths) {
  Runtime& rt = disk_->runtime();
  EXPECT_EQ(rt.Dir(folder_ + u"PLAIN.TXT", kDirOrdinary).value_or(u"?"), u"plain.txt");
  EXPECT_EQ(rt.Dir(folder_ + u"hidden.txt", kDirOrdinary).value_or(u"?"), u"");
  EXPECT_EQ(rt.Dir(folder_ + u"sub", kDirWithFolders).value_or(u"?"), u"sub");
  EXPECT_EQ(rt.Dir(folder_ + u"sub", kDirAllFiles).value_or(u"?"), u"");
  EXPECT_EQ(rt.Dir(folder_ + u"nothing.txt", kDirOrdinary).value_or(u"?"), u"");
  EXPECT_EQ(rt.Dir(folder_ + u"no folder\\x.txt", kDirOrdinary).value_or(u"?"), u"");
  EXPECT_EQ(rt.Dir(folder_ + u"*.txt", kDirOrdinary).value_or(u"?").size(), 9u);
}

TEST_F(DirTest, ListingEndsWithAnEmptyName) {
  Runtime& rt = disk_->runtime();
  EXPECT_EQ(rt.Dir(folder_ + u"plain.txt", kDirOrdinary).value_or(u"?"), u"plain.txt");
  EXPECT_EQ(rt.DirNext().value_or(u"?"), u"");
}

}  // namespace
}  // namespace torvane::testing
