// The version set's copy: what it copied and its digest, taken as the bytes go by, the
// copy read back, and what a copy that cannot be made leaves, alone and among others; and
// the set's rename written through, which never replaces either. Runs on the in-memory
// file system and on real folders (written and read back in pieces on a second thread).
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "runtime/sha256.h"
#include "runtime/text.h"
#include "tests/support/disk.h"

namespace torvane::testing {
namespace {

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    folder_ = disk_->root() + u"copy\\";
    disk_->MakeFolder(folder_);
  }
  std::unique_ptr<Disk> disk_;
  std::u16string folder_;
};

// Several pieces and a part of one, so that the pieces' order and edges count.
std::string Bytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + (i >> 12));
  return bytes;
}

TEST_F(CopyTest, TheCopyHoldsTheSourceAndItsDigestIsTheSources) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, (std::size_t{9} << 19) + 77}) {
    const std::string bytes = Bytes(size);
    const std::u16string source = folder_ + u"source.mpq";
    const std::u16string copy = folder_ + u"copy.mpq";
    disk_->WriteFile(source, bytes, kAttrReadOnly);
    const Result<CheckedCopy> copied = disk_->runtime().CopyAndDigest(source, copy);
    ASSERT_TRUE(copied.ok()) << size;
    EXPECT_TRUE(copied.value().readBackSame);
    EXPECT_EQ(copied.value().read, (FileDigest{size, Sha256Hex(bytes)}));
    EXPECT_EQ(disk_->ReadFile(copy), bytes);
    EXPECT_EQ(disk_->Attributes(copy), kAttrReadOnly);  // as CopyFileW keeps them
    for (const std::u16string& path : {source, copy}) {
      SkipOnFailure(disk_->runtime().SetAttr(path, kAttrNormal));
      disk_->Remove(path);
    }
  }
}

TEST_F(CopyTest, AnExistingDestinationIsKeptAndAMissingSourceLeavesNothing) {
  disk_->WriteFile(folder_ + u"source.dll", "new");
  disk_->WriteFile(folder_ + u"taken.dll", "user's");
  const Result<CheckedCopy> taken =
      disk_->runtime().CopyAndDigest(folder_ + u"source.dll", folder_ + u"taken.dll");
  EXPECT_TRUE(taken.Is(ErrorKind::kAlreadyExists));
  EXPECT_EQ(disk_->ReadFile(folder_ + u"taken.dll"), "user's");

  const Result<CheckedCopy> missing =
      disk_->runtime().CopyAndDigest(folder_ + u"gone.dll", folder_ + u"new.dll");
  EXPECT_TRUE(missing.Is(ErrorKind::kNotFound));
  EXPECT_EQ(disk_->List(folder_), (std::vector<std::u16string>{u"source.dll", u"taken.dll"}));
}

// Made together (on Windows each on threads of its own): every copy is its own source's,
// read and flushed as if made alone, and a copy that cannot be made takes none of the
// others down, nor anything of what stood in its way.
TEST_F(CopyTest, CopiesMadeTogetherEachHoldTheirOwnSourceAndOneFailingStopsNoOther) {
  const std::size_t sizes[] = {(std::size_t{9} << 19) + 77, 3, (std::size_t{1} << 18) + 1};
  std::vector<CopyOrder> orders;
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    const std::u16string name = u"source" + Decimal(i) + u".dll";
    disk_->WriteFile(folder_ + name, Bytes(sizes[i]).substr(i));
    orders.push_back({folder_ + name, folder_ + name + u".torvane-new"});
  }
  disk_->WriteFile(folder_ + u"taken.dll", "user's");
  orders.insert(orders.begin() + 1, {folder_ + u"source0.dll", folder_ + u"taken.dll"});
  orders.push_back({folder_ + u"gone.dll", folder_ + u"gone.dll.torvane-new"});

  const std::vector<Result<CheckedCopy>> copied = disk_->runtime().CopyAndDigestAll(orders);
  ASSERT_EQ(copied.size(), orders.size());
  EXPECT_TRUE(copied[1].Is(ErrorKind::kAlreadyExists));
  EXPECT_EQ(disk_->ReadFile(folder_ + u"taken.dll"), "user's");
  EXPECT_TRUE(copied.back().Is(ErrorKind::kNotFound));
  EXPECT_FALSE(disk_->ReadFile(folder_ + u"gone.dll.torvane-new"));
  for (const std::size_t i : {std::size_t{0}, std::size_t{2}, std::size_t{3}}) {
    const std::string bytes = *disk_->ReadFile(orders[i].source);
    ASSERT_TRUE(copied[i].ok()) << i;
    EXPECT_TRUE(copied[i].value().readBackSame);
    EXPECT_EQ(copied[i].value().read, (FileDigest{bytes.size(), Sha256Hex(bytes)})) << i;
    EXPECT_EQ(disk_->ReadFile(orders[i].destination), bytes) << i;
  }
}

TEST_F(CopyTest, ARenameWrittenThroughMovesIntoAFolderAndNeverReplaces) {
  disk_->MakeFolder(folder_ + u"vTemp");
  disk_->WriteFile(folder_ + u"Game.dll", "original");
  disk_->WriteFile(folder_ + u"game.dll.torvane-new", "replacement");
  Runtime& rt = disk_->runtime();
  EXPECT_TRUE(rt.RenameWrittenThrough(folder_ + u"game.dll.torvane-new", folder_ + u"Game.dll")
                  .Is(ErrorKind::kAlreadyExists));
  ASSERT_TRUE(rt.RenameWrittenThrough(folder_ + u"Game.dll", folder_ + u"vTemp\\Game.dll").ok());
  ASSERT_TRUE(
      rt.RenameWrittenThrough(folder_ + u"game.dll.torvane-new", folder_ + u"game.dll").ok());
  EXPECT_EQ(disk_->ReadFile(folder_ + u"vTemp\\Game.dll"), "original");
  EXPECT_EQ(disk_->ReadFile(folder_ + u"game.dll"), "replacement");
}

}  // namespace
}  // namespace torvane::testing
