// Journals lie in a folder that other programs and users can write: what one names is
// checked before anything acts on it. Planted, damaged and foreign journals on a whole
// game folder, natively and, unchanged, on real folders under Windows (Wine).
#include <gtest/gtest.h>

#include <cstdio>

#include "resources/texts.h"
#include "runtime/sha256.h"
#include "runtime/text.h"
#include "tests/support/call_watch.h"
#include "tests/support/disk.h"
#include "tests/support/game_folder.h"
#include "tests/support/tree.h"
#include "tests/support/window_runs.h"

namespace torvane::testing {
namespace {

// Where a planted step stands in its journal.
enum class State { kPending, kInsideAnUnfinishedSet, kInsideARestore, kDone };

// Every occurrence of `from` (not empty), left to right.
std::string ReplaceAll8(std::string text, const std::string& from, const std::string& to) {
  for (size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, hit)) {
    text.replace(hit, from.size(), to);
    hit += to.size();
  }
  return text;
}

class UntrustedJournal : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_ = MakeDisk();
    g_ = MakeGameFolder(*disk_);
    outside_ = disk_->root() + u"outside\\";
    disk_->WriteFile(outside_ + u"secret.txt", "the user's own");
    disk_->MakeFolder(g_.Game(u"vTemp"));
  }

  std::string Utf8(const std::u16string& text) { return ToUtf8(text); }
  std::u16string JournalPath() { return g_.Game(u"vTemp\\torvane-journal-0001.txt"); }

  // A journal of this folder as a job writes it, with one step line.
  std::string Journal(const std::string& step, State state) {
    const std::string section =
        "\tt\t" + Utf8(LowerCase(g_.exe)) + "\tpatch=" + Utf8(g_.tool) + "\\patch\n";
    std::string text = "Torvane journal 1\nsection\tjob" + section;
    switch (state) {
      case State::kPending:
        return text + step;
      case State::kInsideAnUnfinishedSet:
        return text + "mark\tset-begin\n" + step + "done\t1\n";
      case State::kInsideARestore:
        return text + "end\tdone\nsection\trestore" + section + step;
      case State::kDone:
        return text + step + "done\t1\nend\tdone\n";
    }
    return text;
  }

  // Runs what acts on the journal (a job recovers an unfinished one, a restore a finished
  // one) through a watch that keeps every path named outside the game and tool folders.
  std::vector<std::u16string> ActOn(State state) {
    Runtime& rt = disk_->runtime();
    const std::u16string windows = rt.WindowsFolder().value_or(u"c:\\windows");
    const std::u16string program = FolderOf(rt.ProgramPath().value_or(g_.tool + u"\\"));
    CallWatch watch(rt, {g_.game, g_.tool + u"\\", program, windows + u"\\"});
    if (state == State::kDone) {
      disk_->QueueAnswer(kIdYes);
      Restore(g_.exe, watch);
    } else {
      Job(g_.exe, watch);
    }
    return watch.outside();
  }

  // The journal's record of the game folder's identity, as a job writes it.
  std::string FolderOption() {
    const Result<FileIdentity> id =
        disk_->runtime().IdentityOf(WithoutTrailingBackslash(LowerCase(g_.game)));
    EXPECT_TRUE(id.ok());
    const FileIdentity v = id.value_or(FileIdentity{});
    char text[64];
    std::snprintf(
        text, sizeof text, "folder=%llx-%llx-%llx", static_cast<unsigned long long>(v.volume),
        static_cast<unsigned long long>(v.fileHigh), static_cast<unsigned long long>(v.fileLow));
    return text;
  }

  std::map<std::u16string, std::string> Everything() { return Tree(*disk_, disk_->root()); }

  std::unique_ptr<Disk> disk_;
  GameFolder g_;
  std::u16string outside_;
};

// Every form of path outside the folder, in every step kind and state: refused from its text
// alone, before any call names it, with a box naming the journal and the line.
TEST_F(UntrustedJournal, AStepNamingAnythingOutsideTheFolderIsNeverActedOn) {
  const std::u16string game = LowerCase(g_.game);
  const std::u16string drive = game.substr(0, 2);
  const std::pair<const char*, std::u16string> forms[] = {
      {"another folder", outside_ + u"secret.txt"},
      {"climbing out", game + u"vTemp\\..\\..\\outside\\secret.txt"},
      {"a sub-folder", game + u"maps\\(2)Map.w3m"},
      {"a slash", game + u"vTemp/secret.txt"},
      {"a stream", game + u"War3.mpq:x"},
      {"a control character", game + u"War3\x01.mpq"},
      {"a NUL", game + std::u16string(u"War3\0.mpq", 9)},
      {"a trailing dot", game + u"War3.mpq."},
      {"a trailing space", game + u"War3.mpq "},
      {"dot dot", game + u"vTemp\\.."},
      {"dot", game + u"."},
      {"a device", game + u"CON"},
      {"a device with an extension", game + u"nul.txt"},
      {"a device with spaces before its extension", game + u"Com1  .log"},
      {"a device with an extension and spaces", game + u"nul .txt"},
      {"a superscript port", game + u"COM\u00B9"},
      {"the console", game + u"CONIN$"},
      {"a wildcard", game + u"War3*.mpq"},
      {"a pipe character", game + u"War3|.mpq"},
      {"relative", u"secret.txt"},
      {"another drive", u"d:\\secret.txt"},
      {"the folder on another drive",
       (drive == u"d:" ? u"e:" : u"d:") + game.substr(2) + u"War3.mpq"},
      {"a share", u"\\\\server\\share\\War3.mpq"},
      {"a pipe", u"\\\\.\\pipe\\War3.mpq"},
      {"a device path", u"\\\\.\\" + game + u"War3.mpq"},
      {"the extended form of the folder", u"\\\\?\\" + game + u"War3.mpq"},
      {"an extended share", u"\\\\?\\UNC\\server\\share\\War3.mpq"},
  };
  const char* kinds[] = {"move", "copy", "delete", "mkdir", "rmdir", "attr"};
  const std::string legit = Utf8(game) + "readme.txt";
  const std::string sha = Sha256Hex("old War3.mpq");
  for (const auto& [form, bad] : forms) {
    for (const char* kind : kinds) {
      const bool twoPaths = kind == std::string("move") || kind == std::string("copy");
      // A copy's source outside the patch folder its section recorded is as bad.
      for (const bool inFrom : {true, false}) {
        if (!inFrom && !twoPaths) continue;
        for (const State state : {State::kPending, State::kInsideAnUnfinishedSet,
                                  State::kInsideARestore, State::kDone}) {
          SCOPED_TRACE(std::string(form) + ", " + kind + (inFrom ? " from" : " to") + ", state " +
                       std::to_string(static_cast<int>(state)));
          std::string step = "step\t1\t" + std::string(kind) + "\t" + (inFrom ? Utf8(bad) : legit);
          if (twoPaths) step += "\t" + (inFrom ? legit : Utf8(bad));
          step += "\tsize=12\tattr=0x0\tversion-set\tsha256=" + sha;
          if (state == State::kInsideARestore) step += "\taside";
          disk_->WriteFile(JournalPath(), Journal(step + "\n", state));
          const auto before = Everything();
          const size_t boxes = disk_->boxes().size();

          const std::vector<std::u16string> named = ActOn(state);
          EXPECT_TRUE(named.empty()) << ToUtf8(named.front());
          EXPECT_EQ(Everything(), before);
          ASSERT_GT(disk_->boxes().size(), boxes);
          const std::u16string& box = disk_->boxes().back().prompt;
          EXPECT_EQ(box.rfind(texts::kMsgJournalRefused, 0), 0u) << ToUtf8(box);
          EXPECT_TRUE(Contains(LowerCase(box), LowerCase(JournalPath())));
          EXPECT_TRUE(Contains(box, u"第 ")) << "the line";
        }
      }
    }
  }
}

// A journal written under another spelling of the folder (another drive letter, a share)
// is read onto the spelling used now, without looking anything up under the old one; a
// move between the two spellings that a crash left unconfirmed is one file, never deleted
// as its own twin.
TEST_F(UntrustedJournal, TheSpellingAJournalRecordedIsReadOntoTheFolderAsSpelledNow) {
  const std::string recorded = "\\\\server\\share\\war3\\";
  const std::u16string archive = LowerCase(g_.Game(u"War3.mpq"));
  disk_->WriteFile(JournalPath(),
                   "Torvane journal 1\nsection\tjob\tt\t" + recorded + "war3.exe\t" +
                       FolderOption() + "\nstep\t1\tmove\t" + Utf8(archive) + "\t" + recorded +
                       "War3.mpq\tsize=12\tattr=0x20\tsha256=" + Sha256Hex("old War3.mpq") + "\n");
  const std::vector<std::u16string> named = ActOn(State::kPending);
  EXPECT_TRUE(named.empty()) << ToUtf8(named.front());
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"War3.mpq")), "old War3.mpq");
  EXPECT_EQ(disk_->boxes().back().prompt, texts::kMsgDone);
}

// Each place that deletes, offered a file the journal calls the tool's own without the
// proof: it stays, where it stands or in vTemp. In the lines, {G} is the game folder, {P}
// the patch folder, {S} the rest of a section line; {K} and {L} are the SHA-256 and size
// of the file that must stay, {O} the SHA-256 of other bytes of its size.
TEST_F(UntrustedJournal, NothingIsDeletedWithoutProofThatItIsTheToolsOwnCopy) {
  const std::string kept = "bytes found nowhere else";
  const std::string sameSize = "bytes of the same length";
  ASSERT_EQ(kept.size(), sameSize.size());
  const std::string copyGame =
      "step\t1\tcopy\t{P}game.dll\t{G}game.dll.torvane-new\tsize={L}\tattr=0x0\tversion-set\n";
  const std::string copyStorm =
      "step\t2\tcopy\t{P}storm.dll\t{G}storm.dll.torvane-new\tsize=15\tattr=0x0\tversion-set\n";
  const std::string setAside =
      "step\t3\tmove\t{G}Game.dll\t{G}vTemp\\Game.dll\tsize=12\tattr=0x20\tversion-set\n";
  const auto place = [](const std::string& sha) {
    return "step\t4\tmove\t{G}game.dll.torvane-new\t{G}Game.dll\tsize={L}\tattr=0x0\t"
           "version-set\treplacement\tsha256=" +
           sha + "\n";
  };
  const std::string done = "done\t1\ndone\t2\ndone\t3\ndone\t4\n";
  const std::string begin = "mark\tset-begin\n";
  const std::string commit = "mark\tset-commit\n";
  // A set half-swapped: game.dll placed, storm.dll staged only.
  const std::string halfSet = begin + copyGame + copyStorm + setAside;
  const std::string restoreSetAside =
      "section\trestore{S}" + begin +
      "step\t5\tmove\t{G}Game.dll\t{G}Game.dll.torvane-old\tsize={L}\tattr=0x0\tversion-set\t"
      "aside\tsha256={O}\tundoes=4\ndone\t5\n"
      "step\t6\tmove\t{G}vTemp\\Game.dll\t{G}Game.dll\tsize=12\tattr=0x0\tversion-set\t"
      "undoes=3\ndone\t6\n" +
      commit;
  struct Unproven {
    const char* what;
    std::string lines;                            // after the job's section line
    std::map<std::u16string, std::string> files;  // below the game folder, or "patch\..."
    std::u16string keptAt;                        // where `kept` is afterwards
  };
  const Unproven cases[] = {
      {"recovery: a copy cut short that is no prefix of its source",
       copyGame,
       {{u"game.dll.torvane-new", kept}},
       u"game.dll.torvane-new"},
      {"recovery: a copy cut short that is its own source",
       ReplaceAll8(copyGame, "{P}game.dll", "{G}GAME.DLL.TORVANE-NEW"),
       {{u"game.dll.torvane-new", kept}},
       u"game.dll.torvane-new"},
      {"undoing a set begun: a staged copy that is no prefix of its source",
       begin + copyGame + "done\t1\n",
       {{u"game.dll.torvane-new", kept}},
       u"game.dll.torvane-new"},
      {"undoing a set begun: a replacement whose twin holds other bytes",
       halfSet + place("{K}") + done,
       {{u"Game.dll", kept}, {u"vTemp\\Game.dll", "old Game.dll"}},
       u"vTemp\\Game (2).dll"},
      {"undoing a set begun: a replacement that is its own twin",
       ReplaceAll8(halfSet, "{P}game.dll", "{G}Game.dll") + place("{K}") + done,
       {{u"Game.dll", kept}, {u"vTemp\\Game.dll", "old Game.dll"}},
       u"vTemp\\Game (2).dll"},
      {"undoing a set begun: a replacement of the recorded size with other bytes",
       halfSet + place("{O}") + done,
       {{u"Game.dll", kept}, {u"vTemp\\Game.dll", "old Game.dll"}, {u"patch\\game.dll", sameSize}},
       u"Game.dll"},
      {"recovering a restore: a replacement set aside, of the recorded size with other bytes",
       begin + copyGame + setAside + place("{O}") + "done\t1\ndone\t3\ndone\t4\n" + commit +
           "end\tdone\n" + restoreSetAside,
       {{u"Game.dll.torvane-old", kept}, {u"patch\\game.dll", sameSize}},
       u"vTemp\\Game.dll.torvane-old"},
      {"restoring: a replacement set aside whose twin holds other bytes",
       begin + copyGame + setAside + place("{K}") + "done\t1\ndone\t3\ndone\t4\n" + commit +
           "end\tdone\n",
       {{u"Game.dll", kept}, {u"vTemp\\Game.dll", "old Game.dll"}},
       u"vTemp\\Game.dll.torvane-old"},
  };
  for (const Unproven& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    const std::string section =
        "\tt\t" + Utf8(LowerCase(g_.exe)) + "\tpatch=" + Utf8(g_.tool) + "\\patch\n";
    std::string lines = "Torvane journal 1\nsection\tjob" + section + c.lines;
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"{S}", section},
                                       {"{G}", Utf8(LowerCase(g_.game))},
                                       {"{P}", Utf8(g_.tool) + "\\patch\\"},
                                       {"{K}", Sha256Hex(kept)},
                                       {"{L}", std::to_string(kept.size())},
                                       {"{O}", Sha256Hex(sameSize)}}) {
      lines = ReplaceAll8(lines, token, value);
    }
    disk_->WriteFile(JournalPath(), lines);
    for (const auto& [path, bytes] : c.files) {
      disk_->WriteFile(path.rfind(u"patch\\", 0) == 0 ? g_.tool + u"\\" + path : g_.Game(path),
                       bytes);
    }
    disk_->QueueAnswer(kIdYes);
    Restore(g_.exe, disk_->runtime());
    EXPECT_EQ(disk_->ReadFile(g_.Game(c.keptAt)), kept) << ToUtf8(disk_->boxes().back().prompt);
  }
}

// Proof that a file is the tool's own copy never rests on a file outside the folder: a
// journal whose patch folder lies elsewhere cannot offer a twin there of the user's
// Game.dll, and a half-made copy whose source lies there is kept in vTemp. Neither
// file outside is read.
TEST_F(UntrustedJournal, ProofNeverRestsOnAFileOutsideTheFolder) {
  const std::u16string game = LowerCase(g_.game);
  const std::string users = "old Game.dll", sha = Sha256Hex(users);
  disk_->WriteFile(outside_ + u"game.dll", users);
  disk_->WriteFile(outside_ + u"storm.dll", "half");
  disk_->WriteFile(g_.Game(u"storm.dll.torvane-new"), "ha");
  disk_->WriteFile(g_.Game(u"vTemp\\game.dll"), "the original");
  const std::string folder = Utf8(game), there = Utf8(outside_);
  disk_->WriteFile(
      JournalPath(),
      "Torvane journal 1\nsection\tjob\tt\t" + folder + "war3.exe\tpatch=" + there +
          "\nmark\tset-begin\nstep\t1\tcopy\t" + there + "game.dll\t" + folder +
          "game.dll.torvane-new\tsize=12\tattr=0x0\tversion-set\ndone\t1\nstep\t2\tmove\t" +
          folder + "game.dll\t" + folder + "vTemp\\game.dll\tsize=12\tattr=0x20\tversion-set\n" +
          "done\t2\nstep\t3\tmove\t" + folder + "game.dll.torvane-new\t" + folder +
          "game.dll\tsize=12\tattr=0x0\tversion-set\treplacement\tsha256=" + sha +
          "\ndone\t3\nmark\tset-commit\nend\tdone\n");
  const std::vector<std::u16string> restoring = ActOn(State::kDone);
  EXPECT_TRUE(restoring.empty()) << ToUtf8(restoring.front());
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"game.dll")), "the original");
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\game.dll.torvane-old")), users)
      << "the user's Game.dll, kept";

  disk_->WriteFile(g_.Game(u"vTemp\\torvane-journal-0002.txt"),
                   "Torvane journal 1\nsection\tjob\tt\t" + folder + "war3.exe\tpatch=" + there +
                       "\nstep\t1\tcopy\t" + there + "storm.dll\t" + folder +
                       "storm.dll.torvane-new\tsize=4\tattr=0x0\tversion-set\n");
  const std::vector<std::u16string> recovering = ActOn(State::kPending);
  EXPECT_TRUE(recovering.empty()) << ToUtf8(recovering.front());
  EXPECT_FALSE(disk_->ReadFile(g_.Game(u"storm.dll.torvane-new")));
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\storm.dll.torvane-new")), "ha");
  EXPECT_EQ(disk_->ReadFile(outside_ + u"game.dll"), users);
}

// A file a restore cannot prove its own that lies in vTemp already stays there: there is
// no vTemp inside vTemp, and the journal never names one, so the next restore reads it.
TEST_F(UntrustedJournal, AFileWithoutProofInVTempStaysThere) {
  const std::string folder = Utf8(LowerCase(g_.game));
  disk_->WriteFile(g_.Game(u"vTemp\\game.dll"), "placed");
  disk_->WriteFile(g_.Game(u"vTemp\\old.dll"), "the original");
  disk_->WriteFile(JournalPath(),
                   "Torvane journal 1\nsection\tjob\tt\t" + folder + "war3.exe\nmark\tset-begin\n" +
                       "step\t1\tmove\t" + folder + "game.dll\t" + folder +
                       "vTemp\\old.dll\tsize=12\tattr=0x20\tversion-set\ndone\t1\nstep\t2\tmove\t" +
                       folder + "vTemp\\game.dll.torvane-new\t" + folder +
                       "vTemp\\game.dll\tsize=6\tattr=0x0\tversion-set\treplacement\tsha256=" +
                       Sha256Hex("placed") + "\ndone\t2\nmark\tset-commit\nend\tdone\n");
  disk_->Remove(g_.Game(u"Game.dll"));
  ActOn(State::kDone);
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"game.dll")), "the original");
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\game.dll.torvane-old")), "placed");
  EXPECT_FALSE(disk_->Attributes(g_.Game(u"vTemp\\vTemp")));
  EXPECT_FALSE(Contains(FromUtf8(*disk_->ReadFile(JournalPath())), u"vTemp\\vTemp"));
  disk_->QueueAnswer(kIdYes);
  Restore(g_.exe, disk_->runtime());
  EXPECT_EQ(disk_->boxes().back().prompt, texts::kMsgNothingToRestore);
}

// Saved again by an editor, or carrying a line it cannot know, a finished journal is history
// that never stops a job; a restore that reaches it stops there and names it.
TEST_F(UntrustedJournal, ADamagedFinishedJournalStopsOnlyTheRestoreThatReachesIt) {
  Job(g_.exe, disk_->runtime());
  std::string journal = *disk_->ReadFile(JournalPath());
  std::string saved = "\xEF\xBB\xBF";
  for (size_t start = 0, end; (end = journal.find('\n', start)) != std::string::npos;
       start = end + 1) {
    saved += journal.substr(start, end - start) + "\r\n";
  }
  disk_->WriteFile(JournalPath(), saved);
  disk_->QueueAnswer(kIdYes);
  Restore(g_.exe, disk_->runtime());
  EXPECT_EQ(disk_->boxes().back().prompt.rfind(texts::kMsgRestored, 0), 0u)
      << "a byte-order mark and CRLF are read as they come";

  Job(g_.exe, disk_->runtime());
  const std::u16string second = g_.Game(u"vTemp\\torvane-journal-0002.txt");
  disk_->WriteFile(second, "remark\tnot of the format\n" + *disk_->ReadFile(second));
  disk_->WriteFile(g_.Game(u"between.txt"), "b");
  Job(g_.exe, disk_->runtime());
  EXPECT_EQ(disk_->boxes().back().prompt, texts::kMsgDone);
  EXPECT_TRUE(disk_->ReadFile(g_.Game(u"vTemp\\torvane-journal-0003.txt")));

  for (int round = 0; round < 2; ++round) {
    disk_->QueueAnswer(kIdYes);
    Restore(g_.exe, disk_->runtime());
  }
  const std::u16string& box = disk_->boxes().back().prompt;
  EXPECT_EQ(box.rfind(texts::kMsgJournalUnreadable, 0), 0u) << ToUtf8(box);
  EXPECT_TRUE(Contains(LowerCase(box), u"torvane-journal-0002.txt"));
  EXPECT_TRUE(Contains(box, texts::kMsgJournalWhatToDo));
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"between.txt")), "b") << "the newest job was restored";
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"game.dll")), g_.patch[u"game.dll"]);
}

TEST_F(UntrustedJournal, ADamagedUnfinishedJournalStopsTheJobAndSaysWhatToDo) {
  disk_->WriteFile(JournalPath(),
                   Journal("step\t1\tshred\t" + Utf8(LowerCase(g_.exe)) + "\n", State::kPending));
  const auto before = Everything();
  Job(g_.exe, disk_->runtime());
  EXPECT_EQ(Everything(), before);
  const std::u16string& box = disk_->boxes().back().prompt;
  EXPECT_EQ(box.rfind(texts::kMsgJournalUnreadable, 0), 0u) << ToUtf8(box);
  EXPECT_TRUE(Contains(box, u"第 3 行"));
  EXPECT_TRUE(Contains(box, texts::kMsgJournalWhatToDo));
}

// A junction or symbolic link may lead anywhere: the tidy goes through none, wherever it
// stands on the way to the audio folder's vTemp.
TEST_F(UntrustedJournal, ALinkOnTheWayToTheAudioFolderIsNotEnteredAndTheOutcomeSaysSo) {
  const std::pair<std::u16string, const char16_t*> links[] = {
      {u"redist\\miles", texts::kMsgLinkedFolder},
      {u"redist", texts::kMsgLinkedFolder},
      {u"redist\\miles\\vTemp", texts::kMsgLinkedVTemp},
  };
  for (const auto& [link, told] : links) {
    SCOPED_TRACE(ToUtf8(link));
    SetUp();
    const std::u16string miles = g_.Game(u"redist\\miles");
    const bool milesOfItsOwn = link == u"redist\\miles\\vTemp";
    for (const char16_t* name : {u"Mssfast.m3d", u"Mss32.dll", u"extra.flt"}) {
      disk_->Remove(g_.Miles(name));
    }
    if (!milesOfItsOwn) disk_->Remove(miles);
    if (link == u"redist") disk_->Remove(g_.Game(u"redist"));
    if (!disk_->MakeLink(g_.Game(link), outside_ + u"sounds")) GTEST_SKIP() << "no links here";
    disk_->WriteFile(miles + u"\\Mssfast.m3d", "m3d");
    disk_->WriteFile(miles + u"\\mine.txt", "the user's own");

    Job(g_.exe, disk_->runtime());
    EXPECT_EQ(disk_->ReadFile(miles + u"\\mine.txt"), "the user's own");
    EXPECT_TRUE(disk_->List(outside_ + u"sounds").empty());
    EXPECT_EQ(disk_->Attributes(miles + u"\\vTemp").has_value(), milesOfItsOwn);
    const std::u16string& box = disk_->boxes().back().prompt;
    EXPECT_TRUE(Contains(box, told)) << ToUtf8(box);
    EXPECT_EQ(disk_->ReadFile(g_.Game(u"game.dll")), g_.patch[u"game.dll"]);
  }
}

// "war3.mpq." names War3.mpq to Windows: the file of that odd name stays, and so does the
// game's archive.
TEST_F(UntrustedJournal, AFileWhoseNameWindowsWouldRewriteIsLeftAndReported) {
  disk_->WriteFile(g_.Game(u"war3.mpq."), "odd");
  Job(g_.exe, disk_->runtime());
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"War3.mpq")), "old War3.mpq");
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"war3.mpq.")), "odd");
  EXPECT_FALSE(disk_->ReadFile(g_.Game(u"vTemp\\War3.mpq")));
  const std::u16string& box = disk_->boxes().back().prompt;
  EXPECT_TRUE(Contains(box, texts::kMsgUnplainName)) << ToUtf8(box);
  EXPECT_EQ(disk_->ReadFile(g_.Game(u"vTemp\\readme.txt")), "old readme.txt");
}

}  // namespace
}  // namespace torvane::testing
