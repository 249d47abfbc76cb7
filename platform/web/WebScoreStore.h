#pragma once
#include <set>
#include <string>

#include "ScoreStore.h"

namespace kh {

// The best score in the page's local storage, under one key, as the same two bytes the
// desktop keeps in "Hi.wbh": a signed little-endian number, written as hexadecimal digits
// (byte 0 first). Later bytes, should the value hold any, are kept as they are.
class WebScoreStore : public ScoreStore {
 public:
  explicit WebScoreStore(std::string key = "knuffelhatz/Hi.wbh") : key_(std::move(key)) {}

  std::optional<std::int16_t> read() override;
  bool write(std::int16_t score) override;

 private:
  void report(const std::string& what, const std::string& why);
  std::string key_;
  std::set<std::string> reported_;
};

}  // namespace kh
