// Text through the browser's canvas: the family asked for where the system has it, else the
// Lato Black the page serves; the coverage is the drawn text's alpha.
#include <cmath>
#include <string>

#include "WebBackend.h"
#include "WebPage.h"

namespace kh {

TextBitmap WebBackend::renderText(const FontSpec& font, std::string_view utf8) {
  TextBitmap out;
  if (utf8.empty()) return out;
  const std::string text(utf8);
  const double px = std::lround(font.points * 96.0 / 72.0);
  int size[2] = {0, 0};
  if (!kh_web_text(font.family.c_str(), px, font.weight, text.c_str(), size)) return out;
  out.width = size[0];
  out.height = size[1];
  out.coverage.resize(std::size_t(out.width) * std::size_t(out.height));
  kh_web_text_coverage(out.coverage.data());
  return out;
}

}  // namespace kh
