// The Windows runtime's own rules that need the system: how a failed COM call becomes an
// error, and the program's folder.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace torvane
