#pragma once
#include <string_view>

namespace kh {

// The one way the program tells about a problem: one line on stderr, "knuffelhatz: " first.
void reportProblem(std::string_view message);

}  // namespace kh
