#include "Win32ScoreStore.h"

#include "Win32File.h"

namespace kh::win32 {

namespace {

// The lock on the score's two bytes, shared for reading, exclusive for storing. Another copy
// holds it for a moment only, so this waits two seconds at most, never for ever.
class RangeLock {
 public:
  RangeLock(HANDLE h, bool exclusive, std::string& why) : h_(h) {
    const DWORD flags = (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
      OVERLAPPED ov{};
      if ((locked_ = LockFileEx(h_, flags, 0, 2, 0, &ov))) return;
      const DWORD err = GetLastError();
      if (err != ERROR_LOCK_VIOLATION) {
        why = errorText(err);
        return;
      }
      if (GetTickCount64() - start >= 2000) {
        why = "another program keeps it locked";
        return;
      }
      Sleep(10);
    }
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

// Up to two bytes from offset 0; -1 on an error.
long long readPrefix(HANDLE h, unsigned char (&b)[2]) {
  long long have = 0;
  while (have < 2) {
    const long long n = readAt(h, b + have, DWORD(2 - have), std::uint64_t(have));
    if (n < 0) return -1;
    if (n == 0) break;
    have += n;
  }
  return have;
}

}  // namespace

std::string Win32ScoreStore::where() const {
  // Appended, not added up: GCC 12 warns falsely about "\"" + std::string.
  std::string quoted = "\"";
  quoted += narrow(path_);
  quoted += '"';
  return quoted;
}

std::optional<ScoreBytes::Bytes> Win32ScoreStore::read(std::string& why) {
  const Handle h = openPlain(path_, GENERIC_READ, true, why);
  if (!h) return std::nullopt;
  const RangeLock lock(h.get(), false, why);
  if (!lock) return std::nullopt;
  unsigned char b[2] = {0, 0};
  const long long length = readPrefix(h.get(), b);
  if (length < 0) {
    why = errorText(GetLastError());
    return std::nullopt;
  }
  return Bytes(b, b + length);
}

bool Win32ScoreStore::update(const Decide& decide, std::string& why) {
  const Handle h = openPlain(path_, GENERIC_READ | GENERIC_WRITE, true, why);
  if (!h) return false;
  const RangeLock lock(h.get(), true, why);
  if (!lock) return false;
  // Read again under the lock: another copy may have stored a higher score meanwhile.
  unsigned char old[2] = {0, 0};
  const long long oldLength = readPrefix(h.get(), old);
  if (oldLength < 0) {
    why = errorText(GetLastError());
    return false;
  }
  const auto b = decide(Bytes(old, old + oldLength));
  if (!b) return true;
  // One call: the file holds the old two bytes or the new ones.
  const long long n = writeAt(h.get(), b->data(), 2, 0);
  if (n == 2) return true;
  why = errorText(n < 0 ? GetLastError() : ERROR_DISK_FULL);
  if (n > 0) {
    // Only part of it went in: put back what was there.
    LARGE_INTEGER end{};
    end.QuadPart = oldLength;
    if (writeAt(h.get(), old, DWORD(oldLength), 0) < 0 ||
        (oldLength < 2 && !(SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()))))
      why += "; the old bytes could not be put back: " + errorText(GetLastError());
  }
  return false;
}

}  // namespace kh::win32
