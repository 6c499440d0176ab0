// A Runtime that hands every operation to another one. The command line's decorators
// derive from it and override only what they change. Every operation of Runtime is
// forwarded here: one added to the interface and not here leaves this class abstract,
// which the static_assert below turns into a compile error.
#pragma once

#include <type_traits>

#include "runtime/runtime.h"

namespace torvane::cli {

class ForwardingRuntime : public Runtime {
 public:
  explicit ForwardingRuntime(Runtime& inner) : inner_(inner) {}

  Result<std::u16string> Dir(const std::u16string& pattern, std::uint32_t mask) override {
    return inner_.Dir(pattern, mask);
  }
  Result<std::u16string> DirNext() override { return inner_.DirNext(); }
  Status Kill(const std::u16string& path) override { return inner_.Kill(path); }
  Status FileCopy(const std::u16string& source, const std::u16string& destination,
                  CopyMode mode) override {
    return inner_.FileCopy(source, destination, mode);
  }
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override {
    return inner_.SetAttr(path, attributes);
  }
  Result<std::uint32_t> GetAttr(const std::u16string& path) override {
    return inner_.GetAttr(path);
  }
  Status MkDir(const std::u16string& path) override { return inner_.MkDir(path); }
  Status Rename(const std::u16string& from, const std::u16string& to) override {
    return inner_.Rename(from, to);
  }
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override {
    return inner_.SameContent(a, b);
  }
  Result<std::u16string> AppPath() override { return inner_.AppPath(); }
  int MsgBox(const std::u16string& prompt, std::uint32_t flags,
             const std::u16string& title) override {
    return inner_.MsgBox(prompt, flags, title);
  }
  void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }

  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path) override {
    return inner_.OpenForAppend(path);
  }
  Result<std::string> ReadWholeFile(const std::u16string& path) override {
    return inner_.ReadWholeFile(path);
  }
  Result<FileDigest> Digest(const std::u16string& path) override { return inner_.Digest(path); }
  Status RmDir(const std::u16string& path) override { return inner_.RmDir(path); }
  std::u16string Now() override { return inner_.Now(); }

  Result<std::u16string> FullPath(const std::u16string& path) override {
    return inner_.FullPath(path);
  }
  Result<std::u16string> WindowsFolder() override { return inner_.WindowsFolder(); }
  Result<std::u16string> ProgramPath() override { return inner_.ProgramPath(); }
  Result<bool> SameFile(const std::u16string& a, const std::u16string& b) override {
    return inner_.SameFile(a, b);
  }

 protected:
  Runtime& inner() { return inner_; }

 private:
  Runtime& inner_;
};

static_assert(!std::is_abstract_v<ForwardingRuntime>,
              "ForwardingRuntime must forward every operation of Runtime");

}  // namespace torvane::cli
