// What the game is, read without changing anything: the version resources of its files
// (version.dll, loaded from the system folder only: a copy planted beside the program or
// in the game folder must never run) and its install folder as the registry names it.
#include <windows.h>

#include <array>
#include <vector>

#include "runtime/text.h"
#include "runtime/win_handles.h"
#include "runtime/win_runtime.h"

namespace torvane {
namespace {

using win::U;
using win::W;

constexpr wchar_t kGameKey[] = L"Software\\Blizzard Entertainment\\Warcraft III";
constexpr wchar_t kInstallValue[] = L"InstallPath";
constexpr DWORD kMaxValueBytes = 64 * 1024;

// version.dll's three functions, from the system folder's copy.
class VersionLibrary {
 public:
  VersionLibrary() {
    size_ = win::FunctionIn<decltype(&::GetFileVersionInfoSizeW)>(library_.get(),
                                                                  "GetFileVersionInfoSizeW");
    info_ =
        win::FunctionIn<decltype(&::GetFileVersionInfoW)>(library_.get(), "GetFileVersionInfoW");
    query_ = win::FunctionIn<decltype(&::VerQueryValueW)>(library_.get(), "VerQueryValueW");
  }

  std::optional<FileVersion> Read(const std::u16string& path) const {
    if (!size_ || !info_ || !query_) return std::nullopt;
    DWORD ignored = 0;
    const DWORD bytes = size_(W(path), &ignored);
    if (bytes == 0) return std::nullopt;
    std::vector<std::byte> block(bytes);
    if (!info_(W(path), 0, bytes, block.data())) return std::nullopt;
    void* fixed = nullptr;
    UINT fixedBytes = 0;
    if (!query_(block.data(), L"\\", &fixed, &fixedBytes) || fixed == nullptr ||
        fixedBytes < sizeof(VS_FIXEDFILEINFO)) {
      return std::nullopt;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    if (info->dwSignature != 0xFEEF04BD) return std::nullopt;
    return FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                       HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)};
  }

 private:
  win::UniqueModule library_ = win::LoadSystemLibrary(L"version.dll");
  decltype(&::GetFileVersionInfoSizeW) size_ = nullptr;
  decltype(&::GetFileVersionInfoW) info_ = nullptr;
  decltype(&::VerQueryValueW) query_ = nullptr;
};

// The install folder under one root in one view; empty when there is none.
std::u16string InstallPathIn(HKEY root, REGSAM view) {
  win::UniqueKey key;
  if (::RegOpenKeyExW(root, kGameKey, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS) {
    return {};
  }
  DWORD bytes = 0;
  // A REG_EXPAND_SZ comes expanded, as REG_SZ.
  constexpr DWORD kTypes = RRF_RT_REG_SZ;
  if (::RegGetValueW(key.get(), nullptr, kInstallValue, kTypes, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes == 0 || bytes > kMaxValueBytes) {
    return {};
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegGetValueW(key.get(), nullptr, kInstallValue, kTypes, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  return U(value.c_str());
}

bool SameFolder(std::u16string_view a, std::u16string_view b) {
  const std::u16string x = WithoutTrailingBackslash(a), y = WithoutTrailingBackslash(b);
  return ::CompareStringOrdinal(W(x), static_cast<int>(x.size()), W(y), static_cast<int>(y.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace

std::optional<FileVersion> WinRuntime::VersionOf(const std::u16string& path) {
  static const VersionLibrary library;
  return library.Read(path);
}

std::vector<RegisteredInstall> WinRuntime::RegisteredInstalls() {
  struct Place {
    HKEY root;
    REGSAM view;
    const char16_t* where;
  };
  const std::array<Place, 4> places = {{{HKEY_CURRENT_USER, KEY_WOW64_32KEY, u"HKCU 32"},
                                        {HKEY_CURRENT_USER, KEY_WOW64_64KEY, u"HKCU 64"},
                                        {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, u"HKLM 32"},
                                        {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, u"HKLM 64"}}};
  std::vector<RegisteredInstall> found;
  for (const Place& place : places) {
    const std::u16string folder = InstallPathIn(place.root, place.view);
    if (folder.empty()) continue;
    bool known = false;
    for (const RegisteredInstall& install : found)
      known = known || SameFolder(install.folder, folder);
    if (!known) found.push_back({place.where, folder});
  }
  return found;
}

}  // namespace torvane
