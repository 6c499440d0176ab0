// torvane-cli.exe run as a script runs it: a child process with its output in a pipe,
// against real game folders, checking what it prints, its exit code and the folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "resources/texts.h"
#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "tests/support/disk.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"
#include "tests/win/cli_child.h"
#include "tests/win/registered_game.h"

namespace torvane::testing {
namespace {

class CliProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
    disk_->WriteFile(g_.Game(u"hidden.cfg"), "h", kAttrHidden);
    disk_->WriteFile(g_.Game(u"system.bin"), "s", kAttrSystem | kAttrHidden);
    disk_->WriteFile(g_.Game(u"locked.ini"), "r", kAttrReadOnly);
    disk_->WriteFile(g_.Game(u"存档 说明.txt"), "中文");
    // The program sits in the tool folder, beside its patch folder.
    exe_ = g_.tool + u"\\torvane-cli.exe";
    ASSERT_TRUE(::CopyFileW(win::W(WineName(TORVANE_CLI_EXE)), win::W(exe_), FALSE));
  }

  ChildRun Run(std::vector<std::u16string> args) {
    run_ = RunChild(exe_, args);
    return run_;
  }
  bool Said(const std::u16string& text) const { return Contains(FromUtf8(run_.output), text); }
  std::map<std::u16string, std::string> Tree(bool skipJournals = false) {
    return testing::Tree(*disk_, g_.game, skipJournals);
  }
  // The tree after a restore: what the jobs left besides the journals is vTemp itself.
  std::map<std::u16string, std::string> RestoredTree() {
    auto tree = Tree(true);
    tree.erase(g_.Game(u"vTemp\\"));
    return tree;
  }

  std::unique_ptr<Disk> disk_;
  GameFolder g_;
  std::u16string exe_;
  ChildRun run_;
};

TEST_F(CliProgram, HelpAndUsageMistakes) {
  EXPECT_EQ(Run({u"--help"}).exitCode, 0u);
  EXPECT_TRUE(Said(u"--patch-dir")) << run_.output;
  EXPECT_TRUE(Said(u"退出代码")) << run_.output;
  EXPECT_NE(run_.output.find("\r\n"), std::string::npos);

  EXPECT_EQ(Run({}).exitCode, 3u);
  EXPECT_TRUE(Said(texts::kCliNoCommand)) << run_.output;
  EXPECT_EQ(Run({u"patch", g_.exe, u"--fast"}).exitCode, 3u);
  EXPECT_EQ(Run({u"--json", u"patch"}).exitCode, 3u);
  EXPECT_EQ(run_.output.rfind("{\"step\":\"usage\"", 0), 0u) << run_.output;
}

TEST_F(CliProgram, PatchThenRestoreGivesBackTheStartingTree) {
  const auto start = Tree();
  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause"}).exitCode, 0u) << run_.output;
  EXPECT_TRUE(Said(texts::kMsgDone)) << run_.output;
  EXPECT_TRUE(Said(texts::kCliStageTidying));
  for (const auto& [name, content] : g_.patch) EXPECT_EQ(disk_->ReadFile(g_.Game(name)), content);
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\存档 说明.txt")), "中文");

  ASSERT_EQ(Run({u"restore", g_.exe}).exitCode, 0u) << run_.output;
  EXPECT_TRUE(Said(texts::kCliAnsweredYes));
  EXPECT_TRUE(Said(texts::kMsgRestored)) << run_.output;
  EXPECT_EQ(RestoredTree(), start);

  EXPECT_EQ(Run({u"restore", g_.exe}).exitCode, 1u);
  EXPECT_TRUE(Said(texts::kMsgNothingToRestore)) << run_.output;
}

TEST_F(CliProgram, DryRunLeavesEveryByteNameAndAttribute) {
  const auto start = Tree();
  ASSERT_EQ(Run({u"patch", u"--dry-run", g_.exe}).exitCode, 0u) << run_.output;
  EXPECT_TRUE(Said(u"would move " + LowerCase(g_.Game(u"存档 说明.txt")) + u" -> ")) << run_.output;
  EXPECT_TRUE(Said(u"would create-folder " + LowerCase(g_.game) + u"vTemp")) << run_.output;
  EXPECT_TRUE(Said(texts::kMsgDone));
  EXPECT_EQ(Tree(), start);
  EXPECT_FALSE(disk_->Attributes(g_.Game(u"vTemp")));

  ASSERT_EQ(Run({u"patch", u"--no-pause", g_.exe}).exitCode, 0u) << run_.output;
  disk_->WriteFile(g_.Game(u"new.txt"), "n");
  ASSERT_EQ(Run({u"patch", u"--no-pause", g_.exe}).exitCode, 0u) << run_.output;
  const auto patched = Tree();
  for (const auto& args : std::vector<std::vector<std::u16string>>{
           {u"restore", u"--dry-run", g_.exe}, {u"restore", u"--all", u"--dry-run", g_.exe}}) {
    EXPECT_EQ(Run(args).exitCode, 0u) << run_.output;
    EXPECT_TRUE(Said(u"would move " + LowerCase(g_.game) + u"vTemp\\new.txt -> ")) << run_.output;
    EXPECT_EQ(Tree(), patched);
  }
  EXPECT_TRUE(Said(u"would move " + LowerCase(g_.game) + u"vTemp\\存档 说明.txt -> "));
}

TEST_F(CliProgram, JsonLinesAndQuiet) {
  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--json"}).exitCode, 0u) << run_.output;
  size_t lines = 0;
  for (size_t start = 0, end; start < run_.output.size(); start = end + 2, ++lines) {
    end = run_.output.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
    const std::string line = run_.output.substr(start, end - start);
    EXPECT_EQ(line.rfind("{\"step\":\"", 0), 0u) << line;
    EXPECT_EQ(line.back(), '}') << line;
    EXPECT_EQ(ToUtf8(FromUtf8(line)), line) << "valid UTF-8";
  }
  EXPECT_GT(lines, 5u);
  EXPECT_NE(run_.output.find("\"step\":\"exit\""), std::string::npos);
  EXPECT_NE(run_.output.find("\"code\":0}"), std::string::npos);
  EXPECT_NE(run_.output.find(ToUtf8(texts::kMsgDone)), std::string::npos) << "raw UTF-8";

  EXPECT_EQ(Run({u"restore", g_.exe, u"--quiet"}).exitCode, 0u);
  EXPECT_EQ(run_.output, "");
  EXPECT_EQ(Run({u"restore", g_.exe, u"--quiet"}).exitCode, 1u);
  EXPECT_EQ(run_.output, "") << "nothing to restore is no error";
}

TEST_F(CliProgram, PatchDirReplacesThePatchFolderBesideTheProgram) {
  const std::u16string master = disk_->root() + u"master copy";
  for (const auto& [name, content] : g_.patch) {
    disk_->WriteFile(master + u"\\" + name, content + " master");
    disk_->Remove(g_.tool + u"\\patch\\" + name);
  }
  const auto start = Tree();
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--quiet"}).exitCode, 1u);
  EXPECT_TRUE(Said(u"patch\\war3.exe")) << run_.output;
  EXPECT_EQ(Tree(), start);

  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--patch-dir", master + u"\\"}).exitCode, 0u)
      << run_.output;
  for (const auto& [name, content] : g_.patch) {
    EXPECT_EQ(disk_->ReadFile(g_.Game(name)), content + " master");
  }
}

TEST_F(CliProgram, RestoreAllUndoesEveryJobAndAFileHeldOpenMakesItPartial) {
  const auto start = Tree();
  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause"}).exitCode, 0u) << run_.output;
  disk_->WriteFile(g_.Game(u"between.txt"), "b");
  disk_->HoldOpen(g_.Game(u"between.txt"));
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause"}).exitCode, 2u) << run_.output;
  EXPECT_TRUE(Said(texts::kMsgNotMoved)) << run_.output;
  EXPECT_TRUE(Said(LowerCase(g_.Game(u"between.txt")))) << run_.output;
  disk_->Release(g_.Game(u"between.txt"));
  disk_->Remove(g_.Game(u"between.txt"));
  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause"}).exitCode, 0u) << run_.output;

  ASSERT_EQ(Run({u"restore", u"--all", g_.exe}).exitCode, 0u) << run_.output;
  EXPECT_EQ(RestoredTree(), start);
  EXPECT_EQ(Run({u"restore", u"--all", g_.exe}).exitCode, 1u);
}

// A script killed mid-job (a power cut, a closed console): the next run makes the set
// whole and completes, and everything can still be put back.
TEST_F(CliProgram, KilledMidJobTheNextRunRecoversAndCompletes) {
  const auto start = Tree();
  for (DWORD ms : {300u, 1300u, 2300u, 3300u}) {
    SCOPED_TRACE(ms);
    const ChildRun killed = RunChild(exe_, {u"patch", g_.exe}, ms);
    EXPECT_TRUE(killed.killed) << killed.output;
    ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause"}).exitCode, 0u) << run_.output;
    // From the second pause on, the job is well under way whatever the start-up cost.
    if (ms >= 1300) {
      EXPECT_TRUE(Said(texts::kMsgRecoveredHead)) << run_.output;
    }
    for (const auto& [name, content] : g_.patch) {
      EXPECT_EQ(disk_->ReadFile(g_.Game(name)), content);
    }
    ASSERT_EQ(Run({u"restore", u"--all", u"--no-pause", g_.exe}).exitCode, 0u) << run_.output;
    EXPECT_EQ(RestoredTree(), start) << run_.output;
  }
}

// A game straight in a drive root is refused in words that say what to do, and the drive
// is left as it was; so is a share's root, a path that hangs on the current folder (here
// the game's own) and anything that is not war3.exe itself.
TEST_F(CliProgram, ADriveRootAndFilesThatAreNotWar3ExeAreRefused) {
  const std::u16string root = u"C:\\";
  for (const char16_t* name : {u"war3.exe", u"War3.mpq", u"readme.txt"}) {
    disk_->WriteFile(root + name, "at the root");
  }
  // A share's root, in its plain and its device spelling, is refused from the text alone.
  for (const std::u16string& exe :
       {root + u"war3.exe", std::u16string(u"\\\\server\\share\\war3.exe"),
        std::u16string(u"\\\\.\\UNC\\server\\share\\war3.exe")}) {
    EXPECT_EQ(Run({u"patch", exe, u"--no-pause"}).exitCode, 1u) << run_.output;
    EXPECT_TRUE(Said(texts::kMsgDriveRoot)) << run_.output;
  }
  EXPECT_EQ(disk_->ReadFile(root + u"readme.txt"), "at the root");
  EXPECT_FALSE(disk_->Attributes(root + u"vTemp"));
  for (const char16_t* name : {u"war3.exe", u"War3.mpq", u"readme.txt"}) disk_->Remove(root + name);

  disk_->WriteFile(g_.Game(u"mywar3.exe"), "not the game");
  const auto start = Tree();
  for (const char16_t* name : {u"war3.exe.bak", u"mywar3.exe"}) {
    EXPECT_EQ(Run({u"patch", g_.Game(name), u"--no-pause"}).exitCode, 1u) << run_.output;
    EXPECT_TRUE(Said(texts::kMsgNoPath)) << run_.output;
  }
  wchar_t current[MAX_PATH];
  ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, current), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(win::W(g_.game)));
  Run({u"patch", g_.game.substr(0, 2) + u"war3.exe", u"--no-pause"});
  ::SetCurrentDirectoryW(current);
  EXPECT_EQ(run_.exitCode, 1u) << run_.output;
  EXPECT_TRUE(Said(texts::kMsgNotFullPath)) << run_.output;
  EXPECT_EQ(Tree(), start) << "no folder made, nothing moved";
}

// Two jobs on one folder at once (two scripts, or a script and the window): the one that
// comes second says that another is running and changes nothing.
TEST_F(CliProgram, OneJobAtATimePerGameFolder) {
  const auto start = Tree();
  ChildRun first;
  std::thread running([&] { first = RunChild(exe_, {u"patch", g_.exe}); });  // with its pauses
  const std::u16string lock = g_.Game(u"vTemp\\torvane.lock");
  for (int i = 0; i < 400 && !disk_->Attributes(lock); ++i) ::Sleep(10);
  const ChildRun second = RunChild(exe_, {u"patch", g_.exe, u"--no-pause"});
  running.join();
  EXPECT_EQ(second.exitCode, 1u) << second.output;
  EXPECT_TRUE(Contains(FromUtf8(second.output), texts::kMsgAnotherJob)) << second.output;
  EXPECT_EQ(first.exitCode, 0u) << first.output;
  EXPECT_FALSE(disk_->Attributes(lock)) << "the lock goes with its job";

  ASSERT_EQ(Run({u"restore", u"--all", g_.exe}).exitCode, 0u) << run_.output;
  EXPECT_EQ(RestoredTree(), start);
}

// A job killed while run through one drive letter is made whole when run again through
// another letter for the same folder (as subst or a mapped share give).
TEST_F(CliProgram, AJournalIsKnownUnderAnotherSpellingOfItsFolder) {
  if (::GetFileAttributesW(L"T:\\") == INVALID_FILE_ATTRIBUTES || g_.exe.rfind(u"C:", 0) != 0) {
    GTEST_SKIP() << "T: is not drive C under another letter (scripts/wine-session.sh makes it)";
  }
  const std::u16string other = u"T:" + g_.exe.substr(2);
  const auto start = Tree();
  const ChildRun killed = RunChild(exe_, {u"patch", other}, 1500);
  EXPECT_TRUE(killed.killed);
  ASSERT_EQ(Run({u"patch", g_.exe, u"--no-pause"}).exitCode, 0u) << run_.output;
  EXPECT_TRUE(Said(texts::kMsgRecoveredHead)) << run_.output;
  for (const auto& [name, content] : g_.patch) EXPECT_EQ(disk_->ReadFile(g_.Game(name)), content);
  ASSERT_EQ(Run({u"restore", u"--all", other}).exitCode, 0u) << run_.output;
  EXPECT_EQ(RestoredTree(), start);
}

// What info reads for real: the versions of program files carrying version resources, and
// the registry's installs for the user and, in its 32-bit view, for the machine.
TEST_F(CliProgram, InfoReadsVersionResourcesAndTheRegistry) {
  disk_->WriteFile(g_.Game(u"War3.exe"), disk_->VersionedBytes("1.26.0.6401"));
  disk_->WriteFile(g_.tool + u"\\patch\\game.dll", disk_->VersionedBytes("1.24.4.6387"));
  EXPECT_EQ(Run({u"info", g_.exe, u"--json"}).exitCode, 0u) << run_.output;
  EXPECT_TRUE(Said(u"\"gameVersion\":{\"war3.exe\":\"1.26.0.6401\",\"game.dll\":null}"))
      << run_.output;
  EXPECT_TRUE(Said(u"\"patchVersion\":{\"war3.exe\":null,\"game.dll\":\"1.24.4.6387\"}"))
      << run_.output;

  RegisteredGame::RemoveAll();
  EXPECT_EQ(Run({u"info", u"--json"}).exitCode, 0u);
  EXPECT_TRUE(Said(u"\"installs\":[]")) << run_.output;
  const RegisteredGame user(u"%SystemDrive%\\魔兽争霸III", RegisteredGame::Where::kUser,
                            RegisteredGame::Type::kExpandable);
  const RegisteredGame machine(g_.game, RegisteredGame::Where::kMachine32);
  EXPECT_EQ(Run({u"info", u"--json"}).exitCode, 0u);
  EXPECT_TRUE(Said(u"{\"where\":\"HKCU 32\",\"folder\":\"C:\\\\魔兽争霸III\"}")) << run_.output;
  EXPECT_TRUE(Said(u"{\"where\":\"HKLM 32\",\"folder\":")) << run_.output;
  EXPECT_EQ(Run({u"info", g_.game + u"nothing\\war3.exe"}).exitCode, 1u);
}

TEST_F(CliProgram, AMismatchedPatchFolderChangesNothingUnlessForced) {
  disk_->WriteFile(g_.tool + u"\\patch\\war3.exe", disk_->VersionedBytes("1.24.4.6387"));
  disk_->WriteFile(g_.tool + u"\\patch\\game.dll", disk_->VersionedBytes("1.26.0.6401"));
  const auto start = Tree();
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--json"}).exitCode, 1u) << run_.output;
  EXPECT_TRUE(Said(u"\"question\":\"version-mismatch\",\"answer\":\"no\"")) << run_.output;
  EXPECT_EQ(Tree(), start);
  EXPECT_EQ(Run({u"patch", g_.exe, u"--no-pause", u"--force"}).exitCode, 0u) << run_.output;
}

}  // namespace
}  // namespace torvane::testing
