#pragma once
#include <string>
#include <string_view>

namespace kh::win32 {

// UTF-8, as the game speaks, and UTF-16, as Windows does.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace kh::win32
