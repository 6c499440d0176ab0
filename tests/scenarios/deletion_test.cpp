// The one way recovery, restore and undo delete a file: with a proof that holds when the
// delete is made, whatever the caller looked at before; any other delete step is refused.
// Runs on the in-memory file system and on real folders.
#include <gtest/gtest.h>

#include "job/steps.h"
#include "runtime/sha256.h"
#include "runtime/text.h"
#include "tests/support/disk.h"

namespace torvane::testing {
namespace {

class ProvenDeletion : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    folder_ = disk_->root() + u"g\\";
    disk_->MakeFolder(folder_);
    Result<std::unique_ptr<Journal>> created =
        Journal::Create(disk_->runtime(), folder_ + u"journal.txt");
    ASSERT_TRUE(created.ok());
    journal_ = std::move(created.value());
  }
  // Deletes `path` with `proof`, announced as reversing step 7; whether it was deleted.
  bool Delete(const std::u16string& path, const Proof& proof) {
    const Result<Deletion> deleted = DeleteWithProof(disk_->runtime(), *journal_, path, proof, 7);
    EXPECT_TRUE(deleted.ok());
    return deleted.ok() && deleted.value().done();
  }
  std::size_t DeleteLines() {
    const std::string text = *disk_->ReadFile(journal_->path());
    std::size_t lines = 0;
    for (std::size_t at = text.find("\tdelete\t"); at != std::string::npos;
         at = text.find("\tdelete\t", at + 1)) {
      ++lines;
    }
    return lines;
  }

  std::unique_ptr<Disk> disk_;
  std::u16string folder_;
  std::unique_ptr<Journal> journal_;
};

TEST_F(ProvenDeletion, AFileGoesOnlyWithATwinOfItsRecordedBytesOrAsTheToolsOwnHalfMadeCopy) {
  const std::u16string placed = folder_ + u"game.dll";
  const std::u16string staged = folder_ + u"game.dll.torvane-new";
  const std::u16string source = folder_ + u"source.dll";
  disk_->WriteFile(placed, "new bytes");
  disk_->WriteFile(staged, "new");
  disk_->WriteFile(source, "old bytes");
  const FileDigest recorded{9, Sha256Hex("new bytes")};

  Step plain = MakeStep(StepKind::kDelete, placed);
  EXPECT_FALSE(Execute(disk_->runtime(), *journal_, plain).ok()) << "a delete without proof";
  EXPECT_FALSE(Delete(placed, Twin{recorded, source})) << "a twin of other bytes";
  EXPECT_FALSE(Delete(placed, Twin{recorded, folder_ + u"none.dll"})) << "no twin";
  EXPECT_FALSE(Delete(placed, Twin{recorded, folder_ + u"GAME.DLL"})) << "itself as its twin";
  EXPECT_FALSE(Delete(placed, Twin{{9, {}}, placed})) << "nothing recorded";
  EXPECT_FALSE(Delete(placed, OwnPartialCopy{source, 9})) << "not the tool's temporary name";
  EXPECT_FALSE(Delete(staged, OwnPartialCopy{source, 9})) << "not its source's first bytes";
  EXPECT_FALSE(Delete(staged, OwnPartialCopy{folder_ + u"GAME.DLL.TORVANE-NEW", 9}))
      << "its own source";
  EXPECT_EQ(disk_->ReadFile(placed), "new bytes");
  EXPECT_EQ(disk_->ReadFile(staged), "new");
  EXPECT_EQ(DeleteLines(), 1u) << "only the refused step was announced";

  disk_->WriteFile(folder_ + u"twin.dll", "new bytes");
  EXPECT_TRUE(Delete(placed, Twin{recorded, folder_ + u"twin.dll"}));
  EXPECT_TRUE(Delete(staged, OwnPartialCopy{folder_ + u"twin.dll", 9}));
  EXPECT_FALSE(disk_->ReadFile(placed));
  EXPECT_FALSE(disk_->ReadFile(staged));
  const std::string text = *disk_->ReadFile(journal_->path());
  for (const std::u16string& gone : {placed, staged}) {
    EXPECT_NE(text.find("\tdelete\t" + ToUtf8(gone) + "\tsize=9\tattr=0x0\tundoes=7\n"),
              std::string::npos)
        << text;
  }
}

// A copy the tool made keeps the read-only bit of its source; it is deleted all the same.
TEST_F(ProvenDeletion, AProvenFileThatIsReadOnlyGoesToo) {
  disk_->WriteFile(folder_ + u"game.dll", "new bytes", kAttrReadOnly);
  disk_->WriteFile(folder_ + u"twin.dll", "new bytes", kAttrReadOnly);
  EXPECT_TRUE(
      Delete(folder_ + u"game.dll", Twin{{9, Sha256Hex("new bytes")}, folder_ + u"twin.dll"}));
  EXPECT_FALSE(disk_->ReadFile(folder_ + u"game.dll"));
  EXPECT_EQ(disk_->ReadFile(folder_ + u"twin.dll"), "new bytes");
}

}  // namespace
}  // namespace torvane::testing
