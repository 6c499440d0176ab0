// The runtime the command line gives the job: the real one, except that message boxes
// become output lines (a question is answered Yes: the command itself was the answer),
// pauses are skipped with --no-pause, and with --patch-dir the replacements come from
// another folder.
#pragma once

#include <string>

#include "runtime/forwarding_runtime.h"
#include "cli/reporter.h"

namespace torvane::cli {

class CliRuntime : public ForwardingRuntime {
 public:
  // `patchDir` is absolute, or empty for the patch folder beside the program.
  CliRuntime(Runtime& inner, Reporter& out, bool noPause, std::u16string patchDir);

  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override;
  void Sleep(std::uint32_t milliseconds) override;
  // With --patch-dir the program's folder is taken to be that folder, and its
  // "patch\<name>" names the replacement <name> directly inside it.
  Result<std::u16string> AppPath() override;
  Result<std::uint32_t> GetAttr(const std::u16string& path) override;
  Status FileCopy(const std::u16string& source, const std::u16string& destination,
                  CopyMode mode) override;
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override;
  Result<FileDigest> Digest(const std::u16string& path) override;
  Result<std::string> ReadWholeFile(const std::u16string& path) override;
  // A console program does not start the window as administrator: the offer is refused.
  Status RestartElevated(const std::u16string& argument) override;

  // The text of the last box: what a refusal was about.
  const std::u16string& lastMessage() const { return lastMessage_; }

 private:
  std::u16string Source(const std::u16string& path) const;

  Reporter& out_;
  bool noPause_;
  std::u16string patchDir_;
  std::u16string lastMessage_;
};

}  // namespace torvane::cli
