#include "Win32Files.h"

#include <windows.h>
#include <shlobj.h>

#include "Report.h"
#include "Win32Util.h"

namespace kh::win32 {

namespace {

// Why a name is not a plain file, from its attributes; empty when it is one.
std::string notPlain(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "it is a link, not a file";
  if (attributes & FILE_ATTRIBUTE_DEVICE) return "it is a device, not a file";
  return {};
}

// Opens a plain file on a disk, never anything that could block or lead elsewhere: the name
// is looked at first, the handle opened without following a reparse point, and what was
// opened looked at again.
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

// Up to `n` bytes from `offset`; -1 on an error.
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

// The lock on the score's two bytes, shared for reading, exclusive for storing.
class RangeLock {
 public:
  RangeLock(HANDLE h, bool exclusive) : h_(h) {
    OVERLAPPED ov{};
    locked_ = LockFileEx(h_, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 2, 0, &ov);
  }
  ~RangeLock() {
    OVERLAPPED ov{};
    if (locked_) UnlockFileEx(h_, 0, 2, 0, &ov);
  }
  RangeLock(const RangeLock&) = delete;
  RangeLock& operator=(const RangeLock&) = delete;
  explicit operator bool() const { return locked_; }

 private:
  HANDLE h_;
  bool locked_ = false;
};

// Two bytes, one byte (taken as the low byte) or none at all (0); -1 on an error.
long long readScore(HANDLE h, std::int16_t& score, unsigned char (&b)[2]) {
  b[0] = b[1] = 0;
  long long have = 0;
  while (have < 2) {
    const long long n = readAt(h, b + have, DWORD(2 - have), std::uint64_t(have));
    if (n < 0) return -1;
    if (n == 0) break;
    have += n;
  }
  score = std::int16_t(std::uint16_t(b[0] | (b[1] << 8)));
  return have;
}

}  // namespace

void Win32ScoreStore::report(const std::string& what, const std::string& why) {
  // The same trouble is told once, not again at the end of every game.
  const std::string line = "cannot " + what + " the best score in \"" + narrow(path_) + "\": " + why;
  if (reported_.insert(line).second) reportProblem(line);
}

std::optional<std::int16_t> Win32ScoreStore::read() {
  std::string why;
  const Handle h = openPlain(path_, GENERIC_READ, true, why);
  if (!h) {
    report("read", why);
    return std::nullopt;
  }
  const RangeLock lock(h.get(), false);
  std::int16_t score = 0;
  unsigned char b[2];
  if (!lock || readScore(h.get(), score, b) < 0) {
    report("read", errorText(GetLastError()));
    return std::nullopt;
  }
  return score;
}

bool Win32ScoreStore::write(std::int16_t score) {
  std::string why;
  const Handle h = openPlain(path_, GENERIC_READ | GENERIC_WRITE, true, why);
  if (!h) {
    report("store", why);
    return false;
  }
  const RangeLock lock(h.get(), true);
  std::int16_t stored = 0;
  unsigned char old[2];
  const long long oldLength = lock ? readScore(h.get(), stored, old) : -1;
  if (oldLength < 0) {
    report("store", errorText(GetLastError()));
    return false;
  }
  // Another copy of the game may have stored a better one meanwhile.
  if (stored >= score) return true;
  const auto v = std::uint16_t(score);
  const unsigned char b[2] = {static_cast<unsigned char>(v & 0xff), static_cast<unsigned char>(v >> 8)};
  // One call: the file holds the old two bytes or the new ones.
  const long long n = writeAt(h.get(), b, 2, 0);
  if (n == 2) return true;
  const DWORD err = n < 0 ? GetLastError() : ERROR_DISK_FULL;
  if (n > 0) {
    // Only part of it went in: put back what was there.
    LARGE_INTEGER end{};
    end.QuadPart = oldLength;
    if (writeAt(h.get(), old, DWORD(oldLength), 0) < 0 ||
        (oldLength < 2 && !(SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()))))
      report("restore", errorText(GetLastError()));
  }
  report("store", errorText(err));
  return false;
}

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

Win32Places findWin32Places(const std::optional<std::wstring>& dataDir) {
  Win32Places p;
  if (dataDir) {
    p.soundFolders.push_back(*dataDir);
    p.scoreFile = *dataDir + L"\\Hi.wbh";
  }
  std::wstring exe(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
  exe.resize(n);
  if (const auto slash = exe.find_last_of(L"\\/"); n > 0 && slash != std::wstring::npos)
    p.soundFolders.push_back(exe.substr(0, slash));
  if (dataDir) return p;
  PWSTR roaming = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming)) && roaming) {
    p.scoreFile = std::wstring(roaming) + L"\\Knuffelhatz\\Hi.wbh";
    p.perUser = true;
  }
  CoTaskMemFree(roaming);
  return p;
}

std::optional<std::string> makeFolder(const std::wstring& folder) {
  const DWORD a = GetFileAttributesW(folder.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    if (a & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return "it is not a folder";
  }
  if (const auto slash = folder.find_last_of(L"\\/"); slash != std::wstring::npos && slash > 2) {
    if (auto why = makeFolder(folder.substr(0, slash))) return why;
  }
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return errorText(GetLastError());
  return std::nullopt;
}

}  // namespace kh::win32
