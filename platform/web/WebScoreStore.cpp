#include "WebScoreStore.h"

#include "Report.h"
#include "WebPage.h"

namespace kh {

void WebScoreStore::report(const std::string& what, const std::string& why) {
  const std::string line = "cannot " + what + " the best score in the page's storage: " + why;
  if (reported_.insert(line).second) reportProblem(line);
}

std::optional<std::int16_t> WebScoreStore::read() {
  int stored = 0;
  char why[256] = {};
  if (!kh_web_score(key_.c_str(), 0, 0, &stored, why)) {
    report("read", why);
    return std::nullopt;
  }
  return std::int16_t(stored);
}

bool WebScoreStore::write(std::int16_t score) {
  int stored = 0;
  char why[256] = {};
  if (!kh_web_score(key_.c_str(), score, 1, &stored, why)) {
    report("store", why);
    return false;
  }
  return true;
}

}  // namespace kh
