// Text through the browser's canvas: the family asked for where the system has it, else the
// Lato Black the page serves; the coverage is the drawn text's alpha.
#include <emscripten.h>

#include <cmath>
#include <string>

#include "WebBackend.h"

namespace kh {

namespace {

EM_JS(int, kh_web_text, (const char* family, double px, int weight, const char* utf8, int* size), {
  const kh = Module.kh;
  const c = kh.textCanvas || (kh.textCanvas = document.createElement('canvas'));
  const ctx = c.getContext('2d', { willReadFrequently: true });
  // The page serves Lato Black for systems without the family asked for.
  const font = weight + ' ' + px + 'px "' + UTF8ToString(family) + '", "Lato Black", sans-serif';
  const text = UTF8ToString(utf8);
  ctx.font = font;
  const m = ctx.measureText(text);
  const ascent = Math.ceil(m.fontBoundingBoxAscent), w = Math.ceil(m.width), h = ascent + Math.ceil(m.fontBoundingBoxDescent);
  HEAP32[size >> 2] = w;
  HEAP32[(size >> 2) + 1] = h;
  if (w <= 0 || h <= 0) return 0;
  c.width = w;
  c.height = h;
  ctx.font = font;
  ctx.fillStyle = '#fff';
  ctx.fillText(text, 0, ascent);
  kh.textPixels = ctx.getImageData(0, 0, w, h).data;
  return 1;
});

EM_JS(void, kh_web_text_coverage, (unsigned char* out), {
  const d = Module.kh.textPixels;
  for (let i = 0, n = d.length >> 2; i < n; ++i) HEAPU8[out + i] = d[4 * i + 3];
  Module.kh.textPixels = null;
});

}  // namespace

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
