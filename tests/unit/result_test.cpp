// SkipOnFailure in a debug build: each skipped failure reaches the installed handler with
// the place of the call, successes never do.
#include "runtime/result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torvane {
namespace {

struct Seen {
  std::uint32_t code;
  std::u16string description;
  std::string file;
  unsigned line;
};
std::vector<Seen> seen;

void Record(const Error& error, const std::source_location& where) {
  seen.push_back({error.code, error.description, where.file_name(), where.line()});
}

Result<int> Failing() { return Error{ErrorKind::kAccessDenied, 5, u"拒绝访问。"}; }

#ifndef NDEBUG
TEST(SkipOnFailure, TellsTheHandlerWhereAndWhatItSkipped) {
  seen.clear();
  const SkippedFailureHandler previous = SetSkippedFailureHandler(&Record);
  const unsigned line = __LINE__ + 1;
  SkipOnFailure(Status(Error{ErrorKind::kNotFound, 2, u"找不到文件。"}));
  SkipOnFailure(Status());
  SkipOnFailure(Result<int>(7));
  SkipOnFailure(Failing());
  SetSkippedFailureHandler(previous);

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].code, 2u);
  EXPECT_EQ(seen[0].description, u"找不到文件。");
  EXPECT_EQ(seen[0].line, line);
  EXPECT_NE(seen[0].file.find("result_test.cpp"), std::string::npos);
  EXPECT_EQ(seen[1].code, 5u);
  EXPECT_EQ(seen[1].line, line + 3);
}
#endif

TEST(SkipOnFailure, DefaultHandlerComesBackForNull) {
  const SkippedFailureHandler previous = SetSkippedFailureHandler(&Record);
  EXPECT_EQ(SetSkippedFailureHandler(nullptr), &Record);
  EXPECT_EQ(SetSkippedFailureHandler(previous), previous);
  seen.clear();
  ReportSkippedFailure(Error{}, std::source_location::current());  // the default: no crash
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace torvane
