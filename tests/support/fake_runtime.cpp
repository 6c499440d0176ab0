#include "tests/support/fake_runtime.h"

#include <algorithm>
#include <array>
#include <utility>

#include "runtime/sha256.h"
#include "runtime/text.h"

namespace torvane::testing {
namespace {

std::u16string Parent(std::u16string_view key) {
  const size_t slash = key.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string()
                                            : std::u16string(key.substr(0, slash));
}

std::u16string Drive(std::u16string_view key) { return std::u16string(key.substr(0, 2)); }

class FakeAppendFile : public AppendFile {
 public:
  FakeAppendFile(FakeRuntime& fs, std::u16string path) : fs_(fs), path_(std::move(path)) {}
  Status Append(std::string_view bytes) override { return fs_.AppendTo(path_, bytes); }
  Result<FileFacts> Facts() override { return fs_.FactsOf(path_); }

 private:
  FakeRuntime& fs_;
  std::u16string path_;
};

// Windows' reading of a path: "/" as "\", "." and ".." folded, and trailing dots and
// spaces of every name dropped.
std::u16string Resolve(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::u16string part;
  auto flush = [&] {
    while (!part.empty() && (part.back() == u'.' || part.back() == u' ') && part != u"." &&
           part != u"..") {
      part.pop_back();
    }
    if (part == u"..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char16_t c : path) {
    if (c == u'\\' || c == u'/') {
      flush();
    } else {
      part.push_back(c);
    }
  }
  const bool trailing = !path.empty() && (path.back() == u'\\' || path.back() == u'/');
  flush();
  std::u16string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? u"\\" : u"") + parts[i];
  if (parts.size() == 1 || trailing) out += u"\\";
  return out;
}

}  // namespace

Error MakeError(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kNotFound:
      return {kind, 2, u"系统找不到指定的文件。"};
    case ErrorKind::kAccessDenied:
      return {kind, 5, u"拒绝访问。"};
    case ErrorKind::kInUse:
      return {kind, 32, u"另一个程序正在使用此文件，进程无法访问。"};
    case ErrorKind::kDiskFull:
      return {kind, 112, u"磁盘空间不足。"};
    case ErrorKind::kAlreadyExists:
      return {kind, 183, u"当文件已存在时，无法创建该文件。"};
    case ErrorKind::kNotSameDevice:
      return {kind, 17, u"系统无法将文件移到不同的磁盘驱动器。"};
    case ErrorKind::kBadPath:
      return {kind, 123, u"文件名、目录名或卷标语法不正确。"};
    case ErrorKind::kTooLarge:
      return {kind, 223, u"文件大小超出允许的限制，无法保存。"};
    case ErrorKind::kUsage:
    case ErrorKind::kOther:
    case ErrorKind::kLink:
    case ErrorKind::kReadBackDiffers:
    case ErrorKind::kSwapped:
      break;
  }
  return {ErrorKind::kOther, 31, u"连到系统上的设备没有发挥作用。"};
}

FakeRuntime::FakeRuntime() {
  Put({u"c:", true, 0, {}, 0, false, {}});
  Put({u"d:", true, 0, {}, 0, false, {}});
}

std::u16string FakeRuntime::Key(std::u16string_view path) {
  std::u16string key = LowerCase(path);
  while (!key.empty() && key.back() == u'\\') key.pop_back();
  return key;
}

const FakeRuntime::Node* FakeRuntime::Find(std::u16string_view path) const {
  const auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

FakeRuntime::Node* FakeRuntime::Find(std::u16string_view path) {
  const auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

bool FakeRuntime::FolderExists(std::u16string_view path) const {
  const Node* node = Find(path);
  return node != nullptr && node->folder;
}

void FakeRuntime::Put(Node node) {
  node.order = nextOrder_++;
  std::u16string key = Key(node.path);
  nodes_[key] = std::move(node);
}

void FakeRuntime::AddFolder(const std::u16string& path) {
  const std::u16string key = Key(path);
  if (!Parent(key).empty() && !FolderExists(Parent(key))) AddFolder(Parent(path));
  if (!Find(key)) Put({std::u16string(path.substr(0, key.size())), true, 0, {}, 0, false, {}});
}

void FakeRuntime::AddFile(const std::u16string& path, const std::string& content,
                          std::uint32_t attributes) {
  AddFolder(Parent(path));
  Put({path, false, attributes & ~kAttrFolder, content, 0, false, content});
}

void FakeRuntime::Erase(const std::u16string& path) { nodes_.erase(Key(path)); }

void FakeRuntime::Revive() {
  deathCall_.reset();
  if (!std::exchange(powerCut_, false)) return;
  for (auto& [key, node] : nodes_) node.content = node.flushed;
}

void FakeRuntime::HoldOpen(const std::u16string& path) {
  if (Node* node = Find(path)) node->heldOpen = true;
}

void FakeRuntime::MarkReparsePoint(const std::u16string& path) {
  if (Node* node = Find(path)) node->attributes |= kAttrReparsePoint;
}

void FakeRuntime::Release(const std::u16string& path) {
  if (Node* node = Find(path)) node->heldOpen = false;
}

bool FakeRuntime::Exists(const std::u16string& path) const { return Find(path) != nullptr; }

std::optional<std::string> FakeRuntime::Content(const std::u16string& path) const {
  const Node* node = Find(path);
  if (node == nullptr || node->folder) return std::nullopt;
  return node->content;
}

std::optional<std::uint32_t> FakeRuntime::Attributes(const std::u16string& path) const {
  const Node* node = Find(path);
  if (node == nullptr) return std::nullopt;
  return node->attributes | (node->folder ? kAttrFolder : 0u);
}

std::vector<std::u16string> FakeRuntime::Children(const std::u16string& folder) const {
  const std::u16string parent = Key(folder);
  std::vector<const Node*> found;
  for (const auto& [key, node] : nodes_) {
    if (Parent(key) == parent) found.push_back(&node);
  }
  std::sort(found.begin(), found.end(),
            [](const Node* a, const Node* b) { return a->order < b->order; });
  std::vector<std::u16string> names;
  for (const Node* node : found) names.push_back(NameOf(node->path));
  return names;
}

std::map<std::u16string, std::string> FakeRuntime::FilesBelow(const std::u16string& folder) const {
  const std::u16string prefix = Key(folder) + u"\\";
  std::map<std::u16string, std::string> files;
  for (const auto& [key, node] : nodes_) {
    if (!node.folder && key.rfind(prefix, 0) == 0) files[node.path] = node.content;
  }
  return files;
}

std::optional<Error> FakeRuntime::Begin(Op op, std::u16string_view path,
                                        std::u16string_view other) {
  const std::uint64_t call = calls_++;
  history_.push_back(op);
  if (deathCall_ && call >= *deathCall_) return MakeError(ErrorKind::kOther);
  for (Fault& fault : faults_) {
    if (fault.times == 0) continue;
    if (fault.op && *fault.op != op) continue;
    if (fault.call && *fault.call != call) continue;
    if (!fault.pathContains.empty()) {
      const std::u16string needle = LowerCase(fault.pathContains);
      if (!Contains(LowerCase(path), needle) && !Contains(LowerCase(other), needle)) continue;
    }
    if (fault.times > 0) --fault.times;
    if (fault.call) fault = {op, std::nullopt, std::u16string(path), fault.kind, fault.times};
    return MakeError(fault.kind);
  }
  return std::nullopt;
}

Result<std::vector<DirEntry>> FakeRuntime::List(const std::u16string& pattern, std::uint32_t mask) {
  if (auto error = Begin(Op::kList, pattern)) return *error;
  const bool wholeFolder = !pattern.empty() && pattern.back() == u'\\';
  const std::u16string folder = wholeFolder ? pattern : FolderOf(pattern);
  const std::u16string name = wholeFolder ? u"*" : NameOf(pattern);
  std::vector<DirEntry> entries;
  if (folder.empty() || !FolderExists(folder)) return entries;
  for (const std::u16string& child : Children(folder)) {
    const Node* node = Find(Key(folder) + u"\\" + child);
    if (!MatchesWildcard(name, child) ||
        !Admits(mask, node->attributes | (node->folder ? kAttrFolder : 0u)))
      continue;
    entries.push_back(
        {child, node->attributes | (node->folder ? kAttrFolder : 0u), node->content.size()});
  }
  return entries;
}

Status FakeRuntime::Delete(const std::u16string& path) {
  if (auto error = Begin(Op::kDelete, path)) return *error;
  const Node* node = Find(path);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  if (node->folder || (node->attributes & kAttrReadOnly))
    return MakeError(ErrorKind::kAccessDenied);
  if (node->heldOpen) return MakeError(ErrorKind::kInUse);
  nodes_.erase(Key(path));
  return Status();
}

Status FakeRuntime::FileCopy(const std::u16string& source, const std::u16string& destination) {
  if (auto error = Begin(Op::kFileCopy, source, destination)) return *error;
  const Node* from = Find(source);
  if (from == nullptr || from->folder) return MakeError(ErrorKind::kNotFound);
  if (from->heldOpen) return MakeError(ErrorKind::kInUse);
  if (!FolderExists(Parent(Key(destination)))) return MakeError(ErrorKind::kNotFound);
  if (const Node* to = Find(destination)) {
    if (to->folder || (to->attributes & kAttrReadOnly)) return MakeError(ErrorKind::kAccessDenied);
    return MakeError(ErrorKind::kAlreadyExists);
  }
  Node copy = *from;
  copy.path = destination;
  copy.links = 1;
  copy.flushed.clear();
  Put(std::move(copy));
  return Status();
}

Status FakeRuntime::SetAttr(const std::u16string& path, std::uint32_t attributes) {
  if (auto error = Begin(Op::kSetAttr, path)) return *error;
  Node* node = Find(path);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  if (node->links > 1) return MakeError(ErrorKind::kAccessDenied);
  node->attributes = attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  return Status();
}

Result<std::uint32_t> FakeRuntime::GetAttr(const std::u16string& path) {
  if (auto error = Begin(Op::kGetAttr, path)) return *error;
  const std::optional<std::uint32_t> attributes = Attributes(path);
  if (!attributes) return MakeError(ErrorKind::kNotFound);
  return *attributes;
}

Status FakeRuntime::MkDir(const std::u16string& path) {
  if (auto error = Begin(Op::kMkDir, path)) return *error;
  if (Find(path)) return MakeError(ErrorKind::kAlreadyExists);
  if (!FolderExists(Parent(Key(path)))) return MakeError(ErrorKind::kNotFound);
  Put({path, true, 0, {}, 0, false, {}});
  return Status();
}

Status FakeRuntime::RenameWrittenThrough(const std::u16string& from, const std::u16string& to) {
  Status renamed = Rename(from, to);
  if (renamed.ok()) writtenThrough_.push_back(to);
  return renamed;
}

Status FakeRuntime::Rename(const std::u16string& from, const std::u16string& to) {
  if (auto error = Begin(Op::kRename, from, to)) return *error;
  const Node* node = Find(from);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  if (node->heldOpen || node->holds > 0) return MakeError(ErrorKind::kInUse);
  if (Drive(Key(from)) != Drive(Key(to))) return MakeError(ErrorKind::kNotSameDevice);
  if (!FolderExists(Parent(Key(to)))) return MakeError(ErrorKind::kNotFound);
  if (Find(to)) return MakeError(ErrorKind::kAlreadyExists);
  const std::u16string oldKey = Key(from);
  std::vector<Node> moved;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == oldKey || it->first.rfind(oldKey + u"\\", 0) == 0) {
      Node n = it->second;
      n.path = to + n.path.substr(oldKey.size());
      moved.push_back(std::move(n));
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  for (Node& n : moved) Put(std::move(n));
  return Status();
}

Result<bool> FakeRuntime::SameContent(const std::u16string& a, const std::u16string& b) {
  if (auto error = Begin(Op::kSameContent, a, b)) return *error;
  const Node* x = Find(a);
  const Node* y = Find(b);
  if (x == nullptr || y == nullptr || x->folder || y->folder)
    return MakeError(ErrorKind::kNotFound);
  if (x->heldOpen || y->heldOpen) return MakeError(ErrorKind::kInUse);
  return x->content == y->content;
}

Result<bool> FakeRuntime::IsPrefix(const std::u16string& part, const std::u16string& whole) {
  if (auto error = Begin(Op::kIsPrefix, part, whole)) return *error;
  const Node* x = Find(part);
  const Node* y = Find(whole);
  if (x == nullptr || y == nullptr || x->folder || y->folder)
    return MakeError(ErrorKind::kNotFound);
  if (x->heldOpen || y->heldOpen) return MakeError(ErrorKind::kInUse);
  return y->content.compare(0, x->content.size(), x->content) == 0;
}

Result<std::u16string> FakeRuntime::AppPath() {
  if (auto error = Begin(Op::kAppPath, u"")) return *error;
  return appPath_;
}

int FakeRuntime::MsgBox(const std::u16string& prompt, std::uint32_t flags,
                        const std::u16string& title) {
  if (deathCall_ && calls_ >= *deathCall_) return 1;
  boxes_.push_back({prompt, flags, title});
  if (onBox_) onBox_();
  if (answers_.empty()) return 1;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

Result<std::unique_ptr<AppendFile>> FakeRuntime::OpenForAppend(const std::u16string& path,
                                                               OpenMode mode) {
  if (auto error = Begin(Op::kOpenForAppend, path)) return *error;
  if (!FolderExists(Parent(Key(path)))) return MakeError(ErrorKind::kNotFound);
  const Node* node = Find(path);
  if (mode == OpenMode::kCreateNew && node != nullptr) {
    return MakeError(ErrorKind::kAlreadyExists);
  }
  if (mode == OpenMode::kExisting && node == nullptr) return MakeError(ErrorKind::kNotFound);
  if (node != nullptr && (node->folder || (node->attributes & kAttrReparsePoint) != 0)) {
    return MakeError(ErrorKind::kAccessDenied);
  }
  if (node != nullptr && node->heldOpen) return MakeError(ErrorKind::kInUse);
  if (node == nullptr) Put({path, false, kAttrArchive, {}, 0, false, {}});
  return std::unique_ptr<AppendFile>(std::make_unique<FakeAppendFile>(*this, path));
}

Status FakeRuntime::AppendTo(const std::u16string& path, std::string_view bytes) {
  const bool dies = deathCall_ && calls_ == *deathCall_;
  if (auto error = Begin(Op::kAppend, path)) {
    Node* node = Find(path);
    if (dies && node != nullptr) node->content.append(bytes.substr(0, bytes.size() / 2));
    return *error;
  }
  Node* node = Find(path);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  node->content.append(bytes);
  node->flushed = node->content;
  return Status();
}

Result<std::string> FakeRuntime::ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) {
  Result<FileRead> read = ReadWholeFileAndFacts(path, maxBytes);
  if (!read.ok()) return read.error();
  return std::move(read.value().bytes);
}

Result<FileDigest> FakeRuntime::Digest(const std::u16string& path) {
  if (auto error = Begin(Op::kDigest, path)) return *error;
  const Node* node = Find(path);
  if (node == nullptr || node->folder) return MakeError(ErrorKind::kNotFound);
  if (node->heldOpen) return MakeError(ErrorKind::kInUse);
  return FileDigest{node->content.size(), Sha256Hex(node->content)};
}

Result<CheckedCopy> FakeRuntime::CopyAndDigest(const std::u16string& source,
                                               const std::u16string& destination) {
  if (Status copied = FileCopy(source, destination); !copied.ok()) {
    return copied.error();
  }
  const Result<FileDigest> read = Digest(source);
  const Result<FileDigest> back = read.ok() ? Digest(destination) : read;
  const std::optional<Error> unflushed = back.ok() ? Begin(Op::kFlush, destination) : back.error();
  if (unflushed) {
    SkipOnFailure(Delete(destination));
    return *unflushed;
  }
  Node* copy = Find(destination);
  copy->flushed = copy->content;
  return CheckedCopy{read.value(), read.value() == back.value()};
}

Status FakeRuntime::RmDir(const std::u16string& path) {
  if (auto error = Begin(Op::kRmDir, path)) return *error;
  if (!FolderExists(path)) return MakeError(ErrorKind::kNotFound);
  if (Find(path)->holds > 0) return MakeError(ErrorKind::kInUse);
  if (!Children(path).empty()) return {Error{ErrorKind::kOther, 145, u"目录不是空的。"}};
  nodes_.erase(Key(path));
  return Status();
}

namespace {

class FakeHeldLock : public HeldLock {
 public:
  FakeHeldLock(FakeRuntime& fs, std::u16string path) : fs_(fs), path_(std::move(path)) {}
  ~FakeHeldLock() override { fs_.ReleaseLock(path_); }

 private:
  FakeRuntime& fs_;
  std::u16string path_;
};

}  // namespace

Result<std::unique_ptr<HeldLock>> FakeRuntime::Lock(const std::u16string& path) {
  if (auto error = Begin(Op::kLock, path)) return *error;
  if (!FolderExists(Parent(Key(path)))) return MakeError(ErrorKind::kNotFound);
  if (locks_.count(Key(path))) return MakeError(ErrorKind::kInUse);
  if (const Node* node = Find(path); node != nullptr && node->folder) {
    return MakeError(ErrorKind::kAccessDenied);
  }
  locks_.insert(Key(path));
  Put({path, false, kAttrHidden, {}, 0, false, {}});
  return std::unique_ptr<HeldLock>(std::make_unique<FakeHeldLock>(*this, path));
}

void FakeRuntime::ReleaseLock(const std::u16string& path) {
  // The system deletes the file as its handle closes; a power cut closes nothing.
  if (locks_.erase(Key(path)) && !(powerCut_ && dead())) nodes_.erase(Key(path));
}

Result<std::u16string> FakeRuntime::FullPath(const std::u16string& path) {
  if (auto error = Begin(Op::kFullPath, path)) return *error;
  if (path.size() < 3 || path[1] != u':' || (path[2] != u'\\' && path[2] != u'/')) {
    return MakeError(ErrorKind::kBadPath);
  }
  return Resolve(path);
}

Result<std::u16string> FakeRuntime::ProgramPath() {
  return programPath_.empty() ? WithTrailingBackslash(appPath_) + u"Torvane.exe" : programPath_;
}

Result<std::vector<RunningProgram>> FakeRuntime::RunningPrograms() {
  if (auto error = Begin(Op::kRunningPrograms, u"")) return *error;
  return programs_;
}

Result<std::vector<RunningProgram>> FakeRuntime::ProgramsUsing(
    const std::vector<std::u16string>& files) {
  if (auto error = Begin(Op::kProgramsUsing, u"")) return *error;
  std::vector<RunningProgram> users;
  for (const auto& [program, held] : fileUsers_) {
    for (const std::u16string& file : files) {
      if (Key(file) == Key(held)) users.push_back(program);
    }
  }
  return users;
}

std::u16string FakeRuntime::Unaliased(const std::u16string& path) const {
  std::u16string key = Key(path);
  for (const auto& [alias, target] : aliases_) {
    const std::u16string from = Key(alias);
    if (key == from || key.rfind(from + u"\\", 0) == 0) key = Key(target) + key.substr(from.size());
  }
  return key;
}

Result<FileIdentity> FakeRuntime::IdentityOf(const std::u16string& path) {
  if (auto error = Begin(Op::kIdentityOf, path)) return *error;
  const Result<FileFacts> facts = FactsOf(path);
  if (!facts.ok()) return facts.error();
  return facts.value().identity;
}

Result<FileFacts> FakeRuntime::FactsOf(const std::u16string& path) const {
  const std::u16string key = Unaliased(path);
  const Node* node = Find(key);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  return FileFacts{{key[0], 0, node->order}, node->content.size(), node->links};
}

void FakeRuntime::SetLinks(const std::u16string& path, std::uint32_t links) {
  if (Node* node = Find(path)) node->links = links;
}

bool FakeRuntime::Held(const std::u16string& path) const {
  const Node* node = Find(path);
  return node != nullptr && node->holds > 0;
}

namespace {

class FakeHeldFolder : public HeldFolder {
 public:
  FakeHeldFolder(FakeRuntime& fs, std::u16string path, std::uint32_t attributes)
      : fs_(fs), path_(std::move(path)), attributes_(attributes) {}
  ~FakeHeldFolder() override { fs_.LetGo(path_); }
  std::uint32_t attributes() const override { return attributes_; }

 private:
  FakeRuntime& fs_;
  std::u16string path_;
  std::uint32_t attributes_;
};

}  // namespace

Result<std::unique_ptr<HeldFolder>> FakeRuntime::HoldFolder(const std::u16string& path) {
  if (auto error = Begin(Op::kHoldFolder, path)) return *error;
  Node* node = Find(path);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  ++node->holds;
  const std::uint32_t attributes = node->attributes | (node->folder ? kAttrFolder : 0u);
  return std::unique_ptr<HeldFolder>(std::make_unique<FakeHeldFolder>(*this, path, attributes));
}

void FakeRuntime::LetGo(const std::u16string& path) {
  if (Node* node = Find(path)) --node->holds;
}

Result<FileRead> FakeRuntime::ReadWholeFileAndFacts(const std::u16string& path,
                                                    std::uint64_t maxBytes) {
  if (auto error = Begin(Op::kReadWholeFile, path)) return *error;
  const Node* node = Find(path);
  if (node == nullptr || node->folder) return MakeError(ErrorKind::kNotFound);
  if (node->heldOpen) return MakeError(ErrorKind::kInUse);
  if (node->content.size() > maxBytes) return MakeError(ErrorKind::kTooLarge);
  return FileRead{node->content, FactsOf(path).value()};
}

Status FakeRuntime::ProbeWrite(const std::u16string& folder) {
  if (auto error = Begin(Op::kProbeWrite, folder)) return *error;
  return FolderExists(folder) ? Status() : Status(MakeError(ErrorKind::kNotFound));
}

Status FakeRuntime::ProbeRename(const std::u16string& file) {
  if (auto error = Begin(Op::kProbeRename, file)) return *error;
  const Node* node = Find(file);
  if (node == nullptr) return MakeError(ErrorKind::kNotFound);
  if (node->heldOpen) return MakeError(ErrorKind::kInUse);
  return Status();
}

Result<std::uint64_t> FakeRuntime::FreeSpace(const std::u16string& folder) {
  if (auto error = Begin(Op::kFreeSpace, folder)) return *error;
  if (!FolderExists(folder)) return MakeError(ErrorKind::kNotFound);
  const auto it = freeSpace_.find(Drive(Unaliased(folder)));
  return it == freeSpace_.end() ? std::uint64_t{1} << 40 : it->second;
}

Status FakeRuntime::RestartElevated(const std::u16string& argument) {
  if (auto error = Begin(Op::kRestartElevated, argument)) return *error;
  restarts_.push_back(argument);
  return Status();
}

namespace {
constexpr std::string_view kVersionLine = "FILEVERSION ";
}  // namespace

std::string VersionedContent(std::string_view version, std::string_view body) {
  return std::string(kVersionLine) + std::string(version) + "\n" + std::string(body);
}

std::optional<FileVersion> FakeRuntime::VersionOf(const std::u16string& path) {
  if (Begin(Op::kVersionOf, path)) return std::nullopt;
  const Node* node = Find(path);
  if (!node || node->folder || node->content.rfind(kVersionLine, 0) != 0) return std::nullopt;
  std::array<std::uint16_t, 4> parts{};
  std::size_t at = kVersionLine.size();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::size_t end = at;
    unsigned value = 0;
    while (end < node->content.size() && node->content[end] >= '0' && node->content[end] <= '9') {
      value = value * 10 + static_cast<unsigned>(node->content[end++] - '0');
    }
    if (end == at || value > 0xFFFF) return std::nullopt;
    parts[i] = static_cast<std::uint16_t>(value);
    at = end + 1;
  }
  return FileVersion{parts[0], parts[1], parts[2], parts[3]};
}

}  // namespace torvane::testing
