// The Windows runtime's own rules that need the system: how a failed COM call becomes an
// error, the program's folder, and a checked copy whose writes or read-backs fail.
#include <gtest/gtest.h>

#include <string>

#include "runtime/win_copy.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"

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
  WinRuntime runtime;
  const Result<std::u16string> path = runtime.AppPath();
  ASSERT_TRUE(path.ok());
  ASSERT_GT(path.value().size(), 3u);  // the tests never run from a drive root
  EXPECT_NE(path.value().back(), u'\\');
  EXPECT_EQ(path.value()[1], u':');
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
