#include "bench/set_stages.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "job/job_host.h"
#include "job/patch_job.h"
#include "runtime/forwarding_runtime.h"
#include "runtime/win_runtime.h"

namespace torvane::bench {
namespace {

double Now() {
  LARGE_INTEGER frequency, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Totals {
  std::map<std::string, double>& seconds;
  std::map<std::string, int>& calls;
};

template <class Call>
auto Clocked(Totals& totals, const char* name, Call call) {
  const double start = Now();
  auto result = call();
  totals.seconds[name] += Now() - start;
  ++totals.calls[name];
  return result;
}

class ClockedAppendFile : public AppendFile {
 public:
  ClockedAppendFile(std::unique_ptr<AppendFile> inner, Totals totals)
      : inner_(std::move(inner)), totals_(totals) {}
  Status Append(std::string_view bytes) override {
    return Clocked(totals_, "journal append", [&] { return inner_->Append(bytes); });
  }
  Result<FileFacts> Facts() override { return inner_->Facts(); }

 private:
  std::unique_ptr<AppendFile> inner_;
  Totals totals_;
};

// The operations a job calls, each clocked; the rest are passed on as they are.
class ClockedRuntime : public ForwardingRuntime {
 public:
  ClockedRuntime(Runtime& inner, Totals totals) : ForwardingRuntime(inner), totals_(totals) {}

  Result<std::vector<DirEntry>> List(const std::u16string& pattern, std::uint32_t mask) override {
    return Clocked(totals_, "List", [&] { return inner().List(pattern, mask); });
  }
  Result<std::uint32_t> GetAttr(const std::u16string& path) override {
    return Clocked(totals_, "GetAttr", [&] { return inner().GetAttr(path); });
  }
  Status SetAttr(const std::u16string& path, std::uint32_t attributes) override {
    return Clocked(totals_, "SetAttr", [&] { return inner().SetAttr(path, attributes); });
  }
  Status MkDir(const std::u16string& path) override {
    return Clocked(totals_, "MkDir", [&] { return inner().MkDir(path); });
  }
  Status Rename(const std::u16string& from, const std::u16string& to) override {
    return Clocked(totals_, "Rename", [&] { return inner().Rename(from, to); });
  }
  Status RenameWrittenThrough(const std::u16string& from, const std::u16string& to) override {
    return Clocked(totals_, "RenameWrittenThrough",
                   [&] { return inner().RenameWrittenThrough(from, to); });
  }
  Result<bool> SameContent(const std::u16string& a, const std::u16string& b) override {
    return Clocked(totals_, "SameContent", [&] { return inner().SameContent(a, b); });
  }
  Result<std::unique_ptr<AppendFile>> OpenForAppend(const std::u16string& path,
                                                    OpenMode mode) override {
    Result<std::unique_ptr<AppendFile>> opened =
        Clocked(totals_, "OpenForAppend", [&] { return inner().OpenForAppend(path, mode); });
    if (!opened.ok()) return opened;
    return std::unique_ptr<AppendFile>(
        std::make_unique<ClockedAppendFile>(std::move(opened.value()), totals_));
  }
  Result<FileDigest> Digest(const std::u16string& path) override {
    return Clocked(totals_, "Digest", [&] { return inner().Digest(path); });
  }
  Result<CheckedCopy> CopyAndDigest(const std::u16string& source,
                                    const std::u16string& destination) override {
    return Clocked(totals_, "CopyAndDigest",
                   [&] { return inner().CopyAndDigest(source, destination); });
  }
  std::vector<Result<CheckedCopy>> CopyAndDigestAll(const std::vector<CopyOrder>& copies) override {
    return Clocked(totals_, "CopyAndDigestAll", [&] { return inner().CopyAndDigestAll(copies); });
  }
  Result<std::unique_ptr<HeldLock>> Lock(const std::u16string& path) override {
    return Clocked(totals_, "Lock", [&] { return inner().Lock(path); });
  }
  Result<std::vector<RunningProgram>> RunningPrograms() override {
    return Clocked(totals_, "RunningPrograms", [&] { return inner().RunningPrograms(); });
  }
  Result<std::vector<RunningProgram>> ProgramsUsing(
      const std::vector<std::u16string>& files) override {
    return Clocked(totals_, "ProgramsUsing", [&] { return inner().ProgramsUsing(files); });
  }
  Result<FileIdentity> IdentityOf(const std::u16string& path) override {
    return Clocked(totals_, "IdentityOf", [&] { return inner().IdentityOf(path); });
  }
  Status ProbeWrite(const std::u16string& folder) override {
    return Clocked(totals_, "ProbeWrite", [&] { return inner().ProbeWrite(folder); });
  }
  Status ProbeRename(const std::u16string& file) override {
    return Clocked(totals_, "ProbeRename", [&] { return inner().ProbeRename(file); });
  }
  Result<std::uint64_t> FreeSpace(const std::u16string& folder) override {
    return Clocked(totals_, "FreeSpace", [&] { return inner().FreeSpace(folder); });
  }
  std::optional<FileVersion> VersionOf(const std::u16string& path) override {
    return Clocked(totals_, "VersionOf", [&] { return inner().VersionOf(path); });
  }
  Result<std::unique_ptr<HeldFolder>> HoldFolder(const std::u16string& path) override {
    return Clocked(totals_, "HoldFolder", [&] { return inner().HoldFolder(path); });
  }
  Result<FileRead> ReadWholeFileAndFacts(const std::u16string& path,
                                         std::uint64_t maxBytes) override {
    return Clocked(totals_, "ReadWholeFileAndFacts",
                   [&] { return inner().ReadWholeFileAndFacts(path, maxBytes); });
  }

 private:
  Totals totals_;
};

const char* NameOf(JobStage stage) {
  switch (stage) {
    case JobStage::kChecking:
      return "1 checking, preflight, journal";
    case JobStage::kRecovering:
      return "2 recovering";
    case JobStage::kSettingAside:
      return "3 msvcn80.dll aside";
    case JobStage::kStaging:
      return "4 staging";
    case JobStage::kSwapping:
      return "5 swapping";
    case JobStage::kTidying:
      return "6 tidying";
    case JobStage::kRestoring:
      return "7 restoring";
    case JobStage::kFinishing:
      return "8 finishing";
  }
  return "?";
}

// Charges the time since the last announcement to the stage announced then.
class StageClock : public JobHost {
 public:
  explicit StageClock(std::map<std::string, double>& stages) : stages_(stages), since_(Now()) {}
  void OnStage(JobStage stage) override {
    Close();
    current_ = NameOf(stage);
  }
  void OnFiles(std::size_t, std::size_t) override {}
  void Tell(const Report&) override {}
  bool Ask(const Report&) override { return true; }
  void Close() {
    const double now = Now();
    if (current_) stages_[current_] += now - since_;
    since_ = now;
  }

 private:
  std::map<std::string, double>& stages_;
  const char* current_ = nullptr;
  double since_;
};

}  // namespace

JobTimes TimeJobInProcess(const std::u16string& game, const std::u16string& patch) {
  JobTimes times;
  WinRuntime real;
  ClockedRuntime clocked(real, {times.operations, times.calls});
  StageClock clock(times.stages);
  JobRequest request(game + u"\\war3.exe");
  request.patchFolder = patch;
  request.pauses = false;
  const double start = Now();
  (void)RunPatchJob(request, clocked, clock);
  clock.Close();
  times.whole = Now() - start;
  return times;
}

}  // namespace torvane::bench
