// SHA-256 over bytes fed in pieces, so a large file never has to be read whole. The
// journal records a digest of every file of the version set, so that a later restore
// removes only what is still exactly what this tool wrote.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

class Sha256 {
 public:
  Sha256();
  void Update(std::string_view bytes);
  // Lower-case hexadecimal; the object is spent afterwards.
  std::string FinalHex();

 private:
  void Block(const unsigned char* block);

  std::array<std::uint32_t, 8> state_;
  std::array<unsigned char, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t totalBytes_ = 0;
};

std::string Sha256Hex(std::string_view bytes);

}  // namespace torvane
