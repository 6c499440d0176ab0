// The Windows runtime's own rules that need the system: how a failed COM call becomes an
// error, the program's folder, a checked copy whose writes or read-backs fail, held
// folders, and files with more than one name.
#include <gtest/gtest.h>

#include <string>

#include "runtime/text.h"
#include "runtime/win_copy.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"
#include "tests/win/temp_files.h"

namespace torvane {
namespace {

TEST(WinRuntime, HresultWrappingAWin32ErrorIsThatError) {
  const Error error = ErrorFromHresult(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(error.kind, ErrorKind::kNotFound);
  EXPECT_EQ(error.code, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(error.description, ErrorFromCode(ERROR_FILE_NOT_FOUND).description);
}

TEST(WinRuntime, OtherHresultsKeepTheirCode) {
  const Error error = ErrorFromHresult(DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(error.kind, ErrorKind::kOther);
  EXPECT_EQ(error.code, static_cast<std::uint32_t>(DRAGDROP_E_ALREADYREGISTERED));
  EXPECT_FALSE(error.description.empty());
}

TEST(WinRuntime, AppPathIsThisProgramsFolderWithoutABackslash) {
  wchar_t exe[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  const std::u16string program = win::U(exe);
  WinRuntime runtime;
  const Result<std::u16string> path = runtime.AppPath();
  ASSERT_TRUE(path.ok());
  ASSERT_GT(path.value().size(), 3u);  // the tests never run from a drive root
  EXPECT_EQ(path.value(), program.substr(0, program.rfind(u'\\')));
}

// A failure on the writing thread reaches the reader, which stops and says why, whether the
// write or the read-back is refused; the file is longer than the pieces in flight.
TEST(WinRuntime, ACheckedCopyThatCannotWriteOrReadBackFailsWithTheSystemsReason) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring source = std::wstring(temp) + L"torvane-copy-source.bin";
  const std::wstring target = std::wstring(temp) + L"torvane-copy-target.bin";
  {
    const win::UniqueFile file(::CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes((3 << 20) + 5, 'x');
    DWORD written = 0;
    ASSERT_TRUE(
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  for (const DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
    const win::UniqueFile from(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const win::UniqueFile to(::CreateFileW(target.c_str(), access, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(from && to);
    const Result<CheckedCopy> copied = CopyAndCheck(from.get(), to.get());
    ASSERT_FALSE(copied.ok()) << access;
    EXPECT_EQ(copied.error().code, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED)) << access;
  }
  ::DeleteFileW(source.c_str());
  ::DeleteFileW(target.c_str());
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// A folder held cannot be renamed or removed while files in it
// are made, renamed and deleted as ever; a file with a second name keeps its attributes; a
// file opened for appending has the facts of the file read under that name.
TEST(WinRuntime, AHeldFolderStaysAndAFileWithTwoNamesKeepsItsAttributes) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::u16string base =
      win::U(temp) + u"torvane-held-" + Decimal(::GetCurrentProcessId()) + u"\\";
  const std::u16string held = base + u"held", file = held + u"\\a.txt";
  // Wine gives process ids out again: a run that failed half-way may have left this folder.
  testing::RemoveTree(base);
  ASSERT_TRUE(::CreateDirectoryW(win::W(base), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(win::W(held), nullptr));
  WinRuntime rt;
  const auto write = [&](const std::u16string& path) {
    const auto appended = rt.OpenForAppend(path, OpenMode::kCreateNew);
    return appended.ok() && appended.value()->Append("bytes").ok();
  };
  {
    const Result<std::unique_ptr<HeldFolder>> hold = rt.HoldFolder(held);
    ASSERT_TRUE(hold.ok());
    EXPECT_EQ(hold.value()->attributes() & (kAttrFolder | kAttrReparsePoint), kAttrFolder);
    EXPECT_FALSE(::MoveFileExW(win::W(held), win::W(base + u"moved"), 0));
    EXPECT_FALSE(::RemoveDirectoryW(win::W(held)));
    EXPECT_TRUE(write(file));
    EXPECT_TRUE(write(base + u"b.txt"));
    EXPECT_TRUE(rt.Rename(base + u"b.txt", held + u"\\b.txt").ok());
    EXPECT_TRUE(rt.Rename(held + u"\\b.txt", held + u"\\c.txt").ok());
    EXPECT_TRUE(rt.Delete(held + u"\\c.txt").ok());
  }
  EXPECT_TRUE(::MoveFileExW(win::W(held), win::W(base + u"moved"), 0)) << "let go";
  const std::u16string moved = base + u"moved\\a.txt", second = base + u"second.txt";

  {  // closed before the file is deleted, so that nothing of the test stays behind
    const Result<FileRead> read = rt.ReadWholeFileAndFacts(moved, 100);
    const Result<std::unique_ptr<AppendFile>> appending =
        rt.OpenForAppend(moved, OpenMode::kExisting);
    ASSERT_TRUE(read.ok() && appending.ok());
    EXPECT_EQ(read.value().bytes, "bytes");
    EXPECT_EQ(appending.value()->Facts().value_or(FileFacts{}), read.value().facts);
    EXPECT_EQ(read.value().facts.links, 1u);
    EXPECT_TRUE(rt.SetAttr(moved, kAttrHidden).ok());
    EXPECT_TRUE(rt.SetAttr(moved, kAttrNormal).ok());
    if (::CreateHardLinkW(win::W(second), win::W(moved), nullptr)) {
      EXPECT_EQ(appending.value()->Facts().value_or(FileFacts{}).links, 2u);
      EXPECT_TRUE(rt.SetAttr(second, kAttrHidden).Is(ErrorKind::kAccessDenied));
      EXPECT_EQ(::GetFileAttributesW(win::W(moved)) & FILE_ATTRIBUTE_HIDDEN, 0u);
    } else {
      ADD_FAILURE() << "no hard link made: " << ::GetLastError();
    }
  }
  ::DeleteFileW(win::W(second));
  EXPECT_TRUE(::DeleteFileW(win::W(moved)));
  ::RemoveDirectoryW(win::W(base + u"moved"));
  EXPECT_TRUE(::RemoveDirectoryW(win::W(base)));
}

}  // namespace
}  // namespace torvane
