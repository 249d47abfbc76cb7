#pragma once
#include <optional>
#include <set>
#include <string>

#include "ScoreStore.h"

namespace kh::win32 {

// "Hi.wbh" on Windows: two bytes at offset 0, never truncated, nothing else written. Only a
// plain file on a disk is opened: a folder, a device, a pipe or a link (any reparse point)
// under the name is refused. Reading and storing hold a lock on the two bytes, so two copies
// of the game cannot interleave.
class Win32ScoreStore : public ScoreStore {
 public:
  explicit Win32ScoreStore(std::wstring path) : path_(std::move(path)) {}
  std::optional<std::int16_t> read() override;
  bool write(std::int16_t score) override;

 private:
  void report(const std::string& what, const std::string& why);
  std::wstring path_;
  std::set<std::string> reported_;
};

}  // namespace kh::win32
