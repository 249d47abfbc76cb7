#include "WebScoreStore.h"

#include <algorithm>

#include "WebPage.h"

namespace kh {

std::optional<ScoreBytes::Bytes> WebScoreStore::read(std::string& why) {
  unsigned char b[2] = {};
  char reason[256] = {};
  const int n = kh_web_score_read(key_.c_str(), b, reason);
  if (n < 0) {
    why = reason;
    return std::nullopt;
  }
  return Bytes(b, b + std::min(n, 2));
}

bool WebScoreStore::update(const Decide& decide, std::string& why) {
  const auto current = read(why);
  if (!current) return false;
  const auto next = decide(*current);
  if (!next) return true;
  char reason[256] = {};
  if (!kh_web_score_write(key_.c_str(), (*next)[0], (*next)[1], reason)) {
    why = reason;
    return false;
  }
  return true;
}

}  // namespace kh
