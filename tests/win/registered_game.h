// The game's install folder named in the registry for the length of a test, written with
// the system's own reg.exe (what `wine reg add` runs) and removed again afterwards: the
// Wine prefix is shared by every test of the build.
#pragma once

#include <string>

namespace torvane::testing {

class RegisteredGame {
 public:
  enum class Where { kUser, kMachine32 };  // HKCU; HKLM in its 32-bit view
  enum class Type { kString, kExpandable };

  RegisteredGame(const std::u16string& value, Where where = Where::kUser,
                 Type type = Type::kString);
  RegisteredGame(const RegisteredGame&) = delete;
  RegisteredGame& operator=(const RegisteredGame&) = delete;
  ~RegisteredGame();

  // Removes the key wherever a test may have left it.
  static void RemoveAll();

 private:
  Where where_;
};

}  // namespace torvane::testing
