#include "cli/dry_run.h"

#include <utility>

#include "resources/texts.h"
#include "runtime/sha256.h"
#include "runtime/text.h"

namespace torvane::cli {
namespace {

Error NotFound() { return {ErrorKind::kNotFound, 2, texts::kCliErrNotFound}; }
Error Exists() { return {ErrorKind::kAlreadyExists, 183, texts::kCliErrExists}; }
Error Denied() { return {ErrorKind::kAccessDenied, 5, texts::kCliErrDenied}; }
Error NotEmpty() { return {ErrorKind::kOther, 145, texts::kCliErrNotEmpty}; }
Error TooLarge() { return {ErrorKind::kTooLarge, 223, texts::kCliErrTooLarge}; }

// Bytes the layer copies from the disk to build on: a journal the real run appends to.
constexpr std::uint64_t kNoLimit = ~std::uint64_t{0};

std::u16string Key(std::u16string_view path) {
  std::u16string key = LowerCase(path);
  while (!key.empty() && key.back() == u'\\') key.pop_back();
  return key;
}

std::u16string ParentKey(std::u16string_view key) {
  const size_t slash = key.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string()
                                            : std::u16string(key.substr(0, slash));
}

std::u16string AttributeText(std::uint32_t attributes) {
  constexpr std::pair<std::uint32_t, std::u16string_view> kNames[] = {{kAttrReadOnly, u"read-only"},
                                                                      {kAttrHidden, u"hidden"},
                                                                      {kAttrSystem, u"system"},
                                                                      {kAttrArchive, u"archive"}};
  std::u16string text;
  for (const auto& [bit, name] : kNames) {
    if ((attributes & bit) == 0) continue;
    if (!text.empty()) text += u'|';
    text += name;
  }
  return text.empty() ? u"normal" : text;
}

bool SameFolder(const std::u16string& a, const std::u16string& b) {
  return LowerCase(FolderOf(a)) == LowerCase(FolderOf(b));
}

// Within a dry run a file is known by its path: the real file's identity would change once
// the layer holds it.
FileIdentity LayerIdentity(const std::u16string& path) {
  return FileIdentity{~0ull, std::hash<std::u16string>{}(Key(path)), 0};
}

class LayerAppendFile : public AppendFile {
 public:
  LayerAppendFile(std::shared_ptr<std::string> bytes, const std::u16string& path)
      : bytes_(std::move(bytes)), identity_(LayerIdentity(path)) {}
  Status Append(std::string_view bytes) override {
    bytes_->append(bytes);
    return Status();
  }
  Result<FileFacts> Facts() override { return FileFacts{identity_, bytes_->size(), 1}; }

 private:
  std::shared_ptr<std::string> bytes_;
  FileIdentity identity_;
};

// A folder held in the dry run's picture: the real one held as itself where there is one.
class LayerHeldFolder : public HeldFolder {
 public:
  LayerHeldFolder(std::unique_ptr<HeldFolder> real, std::uint32_t attributes)
      : real_(std::move(real)), attributes_(attributes) {}
  std::uint32_t attributes() const override { return real_ ? real_->attributes() : attributes_; }

 private:
  std::unique_ptr<HeldFolder> real_;
  std::uint32_t attributes_;
};

}  // namespace

DryRunRuntime::DryRunRuntime(Runtime& inner, Announce announce)
    : ForwardingRuntime(inner), announce_(std::move(announce)) {}

DryRunRuntime::Found DryRunRuntime::Find(const std::u16string& path) const {
  const std::u16string key = Key(path);
  if (const auto it = layer_.find(key); it != layer_.end()) return {&it->second, false};
  // Below a folder the layer removed or made, only the layer's own entries exist.
  for (std::u16string k = ParentKey(key); !k.empty(); k = ParentKey(k)) {
    const auto it = layer_.find(k);
    if (it == layer_.end()) continue;
    if (!it->second.exists || !it->second.folder || it->second.origin.empty())
      return {nullptr, true};
    break;
  }
  return {};
}

Result<std::uint32_t> DryRunRuntime::Attributes(const std::u16string& path) {
  const Found found = Find(path);
  if (found.Real()) return inner().GetAttr(path);
  if (found.gone || !found.entry->exists) return NotFound();
  return found.entry->attributes | (found.entry->folder ? kAttrFolder : 0u);
}

Result<DryRunRuntime::Entry> DryRunRuntime::Materialise(const std::u16string& path) {
  const Found found = Find(path);
  if (!found.Real()) {
    if (found.gone || !found.entry->exists) return NotFound();
    return *found.entry;
  }
  const Result<std::uint32_t> attributes = inner().GetAttr(path);
  if (!attributes.ok()) return attributes.error();
  Entry entry;
  entry.exists = true;
  entry.folder = (attributes.value() & kAttrFolder) != 0;
  entry.attributes = attributes.value() & ~static_cast<std::uint32_t>(kAttrFolder);
  entry.path = path;
  entry.origin = path;
  return entry;
}

Status DryRunRuntime::NeedsParent(const std::u16string& path) {
  const std::u16string parent = FolderOf(path);
  if (parent.empty()) return Status();
  return IsFolder(Attributes(parent.substr(0, parent.size() - 1))) ? Status() : NotFound();
}

void DryRunRuntime::Put(Entry entry) {
  std::u16string key = Key(entry.path);
  layer_[std::move(key)] = std::move(entry);
}

void DryRunRuntime::Remove(const std::u16string& path) {
  Entry absent;
  absent.path = path;
  Put(std::move(absent));
}

Result<std::vector<DirEntry>> DryRunRuntime::List(const std::u16string& pattern,
                                                  std::uint32_t mask) {
  const std::u16string folder = FolderOf(pattern);
  const std::u16string folderKey = Key(folder);
  const Found found = Find(folder);
  if (found.gone || (found.entry && (!found.entry->exists || !found.entry->folder))) {
    return std::vector<DirEntry>();
  }
  std::vector<DirEntry> entries;
  if (found.Real() || !found.entry->origin.empty()) {
    Result<std::vector<DirEntry>> real = inner().List(pattern, mask);
    if (!real.ok()) return real.error();
    // Whatever the layer says about a name overrides the disk.
    for (DirEntry& e : real.value()) {
      if (!layer_.contains(folderKey + u"\\" + LowerCase(e.name))) entries.push_back(std::move(e));
    }
  }
  const std::u16string prefix = folderKey + u"\\";
  for (auto it = layer_.lower_bound(prefix); it != layer_.end() && it->first.starts_with(prefix);
       ++it) {
    const Entry& e = it->second;
    const std::u16string name = NameOf(e.path);
    if (!e.exists || it->first.find(u'\\', prefix.size()) != std::u16string::npos) continue;
    const std::uint32_t attributes = e.attributes | (e.folder ? kAttrFolder : 0u);
    if (MatchesWildcard(NameOf(pattern), name) && Admits(mask, attributes)) {
      entries.push_back({name, attributes, e.bytes ? e.bytes->size() : 0});
    }
  }
  return entries;
}

Status DryRunRuntime::Delete(const std::u16string& path) {
  const Result<Entry> file = Materialise(path);
  if (!file.ok()) return file.error();
  if (file.value().folder || (file.value().attributes & kAttrReadOnly) != 0) return Denied();
  Remove(path);
  announce_(u"delete", path, {});
  return Status();
}

Status DryRunRuntime::FileCopy(const std::u16string& source, const std::u16string& destination) {
  Result<Entry> copy = Materialise(source);
  if (!copy.ok()) return copy.error();
  if (copy.value().folder) return Denied();
  if (Attributes(destination).ok()) return Exists();
  if (Status parent = NeedsParent(destination); !parent.ok()) return parent;
  copy.value().path = destination;
  Put(std::move(copy.value()));
  announce_(u"copy", source, destination);
  return Status();
}

Status DryRunRuntime::SetAttr(const std::u16string& path, std::uint32_t attributes) {
  Result<Entry> entry = Materialise(path);
  if (!entry.ok()) return entry.error();
  entry.value().attributes = attributes & ~static_cast<std::uint32_t>(kAttrFolder);
  Put(std::move(entry.value()));
  announce_(u"set-attributes", path, AttributeText(attributes));
  return Status();
}

Result<std::uint32_t> DryRunRuntime::GetAttr(const std::u16string& path) {
  return Attributes(path);
}

Status DryRunRuntime::MkDir(const std::u16string& path) {
  if (Attributes(path).ok()) return Exists();
  if (Status parent = NeedsParent(path); !parent.ok()) return parent;
  Entry folder;
  folder.exists = true;
  folder.folder = true;
  folder.path = path;
  Put(std::move(folder));
  announce_(u"create-folder", path, {});
  return Status();
}

Status DryRunRuntime::Rename(const std::u16string& from, const std::u16string& to) {
  Result<Entry> moved = Materialise(from);
  if (!moved.ok()) return moved.error();
  if (moved.value().folder) return Denied();
  if (Key(from) != Key(to) && Attributes(to).ok()) return Exists();
  if (Status parent = NeedsParent(to); !parent.ok()) return parent;
  Remove(from);
  moved.value().path = to;
  Put(std::move(moved.value()));
  announce_(SameFolder(from, to) ? u"rename" : u"move", from, to);
  return Status();
}

Result<bool> DryRunRuntime::SameContent(const std::u16string& a, const std::u16string& b) {
  const Result<Entry> first = Materialise(a);
  const Result<Entry> second = Materialise(b);
  if (!first.ok()) return first.error();
  if (!second.ok()) return second.error();
  if (!first.value().origin.empty() && !second.value().origin.empty()) {
    return inner().SameContent(first.value().origin, second.value().origin);
  }
  const Result<FileDigest> x = Digest(a);
  const Result<FileDigest> y = Digest(b);
  if (!x.ok()) return x.error();
  if (!y.ok()) return y.error();
  return x.value() == y.value();
}

Result<std::unique_ptr<AppendFile>> DryRunRuntime::OpenForAppend(const std::u16string& path,
                                                                 OpenMode mode) {
  const Found found = Find(path);
  const bool there = Attributes(path).ok();
  if (mode == OpenMode::kCreateNew && there) return Exists();
  if (mode == OpenMode::kExisting && !there) return NotFound();
  if (found.entry && found.entry->exists && found.entry->bytes) {
    return std::unique_ptr<AppendFile>(new LayerAppendFile(found.entry->bytes, path));
  }
  Result<Entry> entry = Materialise(path);
  if (entry.ok()) {
    Result<std::string> held = inner().ReadWholeFile(entry.value().origin, kNoLimit);
    if (!held.ok()) return held.error();
    entry.value().bytes = std::make_shared<std::string>(std::move(held.value()));
  } else if (!entry.Is(ErrorKind::kNotFound)) {
    return entry.error();
  } else if (Status parent = NeedsParent(path); !parent.ok()) {
    return parent.error();
  } else {
    entry = Entry{true, false, kAttrArchive, path, {}, std::make_shared<std::string>()};
  }
  entry.value().origin.clear();
  std::shared_ptr<std::string> bytes = entry.value().bytes;
  Put(std::move(entry.value()));
  announce_(u"write", path, {});
  return std::unique_ptr<AppendFile>(new LayerAppendFile(std::move(bytes), path));
}

Result<std::string> DryRunRuntime::ReadWholeFile(const std::u16string& path,
                                                 std::uint64_t maxBytes) {
  const Result<Entry> file = Materialise(path);
  if (!file.ok()) return file.error();
  if (file.value().folder) return Denied();
  if (!file.value().origin.empty()) return inner().ReadWholeFile(file.value().origin, maxBytes);
  if (file.value().bytes->size() > maxBytes) return TooLarge();
  return *file.value().bytes;
}

Result<FileRead> DryRunRuntime::ReadWholeFileAndFacts(const std::u16string& path,
                                                      std::uint64_t maxBytes) {
  const Result<Entry> file = Materialise(path);
  if (!file.ok()) return file.error();
  if (file.value().folder) return Denied();
  if (!file.value().origin.empty()) {
    Result<FileRead> real = inner().ReadWholeFileAndFacts(file.value().origin, maxBytes);
    if (real.ok()) real.value().facts.identity = LayerIdentity(path);
    return real;
  }
  if (file.value().bytes->size() > maxBytes) return TooLarge();
  return FileRead{*file.value().bytes, {LayerIdentity(path), file.value().bytes->size(), 1}};
}

Result<std::unique_ptr<HeldFolder>> DryRunRuntime::HoldFolder(const std::u16string& path) {
  if (Find(path).Real()) {
    Result<std::unique_ptr<HeldFolder>> real = inner().HoldFolder(path);
    if (!real.ok()) return real.error();
    return std::unique_ptr<HeldFolder>(
        std::make_unique<LayerHeldFolder>(std::move(real.value()), 0));
  }
  const Result<std::uint32_t> attributes = Attributes(path);
  if (!attributes.ok()) return attributes.error();
  return std::unique_ptr<HeldFolder>(
      std::make_unique<LayerHeldFolder>(nullptr, attributes.value()));
}

Result<FileDigest> DryRunRuntime::Digest(const std::u16string& path) {
  const Result<Entry> file = Materialise(path);
  if (!file.ok()) return file.error();
  if (file.value().folder) return Denied();
  if (!file.value().origin.empty()) return inner().Digest(file.value().origin);
  return FileDigest{file.value().bytes->size(), Sha256Hex(*file.value().bytes)};
}

Result<CheckedCopy> DryRunRuntime::CopyAndDigest(const std::u16string& source,
                                                 const std::u16string& destination) {
  if (Status copied = FileCopy(source, destination); !copied.ok()) {
    return copied.error();
  }
  const Result<FileDigest> digest = Digest(destination);
  if (!digest.ok()) return digest.error();
  return CheckedCopy{digest.value(), true};
}

Status DryRunRuntime::RmDir(const std::u16string& path) {
  const Result<std::uint32_t> attributes = Attributes(path);
  if (!attributes.ok()) return attributes.status();
  if ((attributes.value() & kAttrFolder) == 0) return Denied();
  const Result<std::vector<DirEntry>> inside = List(Key(path) + u"\\*", kDirEverything);
  if (!inside.ok()) return inside.status();
  if (!inside.value().empty()) return NotEmpty();
  Remove(path);
  announce_(u"remove-folder", path, {});
  return Status();
}

Result<bool> DryRunRuntime::IsPrefix(const std::u16string& part, const std::u16string& whole) {
  const Result<Entry> first = Materialise(part);
  const Result<Entry> second = Materialise(whole);
  if (!first.ok()) return first.error();
  if (!second.ok()) return second.error();
  if (!first.value().origin.empty() && !second.value().origin.empty()) {
    return inner().IsPrefix(first.value().origin, second.value().origin);
  }
  const Result<std::string> x = ReadWholeFile(part, kNoLimit);
  const Result<std::string> y = ReadWholeFile(whole, kNoLimit);
  if (!x.ok()) return x.error();
  if (!y.ok()) return y.error();
  return y.value().compare(0, x.value().size(), x.value()) == 0;
}

// A dry run writes nothing, not even a lock file; the real run takes the lock.
Result<std::unique_ptr<HeldLock>> DryRunRuntime::Lock(const std::u16string&) {
  return std::make_unique<HeldLock>();
}

Result<FileIdentity> DryRunRuntime::IdentityOf(const std::u16string& path) {
  const Result<Entry> entry = Materialise(path);
  if (!entry.ok()) return entry.error();
  if (!entry.value().origin.empty()) return inner().IdentityOf(entry.value().origin);
  // Made by the dry run alone: known by its path, on no real volume.
  return LayerIdentity(entry.value().path);
}

Status DryRunRuntime::RestartElevated(const std::u16string&) {
  return Error{ErrorKind::kAccessDenied, kErrorCancelled, u""};
}

}  // namespace torvane::cli
