#include "runtime/win_runtime.h"

#include <optional>
#include <thread>

#include "runtime/sha256.h"
#include "runtime/text.h"
#include "runtime/win_copy.h"
#include "runtime/win_handles.h"

namespace torvane {
namespace {

using win::U;
using win::W;

// Below this a path works in its plain form (folders allow 12 characters less).
constexpr size_t kPlainPathLimit = MAX_PATH - 12;
constexpr DWORD kCompareChunk = 1 << 16;
// Digests read in larger pieces: fewer calls for the same bytes.
constexpr DWORD kDigestChunk = 1 << 20;
// What a copy keeps of its source's attributes, as CopyFileW does.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

Status StatusOf(BOOL succeeded) { return succeeded ? Status() : Status(LastError()); }

win::UniqueFile OpenForReading(const std::u16string& path) {
  return win::UniqueFile(::CreateFileW(W(ExtendedPath(path)), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN | kNoImpersonation, nullptr));
}

Result<FileFacts> FactsOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return LastError();
  return FileFacts{{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow},
                   (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow,
                   info.nNumberOfLinks};
}

// Reads as much of `size` bytes as the file gives; false on a read error.
bool ReadChunk(HANDLE file, std::string& buffer, DWORD& got) {
  return ::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0;
}

// Journal lines: written through at once and flushed, shared for reading so that a user
// can open the journal while the tool runs.
class WinAppendFile : public AppendFile {
 public:
  explicit WinAppendFile(win::UniqueFile file) : file_(std::move(file)) {}
  Status Append(std::string_view bytes) override {
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr)) {
      return LastError();
    }
    if (written != bytes.size()) return ErrorFromCode(ERROR_WRITE_FAULT);
    return StatusOf(::FlushFileBuffers(file_.get()));
  }
  Result<FileFacts> Facts() override { return FactsOf(file_.get()); }

 private:
  win::UniqueFile file_;
};

class WinHeldFolder : public HeldFolder {
 public:
  WinHeldFolder(win::UniqueFile folder, DWORD attributes)
      : folder_(std::move(folder)), attributes_(attributes) {}
  std::uint32_t attributes() const override { return attributes_; }

 private:
  win::UniqueFile folder_;
  DWORD attributes_;
};

class WinHeldLock : public HeldLock {
 public:
  explicit WinHeldLock(win::UniqueFile file) : file_(std::move(file)) {}

 private:
  win::UniqueFile file_;
};

// Reads until `want` bytes are in or the file ends; false on a read error.
bool ReadExactly(HANDLE file, std::string& buffer, DWORD want, DWORD& got) {
  got = 0;
  while (got < want) {
    DWORD more = 0;
    if (!::ReadFile(file, buffer.data() + got, want - got, &more, nullptr)) return false;
    if (more == 0) return true;
    got += more;
  }
  return true;
}

std::u16string TwoDigits(int value) {
  return std::u16string{static_cast<char16_t>(u'0' + value / 10 % 10),
                        static_cast<char16_t>(u'0' + value % 10)};
}

}  // namespace

std::u16string ExtendedPath(const std::u16string& path) {
  if (path.size() < kPlainPathLimit || path.rfind(u"\\\\?\\", 0) == 0) return path;
  const bool drive = path.size() > 2 && path[1] == u':' && path[2] == u'\\';
  const bool unc = path.rfind(u"\\\\", 0) == 0;
  if (!drive && !unc) return path;
  // The extended form is taken literally: "." and ".." and "/" must be resolved first.
  const DWORD needed = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
  std::u16string full = path;
  if (needed > 0) {
    std::wstring buffer(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(W(path), needed, buffer.data(), nullptr);
    if (written > 0 && written < needed) full = U(buffer.c_str(), written);
  }
  return unc ? u"\\\\?\\UNC\\" + full.substr(2) : u"\\\\?\\" + full;
}

Result<std::vector<DirEntry>> WinRuntime::List(const std::u16string& pattern, std::uint32_t mask) {
  const std::u16string query =
      !pattern.empty() && pattern.back() == u'\\' ? pattern + u"*" : pattern;
  std::vector<DirEntry> entries;
  WIN32_FIND_DATAW found{};
  win::UniqueFind find(::FindFirstFileExW(W(ExtendedPath(query)), FindExInfoBasic, &found,
                                          FindExSearchNameMatch, nullptr,
                                          FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    const Error error = LastError();
    if (error.kind == ErrorKind::kNotFound || error.code == ERROR_NO_MORE_FILES) return entries;
    return error;
  }
  do {
    const std::u16string name = U(found.cFileName);
    if (name != u"." && name != u".." && Admits(mask, found.dwFileAttributes)) {
      const std::uint64_t size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
      entries.push_back({name, found.dwFileAttributes, size});
    }
  } while (::FindNextFileW(find.get(), &found));
  if (::GetLastError() != ERROR_NO_MORE_FILES) return LastError();
  return entries;
}

Status WinRuntime::Delete(const std::u16string& path) {
  return StatusOf(::DeleteFileW(W(ExtendedPath(path))));
}

Status WinRuntime::FileCopy(const std::u16string& source, const std::u16string& destination) {
  return StatusOf(::CopyFileW(W(ExtendedPath(source)), W(ExtendedPath(destination)), TRUE));
}

Status WinRuntime::SetAttr(const std::u16string& path, std::uint32_t attributes) {
  // The names are counted and the attributes set through one handle, so the file counted
  // is the file changed (rule 11). A link is changed as itself, as SetFileAttributesW does.
  const win::UniqueFile file(::CreateFileW(
      W(ExtendedPath(path)), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | kNoImpersonation, nullptr));
  if (!file) return LastError();
  const Result<FileFacts> facts = FactsOf(file.get());
  if (!facts.ok()) return facts.error();
  if (facts.value().links > 1) return ErrorFromCode(ERROR_ACCESS_DENIED);
  FILE_BASIC_INFO basic{};  // times of zero are left as they are
  basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return StatusOf(::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof(basic)));
}

Result<std::uint32_t> WinRuntime::GetAttr(const std::u16string& path) {
  const DWORD attributes = ::GetFileAttributesW(W(ExtendedPath(path)));
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  return static_cast<std::uint32_t>(attributes);
}

Status WinRuntime::MkDir(const std::u16string& path) {
  return StatusOf(::CreateDirectoryW(W(ExtendedPath(path)), nullptr));
}

Status WinRuntime::Rename(const std::u16string& from, const std::u16string& to) {
  return StatusOf(::MoveFileExW(W(ExtendedPath(from)), W(ExtendedPath(to)), 0));
}

Status WinRuntime::RenameWrittenThrough(const std::u16string& from, const std::u16string& to) {
  // rule 13
  return StatusOf(
      ::MoveFileExW(W(ExtendedPath(from)), W(ExtendedPath(to)), MOVEFILE_WRITE_THROUGH));
}

Result<bool> WinRuntime::SameContent(const std::u16string& a, const std::u16string& b) {
  const win::UniqueFile first = OpenForReading(a);
  if (!first) return LastError();
  const win::UniqueFile second = OpenForReading(b);
  if (!second) return LastError();
  LARGE_INTEGER sizeA{}, sizeB{};
  if (!::GetFileSizeEx(first.get(), &sizeA) || !::GetFileSizeEx(second.get(), &sizeB)) {
    return LastError();
  }
  if (sizeA.QuadPart != sizeB.QuadPart) return false;
  std::string bufferA(kCompareChunk, '\0'), bufferB(kCompareChunk, '\0');
  for (;;) {
    DWORD gotA = 0, gotB = 0;
    if (!ReadChunk(first.get(), bufferA, gotA) || !ReadChunk(second.get(), bufferB, gotB)) {
      return LastError();
    }
    if (gotA != gotB || bufferA.compare(0, gotA, bufferB, 0, gotB) != 0) return false;
    if (gotA == 0) return true;
  }
}

Result<bool> WinRuntime::IsPrefix(const std::u16string& part, const std::u16string& whole) {
  const win::UniqueFile first = OpenForReading(part);
  if (!first) return LastError();
  const win::UniqueFile second = OpenForReading(whole);
  if (!second) return LastError();
  LARGE_INTEGER sizePart{}, sizeWhole{};
  if (!::GetFileSizeEx(first.get(), &sizePart) || !::GetFileSizeEx(second.get(), &sizeWhole)) {
    return LastError();
  }
  if (sizePart.QuadPart > sizeWhole.QuadPart) return false;
  std::string bufferA(kCompareChunk, '\0'), bufferB(kCompareChunk, '\0');
  for (;;) {
    DWORD gotA = 0, gotB = 0;
    if (!ReadChunk(first.get(), bufferA, gotA)) return LastError();
    if (gotA == 0) return true;
    if (!ReadExactly(second.get(), bufferB, gotA, gotB)) return LastError();
    if (gotB != gotA || bufferA.compare(0, gotA, bufferB, 0, gotB) != 0) return false;
  }
}

Result<std::u16string> WinRuntime::AppPath() {
  const Result<std::u16string> program = ProgramPath();
  if (!program.ok()) return program;
  return AppFolderOf(program.value());
}

int WinRuntime::MsgBox(const std::u16string& prompt, std::uint32_t flags,
                       const std::u16string& title) {
  return ::MessageBoxW(owner_, W(prompt), W(title), flags);
}

void WinRuntime::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

Result<std::unique_ptr<AppendFile>> WinRuntime::OpenForAppend(const std::u16string& path,
                                                              OpenMode mode) {
  // A link is opened as itself, never followed: a journal never writes outside its folder.
  win::UniqueFile file(::CreateFileW(
      W(ExtendedPath(path)), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      mode == OpenMode::kCreateNew ? CREATE_NEW : OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | kNoImpersonation, nullptr));
  if (!file) return LastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return LastError();
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return ErrorFromCode(ERROR_ACCESS_DENIED);
  }
  return std::unique_ptr<AppendFile>(std::make_unique<WinAppendFile>(std::move(file)));
}

Result<std::string> WinRuntime::ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) {
  Result<FileRead> read = ReadWholeFileAndFacts(path, maxBytes);
  if (!read.ok()) return read.error();
  return std::move(read.value().bytes);
}

Result<FileRead> WinRuntime::ReadWholeFileAndFacts(const std::u16string& path,
                                                   std::uint64_t maxBytes) {
  const win::UniqueFile file = OpenForReading(path);
  if (!file) return LastError();
  Result<FileFacts> facts = FactsOf(file.get());
  if (!facts.ok()) return facts.error();
  if (facts.value().size > maxBytes) return ErrorFromCode(ERROR_FILE_TOO_LARGE);
  FileRead read{{}, facts.value()};
  std::string buffer(kCompareChunk, '\0');
  for (DWORD got = 0; ReadChunk(file.get(), buffer, got);) {
    if (got == 0) return read;
    read.bytes.append(buffer, 0, got);
  }
  return LastError();
}

Result<std::unique_ptr<HeldFolder>> WinRuntime::HoldFolder(const std::u16string& path) {
  // Listing access and no delete sharing: renaming or removing the folder needs delete
  // access, which no one gets while it is held. Files inside are created, renamed and
  // deleted as ever.
  win::UniqueFile folder(::CreateFileW(
      W(ExtendedPath(path)), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | kNoImpersonation, nullptr));
  if (!folder) return LastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(folder.get(), &info)) return LastError();
  // Wine opens a link's target even when told not to follow it; the name's own attributes,
  // read once the folder is held (a real folder can no longer be swapped), show the link.
  const DWORD named = ::GetFileAttributesW(W(ExtendedPath(path)));
  const DWORD link = named == INVALID_FILE_ATTRIBUTES ? 0 : named & FILE_ATTRIBUTE_REPARSE_POINT;
  return std::unique_ptr<HeldFolder>(
      std::make_unique<WinHeldFolder>(std::move(folder), info.dwFileAttributes | link));
}

Result<FileDigest> WinRuntime::Digest(const std::u16string& path) {
  const win::UniqueFile file = OpenForReading(path);
  if (!file) return LastError();
  Sha256 sha;
  FileDigest digest;
  std::string buffer(kDigestChunk, '\0');
  for (DWORD got = 0; ReadChunk(file.get(), buffer, got);) {
    if (got == 0) {
      digest.sha256 = sha.FinalHex();
      return digest;
    }
    sha.Update(std::string_view(buffer.data(), got));
    digest.size += got;
  }
  return LastError();
}

Result<CheckedCopy> WinRuntime::CopyAndDigest(const std::u16string& source,
                                              const std::u16string& destination) {
  const win::UniqueFile from = OpenForReading(source);
  if (!from) return LastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(from.get(), &info)) return LastError();
  const std::u16string target = ExtendedPath(destination);
  win::UniqueFile to(::CreateFileW(W(target), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   (info.dwFileAttributes & kCopiedAttributes) |
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN |
                                       kNoImpersonation,
                                   nullptr));
  if (!to) return LastError();
  Result<CheckedCopy> copied = CopyAndCheck(from.get(), to.get());
  if (copied.ok() && !::SetFileTime(to.get(), nullptr, nullptr, &info.ftLastWriteTime)) {
    copied = LastError();
  }
  // The bytes reach the disk before the copy can take a game file's name.
  if (copied.ok() && !::FlushFileBuffers(to.get())) copied = LastError();
  to.reset();
  // A copy cut short is taken away again, as CopyFileW does.
  if (!copied.ok()) {
    ::SetFileAttributesW(W(target), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(W(target));
  }
  return copied;
}

std::vector<Result<CheckedCopy>> WinRuntime::CopyAndDigestAll(
    const std::vector<CopyOrder>& copies) {
  std::vector<std::optional<Result<CheckedCopy>>> ended(copies.size());
  {
    // Each copy hashes on one thread and writes on another (win_copy.h): side by side, the
    // copies keep every processor busy, and each one's flush waits while others work.
    std::vector<std::jthread> copying;
    for (std::size_t i = 0; i < copies.size(); ++i) {
      copying.emplace_back(
          [&, i] { ended[i] = CopyAndDigest(copies[i].source, copies[i].destination); });
    }
  }
  std::vector<Result<CheckedCopy>> copied;
  for (std::optional<Result<CheckedCopy>>& one : ended) copied.push_back(std::move(*one));
  return copied;
}

Status WinRuntime::RmDir(const std::u16string& path) {
  return StatusOf(::RemoveDirectoryW(W(ExtendedPath(path))));
}

std::u16string WinRuntime::Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return Decimal(t.wYear) + u"-" + TwoDigits(t.wMonth) + u"-" + TwoDigits(t.wDay) + u" " +
         TwoDigits(t.wHour) + u":" + TwoDigits(t.wMinute) + u":" + TwoDigits(t.wSecond);
}

Result<std::unique_ptr<HeldLock>> WinRuntime::Lock(const std::u16string& path) {
  // No sharing: a second opener fails with a sharing violation. The system deletes the
  // file when the handle closes, at exit or when the process is killed; a link planted
  // under its name is opened, and removed, as itself.
  win::UniqueFile file(::CreateFileW(W(ExtendedPath(path)), GENERIC_READ | DELETE, 0, nullptr,
                                     OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE |
                                         FILE_FLAG_OPEN_REPARSE_POINT | kNoImpersonation,
                                     nullptr));
  if (!file) return LastError();
  return std::unique_ptr<HeldLock>(std::make_unique<WinHeldLock>(std::move(file)));
}

Result<std::u16string> WinRuntime::FullPath(const std::u16string& path) {
  const DWORD needed = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
  if (needed == 0) return LastError();
  std::wstring buffer(needed, L'\0');
  const DWORD written = ::GetFullPathNameW(W(path), needed, buffer.data(), nullptr);
  if (written == 0 || written >= needed) return LastError();
  return U(buffer.c_str(), written);
}

Result<std::u16string> WinRuntime::WindowsFolder() {
  wchar_t buffer[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return LastError();
  return U(buffer, length);
}

Result<std::u16string> WinRuntime::ProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return LastError();
    if (length < buffer.size()) return U(buffer.c_str(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace torvane
