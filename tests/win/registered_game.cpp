#include "tests/win/registered_game.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "tests/win/cli_child.h"

namespace torvane::testing {
namespace {

constexpr char16_t kUserKey[] = u"HKCU\\Software\\Blizzard Entertainment\\Warcraft III";
constexpr char16_t kMachineKey[] = u"HKLM\\Software\\Blizzard Entertainment\\Warcraft III";

unsigned long Reg(std::vector<std::u16string> args) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring exe = std::wstring(system) + L"\\reg.exe";
  return RunChild(std::u16string(exe.begin(), exe.end()), args).exitCode;
}

std::vector<std::u16string> KeyOf(RegisteredGame::Where where) {
  if (where == RegisteredGame::Where::kUser) return {kUserKey};
  return {kMachineKey, u"/reg:32"};
}

void Remove(RegisteredGame::Where where) {
  std::vector<std::u16string> args = {u"delete"};
  for (const std::u16string& part : KeyOf(where)) args.push_back(part);
  args.push_back(u"/f");
  Reg(args);  // nothing to delete is fine
}

}  // namespace

RegisteredGame::RegisteredGame(const std::u16string& value, Where where, Type type)
    : where_(where) {
  Remove(where);
  std::vector<std::u16string> args = {
      u"add",         KeyOf(where)[0], u"/v",
      u"InstallPath", u"/t",           type == Type::kString ? u"REG_SZ" : u"REG_EXPAND_SZ",
      u"/d",          value,           u"/f"};
  if (where == Where::kMachine32) args.push_back(u"/reg:32");
  EXPECT_EQ(Reg(args), 0u);
}

RegisteredGame::~RegisteredGame() { Remove(where_); }

void RegisteredGame::RemoveAll() {
  Remove(Where::kUser);
  Remove(Where::kMachine32);
}

}  // namespace torvane::testing
