#include "runtime/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace torvane {
namespace {

std::string HexOf(Sha256Engine engine, const std::string& bytes, std::size_t piece) {
  Sha256 sha(engine);
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    sha.Update(std::string_view(bytes).substr(at, piece));
  }
  return sha.FinalHex();
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) ^ (i >> 8));
  return bytes;
}

// Both engines (the CPU's where this machine has it), fed whole and in uneven pieces.
TEST(Sha256, KnownDigestsWhateverTheEngineAndThePieces) {
  struct Known {
    std::string bytes;
    const char* hex;
  };
  const Known known[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1'000'000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Sha256Engine engine : {Sha256Engine::kPortable, Sha256Engine::kCpu}) {
    for (const Known& k : known) {
      for (const std::size_t piece : {std::size_t{1'000'000}, std::size_t{63}, std::size_t{1}}) {
        if (piece == 1 && k.bytes.size() > 1000) continue;
        EXPECT_EQ(HexOf(engine, k.bytes, piece), k.hex) << k.bytes.size() << " bytes";
      }
    }
  }
}

// Every length around the block and padding edges, where the two engines part most easily.
TEST(Sha256, TheEnginesAgreeOnEveryLengthAroundTheBlockEdges) {
  const std::string bytes = Pattern(400);
  for (std::size_t size = 0; size <= bytes.size(); ++size) {
    const std::string part = bytes.substr(0, size);
    EXPECT_EQ(HexOf(Sha256Engine::kCpu, part, 100), HexOf(Sha256Engine::kPortable, part, 100))
        << size;
  }
}

}  // namespace
}  // namespace torvane
