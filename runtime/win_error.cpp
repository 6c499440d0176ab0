#include "runtime/win_error.h"

#include "runtime/text.h"
#include "runtime/win_handles.h"

namespace torvane {
namespace {

ErrorKind KindOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY:
      return ErrorKind::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return ErrorKind::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return ErrorKind::kInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ErrorKind::kDiskFull;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return ErrorKind::kAlreadyExists;
    case ERROR_NOT_SAME_DEVICE:
      return ErrorKind::kNotSameDevice;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ErrorKind::kBadPath;
    case ERROR_FILE_TOO_LARGE:
      return ErrorKind::kTooLarge;
    default:
      return ErrorKind::kOther;
  }
}

}  // namespace

Error ErrorFromCode(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  win::UniqueLocal owner(text);
  std::u16string description = length > 0 ? win::U(text, length) : std::u16string();
  while (!description.empty() && (description.back() == u'\n' || description.back() == u'\r' ||
                                  description.back() == u' ')) {
    description.pop_back();
  }
  if (description.empty()) description = u"Error " + Decimal(code);
  return {KindOf(code), code, description};
}

Error LastError() { return ErrorFromCode(::GetLastError()); }

Error ErrorFromHresult(HRESULT result) {
  const bool win32 = HRESULT_FACILITY(result) == FACILITY_WIN32;
  return ErrorFromCode(win32 ? HRESULT_CODE(result) : static_cast<DWORD>(result));
}

}  // namespace torvane
