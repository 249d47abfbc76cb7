#include "WebScoreStore.h"

#include <emscripten.h>

#include "Report.h"

namespace kh {

namespace {

// The stored bytes from a value of hexadecimal digits, or null when it is something else.
// Reading, comparing and writing each happen within one call, which no other script of the
// page can interleave.
EM_JS(int, kh_web_score, (const char* key, int score, int store, int* out, char* why), {
  const fail = (reason) => { stringToUTF8(reason, why, 200); return 0; };
  const bytesOf = (v) => (v.length % 2 || /[^0-9a-f]/i.test(v) ? null : v.match(/../g) || []);
  let storage, value;
  try {
    storage = window.localStorage;
    value = storage.getItem(UTF8ToString(key));
  } catch (e) {
    return fail('the page may not use local storage (' + e.name + ')');
  }
  const bytes = bytesOf(value || "");
  if (!bytes) return fail('it holds something other than the score');
  // No bytes hold 0; a single byte is the low byte, as the file was read.
  const lo = bytes.length > 0 ? parseInt(bytes[0], 16) : 0, hi = bytes.length > 1 ? parseInt(bytes[1], 16) : 0;
  const stored = bytes.length === 0 ? 0 : bytes.length === 1 ? lo : ((hi << 8) | lo) << 16 >> 16;
  HEAP32[out >> 2] = stored;
  if (!store || stored > score) return 1;
  const hex = (b) => (b & 255).toString(16).padStart(2, "0");
  try {
    storage.setItem(UTF8ToString(key), hex(score) + hex(score >> 8) + bytes.slice(2).join(""));
  } catch (e) {
    return fail('the page may not store it (' + e.name + ')');
  }
  return 1;
});

}  // namespace

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
