#include "tests/win/temp_files.h"

#include <windows.h>

#include "runtime/win_handles.h"

namespace torvane::testing {

using win::U;
using win::W;

void RemoveTree(const std::u16string& folder) {
  std::u16string base = folder;
  if (!base.empty() && base.back() == u'\\') base.pop_back();
  // Names are removed as they are, trailing dots and spaces included.
  if (base.size() > 2 && base[1] == u':') base = u"\\\\?\\" + base;
  WIN32_FIND_DATAW found{};
  win::UniqueFind find(::FindFirstFileW(W(base + u"\\*"), &found));
  if (find) {
    do {
      const std::u16string name = U(found.cFileName);
      if (name == u"." || name == u"..") continue;
      const std::u16string path = base + u"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        ::RemoveDirectoryW(W(path));  // the link, never what it leads to
        ::DeleteFileW(W(path));
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(W(path));
      }
    } while (::FindNextFileW(find.get(), &found));
  }
  ::RemoveDirectoryW(W(base));
}

}  // namespace torvane::testing
