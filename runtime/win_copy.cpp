#include "runtime/win_copy.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "runtime/sha256.h"
#include "runtime/win_runtime.h"

namespace torvane {
namespace {

constexpr DWORD kPieceBytes = 1 << 20;
// Pieces in flight: read and written by the caller while the thread hashes earlier ones.
constexpr std::size_t kPiecesInFlight = 4;

// SHA-256 of pieces handed over in order, taken on a thread of its own. A piece stays
// untouched by the caller until Wait says it is hashed.
class HashingThread {
 public:
  HashingThread() : worker_([this] { Work(); }) {}
  ~HashingThread() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }
  HashingThread(const HashingThread&) = delete;
  HashingThread& operator=(const HashingThread&) = delete;

  void Add(std::string_view piece) {
    {
      const std::lock_guard lock(mutex_);
      pieces_.push_back(piece);
    }
    changed_.notify_all();
  }
  // Returns once `count` pieces in all are hashed.
  void Wait(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return hashed_ >= count; });
  }
  // Every piece added, hashed; the object is spent afterwards.
  FileDigest Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pieces_.empty(); });
    return {size_, sha_.FinalHex()};
  }

 private:
  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return stopping_ || !pieces_.empty(); });
      if (pieces_.empty()) return;
      const std::string_view piece = pieces_.front();
      lock.unlock();
      sha_.Update(piece);
      lock.lock();
      pieces_.pop_front();
      size_ += piece.size();
      ++hashed_;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string_view> pieces_;  // added and not yet hashed, oldest first
  std::size_t hashed_ = 0;
  std::uint64_t size_ = 0;
  bool stopping_ = false;
  Sha256 sha_;
  std::thread worker_;  // last: it starts once everything it uses is there
};

bool WriteAll(HANDLE file, std::string_view bytes) {
  DWORD written = 0;
  return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// Reads back what was just written at `offset`; the file position ends after it, where
// the next piece goes.
bool ReadsBackTheSame(HANDLE file, std::uint64_t offset, std::string_view written,
                      std::string& buffer, bool& same) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(written.size()), &got, &at)) {
    return false;
  }
  same = same && std::string_view(buffer.data(), got) == written;
  return true;
}

}  // namespace

Result<CheckedCopy> CopyAndCheck(HANDLE from, HANDLE to) {
  // Declared before the thread, so that they outlive it on every way out.
  std::array<std::string, kPiecesInFlight> pieces;
  for (std::string& piece : pieces) piece.resize(kPieceBytes);
  std::string readBack(kPieceBytes, '\0');
  bool same = true;
  std::uint64_t offset = 0;
  HashingThread hasher;
  for (std::size_t n = 0;; ++n) {
    std::string& piece = pieces[n % kPiecesInFlight];
    if (n >= kPiecesInFlight) hasher.Wait(n - kPiecesInFlight + 1);
    DWORD got = 0;
    if (!::ReadFile(from, piece.data(), kPieceBytes, &got, nullptr)) return LastError();
    if (got == 0) break;
    const std::string_view bytes(piece.data(), got);
    if (!WriteAll(to, bytes)) return LastError();
    if (!ReadsBackTheSame(to, offset, bytes, readBack, same)) return LastError();
    hasher.Add(bytes);
    offset += got;
  }
  return CheckedCopy{hasher.Finish(), same};
}

}  // namespace torvane
