#include "HighScoreFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "Report.h"

namespace kh {

namespace {

std::string reason(int err) { return err ? std::strerror(err) : "unknown error"; }

// Creates the file empty when it is missing; never truncates it.
bool ensureExists(const std::filesystem::path& p, std::string& why) {
  std::error_code ec;
  const auto st = std::filesystem::status(p, ec);
  if (std::filesystem::is_directory(st)) {
    why = "it is a directory";
    return false;
  }
  if (std::filesystem::exists(st)) return true;
  errno = 0;
  std::ofstream create(p, std::ios::binary | std::ios::app);
  if (!create) {
    why = reason(errno);
    return false;
  }
  return true;
}

}  // namespace

void HighScoreFile::report(const std::string& what, const std::string& why) const {
  reportProblem("cannot " + what + " the best score in \"" + path_.string() + "\": " + why);
}

std::optional<std::int16_t> HighScoreFile::read() const {
  std::string why;
  if (!ensureExists(path_, why)) {
    report("read", why);
    return std::nullopt;
  }
  errno = 0;
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    report("read", reason(errno));
    return std::nullopt;
  }
  unsigned char b[2] = {0, 0};
  in.read(reinterpret_cast<char*>(b), 2);
  if (in.bad()) {
    report("read", reason(errno));
    return std::nullopt;
  }
  // Two bytes, one byte (taken as the low byte) or none at all (0).
  return std::int16_t(std::uint16_t(b[0] | (b[1] << 8)));
}

bool HighScoreFile::write(std::int16_t score) const {
  std::string why;
  if (!ensureExists(path_, why)) {
    report("store", why);
    return false;
  }
  errno = 0;
  std::fstream f(path_, std::ios::binary | std::ios::in | std::ios::out);
  if (!f) {
    report("store", reason(errno));
    return false;
  }
  const auto v = std::uint16_t(score);
  const char b[2] = {char(v & 0xff), char(v >> 8)};
  f.seekp(0);
  f.write(b, 2);
  f.flush();
  if (!f) {
    report("store", reason(errno));
    return false;
  }
  f.close();
  if (f.fail()) {
    report("store", reason(errno));
    return false;
  }
  return true;
}

}  // namespace kh
