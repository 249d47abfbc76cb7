// Any bytes as "Hi.wbh": the read gives the documented value (none 0, one byte the low byte,
// else the first two, little-endian), and a write changes the first two bytes only, and
// only to a higher score.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "HighScoreFile.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "HIGH-SCORE FILE FAILED: %s\n", what);
  std::abort();
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto dir = std::filesystem::temp_directory_path() / ("kh-fuzz-score-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "Hi.wbh";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  kh::BestScore hs(std::make_unique<kh::HighScoreFile>(file));
  const auto v = hs.read();
  const std::int16_t want = size == 0 ? 0 : size == 1 ? data[0] : std::int16_t(std::uint16_t(data[0] | (data[1] << 8)));
  if (!v) fail("a readable file was not read");
  if (*v != want) fail("the value read is not the documented one");
  const auto score = std::int16_t(std::uint16_t(want) * 7 + 3);
  if (!hs.write(score)) fail("a writable file was not written");
  const auto after = bytesOf(file);
  if (score <= want) {
    // A lower score never replaces a higher one: the file stays as it was.
    if (after != std::vector<std::uint8_t>(data, data + size)) fail("a lower score changed the file");
    return 0;
  }
  if (after.size() != std::max<std::size_t>(2, size)) fail("the write changed the file's length wrongly");
  if (after[0] != (std::uint16_t(score) & 0xff) || after[1] != (std::uint16_t(score) >> 8)) fail("the write is not the score");
  for (std::size_t i = 2; i < size; ++i)
    if (after[i] != data[i]) fail("a byte after the score changed");
  if (hs.read() != score) fail("the score written does not read back");
  return 0;
}
