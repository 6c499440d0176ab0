#include "job/journal.h"

#include <gtest/gtest.h>

#include "tests/support/fake_runtime.h"

namespace torvane {
namespace {

using testing::FakeRuntime;

Step Move(std::u16string from, std::u16string to) {
  Step s;
  s.kind = StepKind::kMove;
  s.from = std::move(from);
  s.to = std::move(to);
  return s;
}

class JournalFile : public ::testing::Test {
 protected:
  void SetUp() override { fs_.AddFolder(u"c:\\g\\vTemp"); }
  // A new journal for an empty `doc`, else the one that holds it.
  std::unique_ptr<Journal> Open(const JournalDoc& doc = {}) {
    if (doc.sections.empty()) return std::move(Journal::Create(fs_, kPath).value());
    return std::move(Journal::Reopen(fs_, kPath, doc).value());
  }
  JournalDoc Read() { return ReadJournal(fs_, kPath).value(); }
  // A new journal with a job's section begun.
  std::unique_ptr<Journal> OpenJob() {
    auto journal = Open();
    EXPECT_TRUE(journal->BeginSection(SectionKind::kJob, u"c:\\g\\war3.exe", std::nullopt).ok());
    return journal;
  }
  // A step's line cut off half-way, as a crash or a dropped network drive leaves it.
  void IntendCutShort(Journal& journal) {
    Step a = Move(u"c:\\g\\a", u"c:\\g\\vTemp\\a");
    fs_.DieAt(fs_.calls());
    EXPECT_FALSE(journal.Intend(a).ok());
    fs_.Revive();
  }

  static constexpr char16_t kPath[] = u"c:\\g\\vTemp\\torvane-journal-0001.txt";
  FakeRuntime fs_;
};

TEST_F(JournalFile, ReadsBackWhatWasWrittenAcrossSections) {
  {
    auto journal = Open();
    ASSERT_TRUE(journal->BeginSection(SectionKind::kJob, u"c:\\游戏\\war3.exe", std::nullopt).ok());
    ASSERT_TRUE(journal->BeginSet().ok());
    Step a = Move(u"c:\\游戏\\Game.dll", u"c:\\游戏\\vTemp\\Game (2).dll");
    a.size = 12;
    a.attributes = kAttrHidden | kAttrReadOnly;
    a.clearsAttributes = true;
    a.sha256 = std::string(64, 'a');
    a.inVersionSet = true;
    Step b = Move(u"c:\\游戏\\x.txt", u"c:\\游戏\\vTemp\\x.txt");
    ASSERT_TRUE(journal->Intend({&a, &b}).ok());
    a.state = StepState::kDone;
    b.state = StepState::kFailed;
    b.error = u"拒绝访问。\r\n";
    ASSERT_TRUE(journal->Record({&a, &b}).ok());
    Step attr;
    attr.kind = StepKind::kSetAttr;
    attr.from = u"c:\\游戏\\x.txt";
    attr.newAttributes = kAttrHidden;
    ASSERT_TRUE(journal->Intend(attr).ok());
    ASSERT_TRUE(journal->CommitSet().ok());
    ASSERT_TRUE(journal->End(SectionEnd::kDone).ok());
  }
  const JournalDoc doc = Read();
  ASSERT_EQ(doc.sections.size(), 1u);
  EXPECT_EQ(doc.sections[0].subject, u"c:\\游戏\\war3.exe");
  EXPECT_TRUE(doc.sections[0].setCommitted);
  ASSERT_EQ(doc.steps.size(), 3u);
  EXPECT_EQ(doc.steps[2].newAttributes, kAttrHidden);
  EXPECT_FALSE(doc.steps[2].inVersionSet);
  const Step& a = doc.steps[0];
  EXPECT_EQ(a.to, u"c:\\游戏\\vTemp\\Game (2).dll");
  EXPECT_EQ(a.size, 12u);
  EXPECT_EQ(a.attributes, kAttrHidden | kAttrReadOnly);
  EXPECT_TRUE(a.clearsAttributes && a.inVersionSet);
  EXPECT_EQ(a.sha256, std::string(64, 'a'));
  EXPECT_EQ(doc.steps[1].state, StepState::kFailed);
  EXPECT_EQ(doc.steps[1].error, u"拒绝访问。  ");
  EXPECT_FALSE(doc.Unfinished());

  // A second section continues the numbering; its reversal takes the step out of effect.
  {
    auto journal = Open(doc);
    ASSERT_TRUE(
        journal->BeginSection(SectionKind::kRestore, u"c:\\游戏\\war3.exe", std::nullopt).ok());
    Step back = Move(a.to, a.from);
    back.undoes = a.id;
    ASSERT_TRUE(journal->Intend(back).ok());
    EXPECT_EQ(back.id, 4);
    back.state = StepState::kDone;
    ASSERT_TRUE(journal->Record(back).ok());
  }
  const JournalDoc again = Read();
  EXPECT_TRUE(again.Unfinished());
  EXPECT_FALSE(again.Restored());
  EXPECT_TRUE(again.InEffect().empty());  // neither the move nor its reversal
}

TEST_F(JournalFile, ALineCutShortByACrashIsLeftOutAndSealedBeforeTheNextWrite) {
  IntendCutShort(*OpenJob());
  JournalDoc doc = Read();
  EXPECT_TRUE(doc.endsWithTornLine);
  EXPECT_TRUE(doc.steps.empty());
  {
    auto journal = Open(doc);
    Step b = Move(u"c:\\g\\b", u"c:\\g\\vTemp\\b");
    ASSERT_TRUE(journal->Intend(b).ok());
  }
  doc = Read();
  ASSERT_EQ(doc.steps.size(), 1u);
  EXPECT_EQ(doc.steps[0].from, u"c:\\g\\b");
}

// A write cut off half-way (a network drive gone for a moment) leaves part of a line; the
// same journal writes on after it without joining its next line to that part.
TEST_F(JournalFile, AWriteCutOffHalfWayDoesNotSpoilTheLinesAfterIt) {
  {
    auto journal = OpenJob();
    IntendCutShort(*journal);
    Step b = Move(u"c:\\g\\b", u"c:\\g\\vTemp\\b");
    ASSERT_TRUE(journal->Intend(b).ok());
    b.state = StepState::kDone;
    ASSERT_TRUE(journal->Record(b).ok());
  }
  const JournalDoc doc = Read();
  EXPECT_FALSE(doc.bad);
  EXPECT_FALSE(doc.endsWithTornLine);
  ASSERT_EQ(doc.steps.size(), 1u);
  EXPECT_EQ(doc.steps[0].from, u"c:\\g\\b");
  EXPECT_EQ(doc.steps[0].state, StepState::kDone);
}

// An outcome costs no write (and no flush) of its own: it rides along with the next write,
// stays for the one after when that write fails, and goes when the journal closes. A write
// that failed half-way may have put it down already, so an outcome may stand twice.
TEST_F(JournalFile, AnOutcomeRidesAlongWithTheNextWrite) {
  Step a = Move(u"c:\\g\\a", u"c:\\g\\vTemp\\a");
  {
    auto journal = Open();
    ASSERT_TRUE(journal->BeginSection(SectionKind::kJob, u"c:\\g\\war3.exe", std::nullopt).ok());
    ASSERT_TRUE(journal->Intend(a).ok());
    a.state = StepState::kDone;
    const std::uint64_t calls = fs_.calls();
    ASSERT_TRUE(journal->Record(a).ok());
    EXPECT_EQ(fs_.calls(), calls);
    EXPECT_EQ(Read().steps[0].state, StepState::kPending);
    fs_.Inject({testing::Op::kAppend, {}, u"", ErrorKind::kDiskFull, 1});
    EXPECT_FALSE(journal->BeginSet().ok());
    EXPECT_EQ(Read().steps[0].state, StepState::kPending);
    ASSERT_TRUE(journal->BeginSet().ok());
    EXPECT_EQ(Read().steps[0].state, StepState::kDone);
    Step b = Move(u"c:\\g\\b", u"c:\\g\\vTemp\\b");
    ASSERT_TRUE(journal->Intend(b).ok());
    b.state = StepState::kFailed;
    ASSERT_TRUE(journal->Record(b).ok());
  }
  const JournalDoc closed = Read();
  ASSERT_EQ(closed.steps.size(), 2u);
  EXPECT_EQ(closed.steps[1].state, StepState::kFailed);

  const JournalDoc twice = ParseJournal(
      "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\n"
      "step\t1\tdelete\tc:\\g\\a\tsize=1\tattr=0x0\n"
      "done\t1\ndone\t1\nend\tdone\n");
  EXPECT_FALSE(twice.bad);
  ASSERT_EQ(twice.steps.size(), 1u);
  EXPECT_EQ(twice.steps[0].state, StepState::kDone);
}

// A failed line carries what the system said, on one line, and nothing where the system
// said nothing (a step a recovery found not made); lines older journals wrote with the
// tool's own words in that place still read.
TEST_F(JournalFile, AFailedLineCarriesThePlatformsMessageOrNothing) {
  {
    auto journal = OpenJob();
    Step said = Move(u"c:\\g\\a", u"c:\\g\\vTemp\\a");
    Step silent = Move(u"c:\\g\\b", u"c:\\g\\vTemp\\b");
    ASSERT_TRUE(journal->Intend({&said, &silent}).ok());
    said.state = silent.state = StepState::kFailed;
    said.error = u"拒绝访问。\r\n";
    ASSERT_TRUE(journal->Record({&said, &silent}).ok());
  }
  const std::string text = *fs_.Content(kPath);
  EXPECT_TRUE(text.ends_with("failed\t1\t拒绝访问。  \nfailed\t2\n")) << text;
  EXPECT_EQ(Read().steps[1].state, StepState::kFailed);

  const JournalDoc older = ParseJournal(
      "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\n"
      "step\t1\tmove\tc:\\g\\a\tc:\\g\\vTemp\\a\tsize=1\tattr=0x20\n"
      "failed\t1\t被中断，没有完成\nend\trecovered\n");
  EXPECT_FALSE(older.bad);
  ASSERT_EQ(older.steps.size(), 1u);
  EXPECT_EQ(older.steps[0].state, StepState::kFailed);
}

TEST(JournalDoc, AReversalOfAReversalPutsTheStepBackInEffect) {
  const std::string head = "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\n";
  const std::string moved =
      "step\t1\tmove\tc:\\g\\a\tc:\\g\\vTemp\\a\tsize=1\tattr=0x20\ndone\t1\n";
  const std::string back =
      "step\t2\tmove\tc:\\g\\vTemp\\a\tc:\\g\\a\tattr=0x0\tundoes=1\ndone\t2\n";
  const std::string again =
      "step\t3\tmove\tc:\\g\\a\tc:\\g\\vTemp\\a\tattr=0x0\tundoes=2\ndone\t3\n";
  EXPECT_TRUE(ParseJournal(head + moved + back).InEffect().empty());
  const std::vector<Step> inEffect = ParseJournal(head + moved + back + again).InEffect();
  ASSERT_EQ(inEffect.size(), 1u);
  EXPECT_EQ(inEffect[0].id, 1);
  // A reversal that failed cancels nothing.
  const std::string failedBack =
      "step\t2\tmove\tc:\\g\\vTemp\\a\tc:\\g\\a\tattr=0x0\tundoes=1\nfailed\t2\tx\n";
  EXPECT_EQ(ParseJournal(head + moved + failedBack).InEffect().size(), 1u);
}

// The number of the first line not understood; 0 when all of it is.
int BadLineOf(const std::string& text) {
  const JournalDoc doc = ParseJournal(text);
  return doc.bad ? doc.bad->number : 0;
}

TEST(ParseJournal, NotesTheFirstLineItDoesNotUnderstand) {
  const std::string head = "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\n";
  EXPECT_EQ(BadLineOf(head + "step\t1\tmove\ta\tb\tsize=1\tattr=0x20\n"), 0);
  EXPECT_EQ(BadLineOf("not a journal\n"), 1);
  EXPECT_EQ(BadLineOf(head + "step\t1\tshred\ta\n"), 3);
  EXPECT_EQ(BadLineOf(head + "step\t1\tmove\ta\n"), 3);  // no target
  EXPECT_EQ(BadLineOf(head + "step\t1\tmove\ta\tb\tsize=x\n"), 3);
  EXPECT_EQ(BadLineOf(head + "step\t1\tmove\ta\tb\tsha256=12\n"), 3);
  EXPECT_EQ(BadLineOf(head + "step\t99999999999\tdelete\ta\n"), 3);  // no such number
  EXPECT_EQ(BadLineOf(head + "done\t7\n"), 3);                       // no such step
  EXPECT_EQ(BadLineOf(head + "end\tfinished\n"), 3);
  EXPECT_EQ(BadLineOf(head + "mark\tset-begin\nmark\tset-halfway\n"), 4);
  EXPECT_EQ(BadLineOf("Torvane journal 1\nstep\t1\tdelete\ta\n"), 2);  // no section
}

// Step ids only increase, so an outcome finds its step in time that grows with the journal
// whatever ids it chose: an id used twice or going back, and an outcome of an id no step
// has, are damage at their own lines. So is the first step past what one journal may cost
// to settle: steps proved by reading whole files, and steps without an outcome.
TEST(ParseJournal, RefusesIdsThatDoNotIncreaseOutcomesOfNoStepAndStepsPastTheBounds) {
  const std::string head = "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\n";
  const std::string five = head + "step\t5\tdelete\tc:\\g\\a\n";
  EXPECT_EQ(BadLineOf(five + "step\t5\tdelete\tc:\\g\\b\n"), 4);
  EXPECT_EQ(BadLineOf(five + "step\t4\tdelete\tc:\\g\\b\n"), 4);
  EXPECT_EQ(BadLineOf(five + "done\t5\ndone\t6\n"), 5);
  EXPECT_EQ(BadLineOf(five + "done\t4\n"), 4);

  const auto steps = [&](int count, const std::string& kind, bool done) {
    std::string text = head;
    for (int id = 1; id <= count; ++id) {
      text += "step\t" + std::to_string(id) + "\t" + kind + "\n";
      if (done) text += "done\t" + std::to_string(id) + "\n";
    }
    return text;
  };
  const std::string copy = "copy\td:\\p\\a\tc:\\g\\a.torvane-new\tsize=1";
  EXPECT_EQ(BadLineOf(steps(1024, copy, true)), 0);
  EXPECT_EQ(BadLineOf(steps(1025, copy, true)), 2 + 2 * 1025 - 1);
  EXPECT_EQ(BadLineOf(steps(1024, "delete\tc:\\g\\a", false)), 0);
  EXPECT_EQ(BadLineOf(steps(1025, "delete\tc:\\g\\a", false)), 2 + 1025);
  EXPECT_EQ(BadLineOf(steps(5000, "delete\tc:\\g\\a", true)), 0) << "settled steps are free";
}

// What an editor makes of a saved journal, and lines it cannot know, do not hide how far
// the journal got.
TEST(ParseJournal, TakesAByteOrderMarkAndCrLfAndReadsOnPastABadLine) {
  const std::string lines[] = {"Torvane journal 1",
                               "section\tjob\tt\tc:\\g\\war3.exe",
                               "step\t1\tmove\ta\tb",
                               "remark\tsomething new",
                               "done\t1",
                               "end\tdone"};
  std::string saved = "\xEF\xBB\xBF";
  for (const std::string& line : lines) saved += line + "\r\n";
  const JournalDoc doc = ParseJournal(saved);
  ASSERT_TRUE(doc.bad);
  EXPECT_EQ(doc.bad->number, 4);
  EXPECT_EQ(doc.bad->text, u"remark\tsomething new");
  EXPECT_FALSE(doc.Unfinished());
  ASSERT_EQ(doc.steps.size(), 1u);
  EXPECT_EQ(doc.steps[0].state, StepState::kDone);
  EXPECT_EQ(doc.steps[0].line, 3);
}

TEST(ParseJournal, SectionsCarryTheFolderTheyWereWrittenFor) {
  const JournalDoc doc = ParseJournal(
      "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\tfolder=c-0-1f\tpatch=d:\\p\n"
      "section\trecovery\tt\tc:\\g\\war3.exe\n");
  ASSERT_EQ(doc.sections.size(), 2u);
  EXPECT_FALSE(doc.bad);
  EXPECT_EQ(doc.sections[0].folder, (FileIdentity{12, 0, 31}));
  EXPECT_EQ(doc.sections[0].patchFolder, u"d:\\p");
  EXPECT_FALSE(doc.sections[1].folder);
  EXPECT_EQ(BadLineOf("Torvane journal 1\nsection\tjob\tt\tx\tfolder=12\n"), 2);
}

// A tidy of 100,000 files: every outcome found by its step, each step in effect once.
TEST(ParseJournal, ReadsAHundredThousandFileJournalWhole) {
  std::string text = "Torvane journal 1\nsection\tjob\tt\tc:\\g\\war3.exe\n";
  constexpr int kFiles = 100000;
  for (int id = 1; id <= kFiles; ++id) {
    const std::string name = "f" + std::to_string(id);
    text += "step\t" + std::to_string(id) + "\tmove\tc:\\g\\" + name + "\tc:\\g\\vTemp\\" + name +
            "\tsize=1\tattr=0x20\tclear-attr\n";
  }
  for (int id = kFiles; id >= 1; --id) text += "done\t" + std::to_string(id) + "\n";
  const JournalDoc doc = ParseJournal(text + "end\tdone\n");
  EXPECT_FALSE(doc.bad);
  EXPECT_FALSE(doc.Unfinished());
  EXPECT_EQ(doc.InEffect().size(), static_cast<std::size_t>(kFiles));
}

TEST(NextJournalPath, NumbersOnFromTheHighest) {
  EXPECT_EQ(NextJournalPath(u"c:\\g\\vTemp", {}), u"c:\\g\\vTemp\\torvane-journal-0001.txt");
  EXPECT_EQ(NextJournalPath(u"c:\\g\\vTemp", {u"c:\\g\\vTemp\\torvane-journal-0009.txt",
                                              u"c:\\g\\vTemp\\torvane-journal-0002.txt"}),
            u"c:\\g\\vTemp\\torvane-journal-0010.txt");
  // A number no job reaches cannot make the next one overflow.
  EXPECT_EQ(NextJournalPath(u"c:\\g\\vTemp", {u"c:\\g\\vTemp\\torvane-journal-2147483647.txt"}),
            u"c:\\g\\vTemp\\torvane-journal-0001.txt");
}

}  // namespace
}  // namespace torvane
