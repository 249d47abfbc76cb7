#pragma once
#include <sys/types.h>

#include <string>

namespace kh {

// An open file descriptor, closed when it goes.
struct UniqueFd {
  int fd = -1;
  UniqueFd() = default;
  explicit UniqueFd(int f) : fd(f) {}
  UniqueFd(UniqueFd&& o) noexcept : fd(o.fd) { o.fd = -1; }
  UniqueFd& operator=(UniqueFd&&) = delete;
  ~UniqueFd();
};

// An errno value in words.
std::string errnoText(int err);

// What a name that is not a regular file turns out to be, said the way a report says it.
std::string notRegularFile(mode_t mode);

}  // namespace kh
