#pragma once
#include <string>
#include <utility>

#include "ScoreStore.h"

namespace kh {

// The best score's bytes in the page's local storage, under one key, as the same bytes the
// desktop keeps in "Hi.wbh", written as pairs of hexadecimal digits (byte 0 first). Later
// bytes, should the value hold any, are kept as they are.
class WebScoreStore : public ScoreBytes {
 public:
  explicit WebScoreStore(std::string key = "knuffelhatz/Hi.wbh") : key_(std::move(key)) {}

  std::string where() const override { return "the page's storage"; }
  std::optional<Bytes> read(std::string& why) override;
  // Within one turn of the page's script, which no other script of the page can interleave:
  // nothing here yields to the page.
  bool update(const Decide& decide, std::string& why) override;

 private:
  std::string key_;
};

}  // namespace kh
