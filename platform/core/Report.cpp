#include "Report.h"

#include <cstdio>
#include <string>

namespace kh {

void reportProblem(std::string_view message) {
  // One write, so that lines from different moments never interleave.
  const std::string line = "knuffelhatz: " + std::string(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kh
