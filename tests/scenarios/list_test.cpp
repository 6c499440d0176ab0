// Listing: the masks, a folder given with its trailing backslash, single names and what a
// listing carries besides the names. Runs on the in-memory file system and on real folders.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/disk.h"

namespace torvane::testing {
namespace {

class ListTest : public ::testing::Test {
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
  // Every name of one listing, sorted.
  std::vector<std::u16string> All(const std::u16string& pattern, std::uint32_t mask) {
    std::vector<std::u16string> names;
    const Result<std::vector<DirEntry>> listed = disk_->runtime().List(pattern, mask);
    for (const DirEntry& entry : listed.value()) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<Disk> disk_;
  std::u16string folder_;
};

using Names = std::vector<std::u16string>;

TEST_F(ListTest, MasksAdmitTheirKindsOfEntry) {
  EXPECT_EQ(All(folder_ + u"*.*", kDirOrdinary), (Names{u"plain.txt", u"readonly.txt"}));
  EXPECT_EQ(All(folder_ + u"*.*", kDirAllFiles),
            (Names{u"hidden.txt", u"plain.txt", u"readonly.txt", u"system.dat"}));
  EXPECT_EQ(All(folder_ + u"*.*", kDirWithFolders), (Names{u"plain.txt", u"readonly.txt", u"sub"}));
  EXPECT_EQ(All(folder_ + u"*.*", kDirEverything),
            (Names{u"hidden.txt", u"plain.txt", u"readonly.txt", u"sub", u"system.dat"}));
}

TEST_F(ListTest, TrailingBackslashListsTheFolder) {
  EXPECT_EQ(All(folder_, kDirOrdinary), (Names{u"plain.txt", u"readonly.txt"}));
}

TEST_F(ListTest, SingleNamesAndMissingPaths) {
  EXPECT_EQ(All(folder_ + u"PLAIN.TXT", kDirOrdinary), Names{u"plain.txt"});
  EXPECT_EQ(All(folder_ + u"hidden.txt", kDirOrdinary), Names{});
  EXPECT_EQ(All(folder_ + u"sub", kDirWithFolders), Names{u"sub"});
  EXPECT_EQ(All(folder_ + u"sub", kDirAllFiles), Names{});
  EXPECT_EQ(All(folder_ + u"nothing.txt", kDirOrdinary), Names{});
  EXPECT_EQ(All(folder_ + u"no folder\\x.txt", kDirOrdinary), Names{});
}

TEST_F(ListTest, EntriesCarryTheirAttributesAndSizes) {
  disk_->WriteFile(folder_ + u"ten.bin", "0123456789", kAttrReadOnly);
  const std::vector<DirEntry> entries = disk_->runtime().List(folder_ + u"ten.bin", 0).value();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 10u);
  EXPECT_EQ(entries[0].attributes & (kAttrReadOnly | kAttrHidden | kAttrFolder), kAttrReadOnly);
  const std::vector<DirEntry> sub =
      disk_->runtime().List(folder_ + u"sub", kDirWithFolders).value();
  ASSERT_EQ(sub.size(), 1u);
  EXPECT_NE(sub[0].attributes & kAttrFolder, 0u);
}

}  // namespace
}  // namespace torvane::testing
