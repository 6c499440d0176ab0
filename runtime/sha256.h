// SHA-256 over bytes fed in pieces, so a large file never has to be read whole. The
// journal records a digest of every file of the version set, so that a later restore
// removes only what is still exactly what this tool wrote.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

// How the 64-byte blocks are compressed: the portable code, or the x86 SHA extensions,
// several times faster, on CPUs that have them.
enum class Sha256Engine { kPortable, kCpu };

// kCpu where this CPU has the SHA extensions (asked once, at run time), else kPortable.
Sha256Engine BestSha256Engine();

class Sha256 {
 public:
  explicit Sha256(Sha256Engine engine = BestSha256Engine());
  void Update(std::string_view bytes);
  // Lower-case hexadecimal; the object is spent afterwards.
  std::string FinalHex();

 private:
  void Blocks(const unsigned char* blocks, std::size_t count);

  Sha256Engine engine_;
  std::array<std::uint32_t, 8> state_;
  std::array<unsigned char, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t totalBytes_ = 0;
};

std::string Sha256Hex(std::string_view bytes);

}  // namespace torvane
