#include "Win32ScoreStore.h"

#include "Report.h"
#include "Win32File.h"

namespace kh::win32 {

namespace {

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

}  // namespace kh::win32
