#include "PosixSoundFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "PosixFile.h"

namespace kh {

namespace {

std::string tooLarge(std::size_t limit) {
  if (limit >= (1u << 20) && limit % (1u << 20) == 0) return "it is larger than " + std::to_string(limit >> 20) + " MB";
  return "it is larger than " + std::to_string(limit) + " bytes";
}

}  // namespace

std::filesystem::path PosixSoundFiles::locate(const std::string& name) const {
  const std::filesystem::path file(name);
  if (folders_.empty() || file.has_parent_path() || file.is_absolute()) return file;
  for (const auto& folder : folders_) {
    std::error_code ec;
    if (std::filesystem::exists(folder / file, ec)) return folder / file;
  }
  return folders_.front() / file;
}

std::optional<FileStamp> PosixSoundFiles::stamp(const std::string& name, std::string& why) {
  struct stat st {};
  if (::stat(locate(name).c_str(), &st) != 0) {
    why = "cannot open it: " + errnoText(errno);
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) {
    why = notRegularFile(st.st_mode);
    return std::nullopt;
  }
  // Device and inode folded into one number: a file put in place of another is new.
  const std::uint64_t id = std::uint64_t(st.st_ino) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(st.st_dev);
  return FileStamp{id, std::uint64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::optional<std::vector<std::uint8_t>> PosixSoundFiles::read(const std::string& name, std::size_t limit,
                                                               std::string& why) {
  const std::filesystem::path path = locate(name);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    why = "cannot open it: " + errnoText(errno);
    return std::nullopt;
  }
  // Never open what could block: a FIFO waits for a writer, a device for who knows what.
  if (!S_ISREG(st.st_mode)) {
    why = notRegularFile(st.st_mode);
    return std::nullopt;
  }
  if (std::uint64_t(st.st_size) > limit) {
    why = tooLarge(limit);
    return std::nullopt;
  }
  // Non-blocking, in case the name was swapped for a FIFO since the look above.
  const UniqueFd f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (f.fd < 0) {
    why = "cannot open it: " + errnoText(errno);
    return std::nullopt;
  }
  if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = notRegularFile(st.st_mode);
    return std::nullopt;
  }
  // Read to the end rather than trusting the size: some files report 0 and hold more.
  std::vector<std::uint8_t> bytes(std::min<std::size_t>(std::size_t(st.st_size), limit) + 1);
  std::size_t have = 0;
  for (;;) {
    if (have == bytes.size()) {
      if (have > limit) {
        why = tooLarge(limit);
        return std::nullopt;
      }
      bytes.resize(std::min(limit + 1, bytes.size() * 2 + 4096));
    }
    const ssize_t n = ::read(f.fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = "cannot read it: " + errnoText(errno);
      return std::nullopt;
    }
    if (n == 0) break;
    have += std::size_t(n);
  }
  bytes.resize(have);
  return bytes;
}

}  // namespace kh
