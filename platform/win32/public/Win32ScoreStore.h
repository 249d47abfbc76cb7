#pragma once
#include <string>

#include "ScoreStore.h"

namespace kh::win32 {

// "Hi.wbh" on Windows: the first two bytes, never truncated, nothing else written. Only a
// plain file on a disk is opened: a folder, a device, a pipe or a link (any reparse point)
// under the name is refused. Reading and storing hold a lock on the two bytes, so two copies
// of the game cannot interleave; a lock held elsewhere is waited for two seconds at most.
class Win32ScoreStore : public ScoreBytes {
 public:
  explicit Win32ScoreStore(std::wstring path) : path_(std::move(path)) {}
  std::string where() const override;
  std::optional<Bytes> read(std::string& why) override;
  bool update(const Decide& decide, std::string& why) override;

 private:
  std::wstring path_;
};

}  // namespace kh::win32
