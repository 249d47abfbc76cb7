#include "PosixFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace kh {

UniqueFd::~UniqueFd() {
  if (fd >= 0) ::close(fd);
}

std::string errnoText(int err) { return err ? std::strerror(err) : "unknown error"; }

std::string notRegularFile(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory";
  if (S_ISFIFO(mode)) return "it is a FIFO, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  return "it is not a regular file";
}

}  // namespace kh
