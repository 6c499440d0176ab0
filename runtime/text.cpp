#include "runtime/text.h"

namespace torvane {

bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name) {
  if (pattern.empty() || pattern == u"*.*") pattern = u"*";
  const std::u16string p = LowerCase(pattern), n = LowerCase(name);
  size_t i = 0, j = 0, star = std::u16string::npos, resume = 0;
  while (j < n.size()) {
    if (i < p.size() && (p[i] == u'?' || p[i] == n[j])) {
      ++i;
      ++j;
    } else if (i < p.size() && p[i] == u'*') {
      star = i++;
      resume = j;
    } else if (star != std::u16string::npos) {
      i = star + 1;
      j = ++resume;
    } else {
      return false;
    }
  }
  while (i < p.size() && p[i] == u'*') ++i;
  return i == p.size();
}

bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

bool IsAbsolutePath(std::u16string_view path) {
  const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  if (path.size() >= 3 && path[1] == u':' && separator(path[2])) return true;
  return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

std::u16string FolderOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string()
                                            : std::u16string(path.substr(0, slash + 1));
}

std::u16string AppFolderOf(std::u16string_view modulePath) {
  std::u16string folder = FolderOf(modulePath);
  if (folder.rfind(u"\\\\?\\", 0) == 0 && folder.size() > 6 && folder[5] == u':') {
    folder.erase(0, 4);
  }
  // "C:\" keeps its backslash; any other folder loses it.
  if (folder.size() > 3 || (folder.size() == 3 && folder[1] != u':')) folder.pop_back();
  return folder;
}

std::u16string NameOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::u16string WithTrailingBackslash(std::u16string_view folder) {
  std::u16string out(folder);
  if (out.empty() || out.back() != u'\\') out.push_back(u'\\');
  return out;
}

std::u16string WithoutTrailingBackslash(std::u16string_view folder) {
  if (folder.size() > 1 && folder.back() == u'\\' && folder[folder.size() - 2] != u':') {
    folder.remove_suffix(1);
  }
  return std::u16string(folder);
}

std::u16string FromUtf8(std::string_view utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += static_cast<size_t>(extra) + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::u16string Decimal(std::uint64_t n) { return FromUtf8(std::to_string(n)); }

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace torvane
