#include "HighScoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "PosixFile.h"

namespace kh {

namespace {

// The file opened with `flags`, created empty first when it is missing and never truncated.
// Nothing that could block is opened (a FIFO, a device, a socket), and a link to a missing
// file is not followed: the file is created only under its own name, nowhere else.
UniqueFd openScoreFile(const std::filesystem::path& p, int flags, std::string& why) {
  struct stat st {};
  if (::stat(p.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      why = notRegularFile(st.st_mode);
      return {};
    }
  } else if (errno == ENOENT) {
    const UniqueFd created(::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (created.fd < 0 && errno != EEXIST) {
      why = errnoText(errno);
      return {};
    }
    if (created.fd < 0 && ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      why = "it is a link to a missing file";
      return {};
    }
  } else {
    why = errnoText(errno);
    return {};
  }
  // Non-blocking, in case the name was swapped for a FIFO since the look above.
  UniqueFd f(::open(p.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (f.fd < 0) {
    why = errnoText(errno);
    return {};
  }
  if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = notRegularFile(st.st_mode);
    return {};
  }
  return f;
}

// Up to two bytes from offset 0; -1 on an error.
ssize_t readPrefix(int fd, unsigned char (&b)[2]) {
  ssize_t have = 0;
  while (have < 2) {
    const ssize_t n = ::pread(fd, b + have, std::size_t(2 - have), have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    have += n;
  }
  return have;
}

// The whole file locked for writing. Another copy holds it for a moment only, so this
// waits two seconds at most, never for ever. Where the file system has no locks, it goes
// on without one, as every version before did.
bool lockForWriting(int fd, std::string& why) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  for (int tries = 0;; ++tries) {
    if (::fcntl(fd, F_SETLK, &lock) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EACCES && errno != EAGAIN) return true;
    if (tries == 200) {
      why = "another program keeps it locked";
      return false;
    }
    const timespec pause{0, 10'000'000};
    ::nanosleep(&pause, nullptr);
  }
}

}  // namespace

std::optional<ScoreBytes::Bytes> HighScoreFile::read(std::string& why) {
  const UniqueFd f = openScoreFile(path_, O_RDONLY, why);
  if (f.fd < 0) return std::nullopt;
  unsigned char b[2] = {0, 0};
  const ssize_t length = readPrefix(f.fd, b);
  if (length < 0) {
    why = errnoText(errno);
    return std::nullopt;
  }
  return Bytes(b, b + length);
}

bool HighScoreFile::update(const Decide& decide, std::string& why) {
  const UniqueFd f = openScoreFile(path_, O_RDWR, why);
  if (f.fd < 0 || !lockForWriting(f.fd, why)) return false;
  // Read again under the lock: another copy may have stored a higher score since this one
  // read the file at its start.
  unsigned char old[2] = {0, 0};
  const ssize_t oldLength = readPrefix(f.fd, old);
  if (oldLength < 0) {
    why = errnoText(errno);
    return false;
  }
  const auto b = decide(Bytes(old, old + oldLength));
  if (!b) return true;
  // One call: whatever stops the program, the file holds the old two bytes or the new ones.
  ssize_t n;
  do n = ::pwrite(f.fd, b->data(), 2, 0);
  while (n < 0 && errno == EINTR);
  if (n == 2) return true;
  why = errnoText(n < 0 ? errno : ENOSPC);
  if (n > 0) {
    // Only part of it went in: put back what was there.
    if (::pwrite(f.fd, old, std::size_t(oldLength), 0) < 0 || (oldLength < 2 && ::ftruncate(f.fd, oldLength) != 0))
      why += "; the old bytes could not be put back: " + errnoText(errno);
  }
  return false;
}

}  // namespace kh
