#include "Win32File.h"

namespace kh::win32 {

namespace {

// Why a name is not a plain file, from its attributes; empty when it is one.
std::string notPlain(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "it is a link, not a file";
  if (attributes & FILE_ATTRIBUTE_DEVICE) return "it is a device, not a file";
  return {};
}

}  // namespace

Handle openPlain(const std::wstring& path, DWORD access, bool create, std::string& why) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    why = notPlain(attributes);
    if (!why.empty()) return {};
  } else {
    const DWORD err = GetLastError();
    if (!create || (err != ERROR_FILE_NOT_FOUND)) {
      why = errorText(err);
      return {};
    }
  }
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  Handle h(CreateFileW(path.c_str(), access, share, nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) {
    why = errorText(GetLastError());
    return {};
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h.get()) != FILE_TYPE_DISK) {
    why = "it is a device or a pipe, not a file";
    return {};
  }
  if (!GetFileInformationByHandle(h.get(), &info)) {
    why = errorText(GetLastError());
    return {};
  }
  why = notPlain(info.dwFileAttributes);
  if (!why.empty()) return {};
  return h;
}

long long readAt(HANDLE h, void* buffer, DWORD n, std::uint64_t offset) {
  OVERLAPPED ov{};
  ov.Offset = DWORD(offset);
  ov.OffsetHigh = DWORD(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(h, buffer, n, &got, &ov)) return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  return got;
}

long long writeAt(HANDLE h, const void* buffer, DWORD n, std::uint64_t offset) {
  OVERLAPPED ov{};
  ov.Offset = DWORD(offset);
  ov.OffsetHigh = DWORD(offset >> 32);
  DWORD put = 0;
  if (!WriteFile(h, buffer, n, &put, &ov)) return -1;
  return put;
}

}  // namespace kh::win32
