#pragma once
#include <string>
#include <string_view>

#include "Form.h"

namespace kh {

// What both windows' labels are drawn with. Arial Black is black whatever weight is asked.
inline const FontSpec kLabelFont{"Arial Black", 15.75f, 400};
inline const FontSpec kSmallLabelFont{"Arial Black", 9.75f, 400};
constexpr Pixel kLabelRed = rgb(255, 0, 0);

// A fixed prefix followed by a number in plain decimal, as every counter is shown.
inline std::string joinNumber(std::string_view prefix, long long n) { return std::string(prefix) + std::to_string(n); }
inline std::string pointsCaption(long long punkte) { return joinNumber("Punkte: ", punkte); }
inline std::string shotsCaption(long long shots) { return joinNumber("Schuss: ", shots); }

}  // namespace kh
