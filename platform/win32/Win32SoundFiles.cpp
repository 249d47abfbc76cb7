#include "Win32SoundFiles.h"

#include "Win32File.h"

namespace kh::win32 {

std::wstring Win32SoundFiles::locate(const std::string& name) const {
  const std::wstring wide = widen(name);
  for (const std::wstring& folder : folders_) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += wide;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  }
  return folders_.empty() ? wide : std::wstring();
}

std::optional<FileStamp> Win32SoundFiles::stamp(const std::string& name, std::string& why) {
  const std::wstring path = locate(name);
  if (path.empty()) {
    why = "no such file";
    return std::nullopt;
  }
  const Handle h = openPlain(path, GENERIC_READ, false, why);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !GetFileInformationByHandle(h.get(), &info)) {
    if (why.empty()) why = errorText(GetLastError());
    return std::nullopt;
  }
  FileStamp s;
  s.id = (std::uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow) ^ (std::uint64_t(info.dwVolumeSerialNumber) << 20);
  s.size = std::uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  s.modified = std::int64_t(std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime);
  return s;
}

std::optional<std::vector<std::uint8_t>> Win32SoundFiles::read(const std::string& name, std::size_t limit,
                                                               std::string& why) {
  const std::wstring path = locate(name);
  if (path.empty()) {
    why = "no such file";
    return std::nullopt;
  }
  const Handle h = openPlain(path, GENERIC_READ, false, why);
  LARGE_INTEGER size{};
  if (!h || !GetFileSizeEx(h.get(), &size)) {
    if (why.empty()) why = errorText(GetLastError());
    return std::nullopt;
  }
  if (std::uint64_t(size.QuadPart) > limit) {
    why = "it is larger than " + std::to_string(limit) + " bytes";
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(std::size_t(size.QuadPart));
  std::size_t have = 0;
  while (have < bytes.size()) {
    const long long n = readAt(h.get(), bytes.data() + have, DWORD(bytes.size() - have), have);
    if (n < 0) {
      why = errorText(GetLastError());
      return std::nullopt;
    }
    if (n == 0) break;
    have += std::size_t(n);
  }
  bytes.resize(have);
  return bytes;
}

}  // namespace kh::win32
