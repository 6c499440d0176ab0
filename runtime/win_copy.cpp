#include "runtime/win_copy.h"

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <thread>

#include "runtime/sha256.h"
#include "runtime/win_error.h"

namespace torvane {
namespace {

// Small enough that a piece is still in the reading processor's cache when it is hashed;
// smaller ones cost more in hand-overs than they save.
constexpr DWORD kPieceBytes = 256 << 10;
// Pieces in flight: read and hashed by the caller while the writer writes earlier ones.
constexpr std::size_t kPiecesInFlight = 4;
// Written bytes that start a flush while the copy goes on: few flushes (each may also
// empty the disk's own cache), and little left for the last one.
constexpr std::uint64_t kFlushEvery = 8 << 20;

// A lock and its condition from the system: the C++ library's, in this toolchain's thread
// model, wait through kernel objects, a round trip to the Wine server per piece.
class Monitor {
 public:
  class Held {
   public:
    explicit Held(Monitor& monitor) : monitor_(monitor) {
      ::AcquireSRWLockExclusive(&monitor_.lock_);
    }
    ~Held() { ::ReleaseSRWLockExclusive(&monitor_.lock_); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    template <class Ready>
    void WaitUntil(Ready ready) {
      while (!ready())
        ::SleepConditionVariableSRW(&monitor_.changed_, &monitor_.lock_, INFINITE, 0);
    }
    // Runs `work` with the lock let go, and takes it again.
    template <class Work>
    auto Unlocked(Work work) {
      ::ReleaseSRWLockExclusive(&monitor_.lock_);
      const Retake retake{monitor_.lock_};
      return work();
    }

   private:
    struct Retake {
      SRWLOCK& lock;
      ~Retake() { ::AcquireSRWLockExclusive(&lock); }
    };
    Monitor& monitor_;
  };

  void WakeAll() { ::WakeAllConditionVariable(&changed_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
};

// Flushes the copy on a thread of its own while it grows, each time another kFlushEvery
// bytes are written: the disk writes the copy out while the rest is still read, hashed and
// written, so the flush after the last write has little left to wait for. Where a flush
// and a write through one handle take turns (Windows), the writer waits at most for the
// one flush under way.
class FlushingThread {
 public:
  explicit FlushingThread(HANDLE to) : to_(to) {}
  ~FlushingThread() { Stop(); }
  FlushingThread(const FlushingThread&) = delete;
  FlushingThread& operator=(const FlushingThread&) = delete;

  // `total` bytes of the copy are written.
  void Written(std::uint64_t total) {
    {
      const Monitor::Held held(monitor_);
      written_ = total;
    }
    monitor_.WakeAll();
  }
  // Waits for the flush under way, if any, and ends the thread; the first flush's failure
  // code, 0 when none failed.
  DWORD Stop() {
    {
      const Monitor::Held held(monitor_);
      stopping_ = true;
    }
    monitor_.WakeAll();
    if (worker_.joinable()) worker_.join();
    return error_;
  }

 private:
  void Work() {
    Monitor::Held held(monitor_);
    for (;;) {
      held.WaitUntil([&] { return stopping_ || written_ >= flushed_ + kFlushEvery; });
      if (stopping_) return;
      const std::uint64_t upTo = written_;
      error_ = held.Unlocked([&] { return ::FlushFileBuffers(to_) ? DWORD{0} : ::GetLastError(); });
      if (error_ != 0) return;
      flushed_ = upTo;
    }
  }

  HANDLE to_;
  Monitor monitor_;
  std::uint64_t written_ = 0;
  std::uint64_t flushed_ = 0;
  DWORD error_ = 0;
  bool stopping_ = false;
  std::thread worker_{[this] { Work(); }};  // last: it starts once everything it uses is there
};

// Writes the pieces handed over, in order, on a thread of its own, reading each back at
// once and comparing it with the piece. A piece stays untouched by the caller until
// WaitFor says it is written. After a failure nothing more is written.
class WritingThread {
 public:
  struct Outcome {
    DWORD error = 0;  // the first failure's code; 0 when every write succeeded
    bool readBackSame = true;
  };

  WritingThread(HANDLE to, FlushingThread& flusher)
      : to_(to), flusher_(flusher), readBack_(kPieceBytes, '\0') {}
  ~WritingThread() {
    {
      const Monitor::Held held(monitor_);
      stopping_ = true;
    }
    monitor_.WakeAll();
    worker_.join();
  }
  WritingThread(const WritingThread&) = delete;
  WritingThread& operator=(const WritingThread&) = delete;

  void Add(std::string_view piece) {
    {
      const Monitor::Held held(monitor_);
      pieces_.push_back(piece);
    }
    monitor_.WakeAll();
  }
  // Returns once `count` pieces in all are written; false when a write failed.
  bool WaitFor(std::size_t count) {
    Monitor::Held held(monitor_);
    held.WaitUntil([&] { return written_ >= count || outcome_.error != 0; });
    return outcome_.error == 0;
  }
  // Every piece added written, or a failure; the object is spent afterwards.
  Outcome Finish() {
    Monitor::Held held(monitor_);
    held.WaitUntil([&] { return pieces_.empty() || outcome_.error != 0; });
    return outcome_;
  }

 private:
  void Work() {
    Monitor::Held held(monitor_);
    for (;;) {
      held.WaitUntil([&] { return stopping_ || !pieces_.empty(); });
      if (stopping_ || outcome_.error != 0) return;
      const std::string_view piece = pieces_.front();
      bool same = true;
      const DWORD error = held.Unlocked([&] { return WriteAndReadBack(piece, same); });
      outcome_.error = error;
      outcome_.readBackSame = outcome_.readBackSame && same;
      offset_ += piece.size();
      if (error == 0) flusher_.Written(offset_);
      pieces_.pop_front();
      ++written_;
      monitor_.WakeAll();
    }
  }

  // The system's error code, 0 on success. Reads back at the piece's offset; the file
  // position ends after the piece, where the next one goes.
  DWORD WriteAndReadBack(std::string_view piece, bool& same) {
    const auto size = static_cast<DWORD>(piece.size());
    DWORD done = 0;
    if (!::WriteFile(to_, piece.data(), size, &done, nullptr)) return ::GetLastError();
    if (done != size) return ERROR_WRITE_FAULT;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset_);
    at.OffsetHigh = static_cast<DWORD>(offset_ >> 32);
    if (!::ReadFile(to_, readBack_.data(), size, &done, &at)) return ::GetLastError();
    same = std::string_view(readBack_.data(), done) == piece;
    return 0;
  }

  HANDLE to_;
  FlushingThread& flusher_;
  std::string readBack_;
  Monitor monitor_;
  std::deque<std::string_view> pieces_;  // added and not yet written, oldest first
  std::size_t written_ = 0;
  std::uint64_t offset_ = 0;  // of the next piece; touched by the worker only
  Outcome outcome_;
  bool stopping_ = false;
  std::thread worker_{[this] { Work(); }};  // last: it starts once everything it uses is there
};

}  // namespace

Result<CheckedCopy> CopyAndCheck(HANDLE from, HANDLE to) {
  // Declared before the writer, so that they outlive its thread on every way out.
  std::array<std::string, kPiecesInFlight> pieces;
  for (std::string& piece : pieces) piece.resize(kPieceBytes);
  Sha256 sha;
  std::uint64_t size = 0;
  FlushingThread flusher(to);
  WritingThread writer(to, flusher);
  for (std::size_t n = 0;; ++n) {
    std::string& piece = pieces[n % kPiecesInFlight];
    if (n >= kPiecesInFlight && !writer.WaitFor(n - kPiecesInFlight + 1)) break;
    DWORD got = 0;
    if (!::ReadFile(from, piece.data(), kPieceBytes, &got, nullptr)) return LastError();
    if (got == 0) break;
    const std::string_view bytes(piece.data(), got);
    // Hashed here, while the bytes ReadFile just wrote are still in this processor's cache.
    sha.Update(bytes);
    size += got;
    writer.Add(bytes);
  }
  const WritingThread::Outcome written = writer.Finish();
  if (written.error != 0) return ErrorFromCode(written.error);
  if (const DWORD unflushed = flusher.Stop(); unflushed != 0) return ErrorFromCode(unflushed);
  return CheckedCopy{{size, sha.FinalHex()}, written.readBackSame};
}

}  // namespace torvane
