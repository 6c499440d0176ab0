// Results of runtime operations. A failure carries the platform's own description, which
// the window later shows after "错误:". Both types are [[nodiscard]]: code that goes on
// after a failed step says so with SkipOnFailure, one statement at a time.
#pragma once

#include <cstdint>
#include <source_location>
#include <string>
#include <utility>
#include <variant>

namespace torvane {

enum class ErrorKind {
  kNotFound,      // the file or its folder does not exist
  kAccessDenied,  // read-only, protected, or a folder where a file was expected
  kInUse,         // held open by another process without sharing
  kDiskFull,
  kAlreadyExists,  // the destination name is taken
  kNotSameDevice,  // a rename across volumes
  kBadPath,        // a name the platform rejects
  kTooLarge,       // a file over the size its reader accepts
  kUsage,          // a command line that is not of the program's form
  kOther,
};

struct Error {
  ErrorKind kind = ErrorKind::kOther;
  std::uint32_t code = 0;      // the platform's error number
  std::u16string description;  // the platform's text for it
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit on purpose

  bool ok() const { return !failed_; }
  const Error& error() const { return error_; }
  bool Is(ErrorKind kind) const { return failed_ && error_.kind == kind; }

 private:
  Error error_;
  bool failed_ = false;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}      // NOLINT: implicit on purpose
  Result(Error error) : v_(std::move(error)) {}  // NOLINT: implicit on purpose

  bool ok() const { return v_.index() == 0; }
  const T& value() const { return std::get<0>(v_); }
  T& value() { return std::get<0>(v_); }
  const Error& error() const { return std::get<1>(v_); }
  bool Is(ErrorKind kind) const { return !ok() && error().kind == kind; }
  T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }
  Status status() const { return ok() ? Status() : Status(error()); }

 private:
  std::variant<T, Error> v_;
};

// Debug builds tell this function of every failure that SkipOnFailure skips, with the
// place of the call. The default writes one line to the debugger output on Windows
// ("file(line): skipped failure 5: description") and nothing elsewhere; a test or tool may
// install its own. Release builds never call it.
using SkippedFailureHandler = void (*)(const Error& error, const std::source_location& where);
// Installs `handler` (null: the default) and returns the one it replaces.
SkippedFailureHandler SetSkippedFailureHandler(SkippedFailureHandler handler);
void ReportSkippedFailure(const Error& error, const std::source_location& where);

// The statement failed and the procedure goes on with the next one, as intended.
inline void SkipOnFailure(const Status& status,
                          std::source_location where = std::source_location::current()) {
#ifndef NDEBUG
  if (!status.ok()) ReportSkippedFailure(status.error(), where);
#else
  (void)status;
  (void)where;
#endif
}
template <class T>
inline void SkipOnFailure(const Result<T>& result,
                          std::source_location where = std::source_location::current()) {
  SkipOnFailure(result.status(), where);
}

}  // namespace torvane
