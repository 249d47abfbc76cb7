#include "Text.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cmath>
#include <fstream>

#include "Report.h"

namespace kh {

namespace {

// The font the game ships a package dependency for; black is its only weight we use.
constexpr const char* kFallbackFamily = "Lato Black";

// The file fontconfig picks for a family at a weight (CSS numbers, 400 regular, 900 black);
// with `exact`, only a face of that very family counts.
std::string findFont(const std::string& family, int weight, bool exact) {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return file;
  if (FcPattern* pat = FcPatternCreate()) {
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pat, &result)) {
      // fontconfig always finds something; a stand-in of another family is no match here.
      bool named = !exact;
      FcChar8* f = nullptr;
      for (int i = 0; !named && FcPatternGetString(match, FC_FAMILY, i, &f) == FcResultMatch; ++i)
        named = f && strcasecmp(reinterpret_cast<const char*>(f), family.c_str()) == 0;
      if (named && FcPatternGetString(match, FC_FILE, 0, &f) == FcResultMatch && f) file = reinterpret_cast<const char*>(f);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
  }
  FcConfigDestroy(config);
  return file;
}

// A font file's bytes, so glyphs drawn mid-game never wait on the disk; empty when it cannot
// be read whole or is too large to keep (the font is then read from its file as needed).
std::vector<char> readFont(const std::string& file) {
  constexpr std::streamoff kMostKept = 16 << 20;
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? std::streamoff(in.tellg()) : -1;
  if (size <= 0 || size > kMostKept) return {};
  std::vector<char> bytes(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return {};
  return bytes;
}

}  // namespace

SdlText::SdlText() : ready_(TTF_Init() == 0) {
  if (!ready_) reportProblem(std::string("texts cannot be drawn: ") + TTF_GetError());
}

SdlText::~SdlText() {
  fonts_.clear();
  if (ready_) TTF_Quit();
}

TextBitmap SdlText::render(const FontSpec& font, std::string_view utf8) {
  TextBitmap out;
  if (!ready_ || utf8.empty()) return out;
  auto& file = files_[{font.family, font.weight}];
  if (file.empty()) file = findFont(font.family, font.weight, true);
  if (file.empty()) file = findFont(kFallbackFamily, 900, false);
  const int px = int(std::lround(font.points * 96.0 / 72.0));
  auto& f = fonts_[{file, px}];
  if (!f && !file.empty()) {
    auto [kept, fresh] = bytes_.try_emplace(file);
    if (fresh) kept->second = readFont(file);
    const std::vector<char>& b = kept->second;
    f.reset(b.empty() ? TTF_OpenFont(file.c_str(), px) : TTF_OpenFontRW(SDL_RWFromConstMem(b.data(), int(b.size())), 1, px));
  }
  if (!f) {
    if (!warned_) reportProblem("no font found for \"" + font.family + "\" nor \"" + kFallbackFamily + "\"; texts stay blank");
    warned_ = true;
    return out;
  }
  const std::string text(utf8);
  struct FreeSurface {
    void operator()(SDL_Surface* s) const { if (s) SDL_FreeSurface(s); }
  };
  using SurfacePtr = std::unique_ptr<SDL_Surface, FreeSurface>;
  SurfacePtr s(TTF_RenderUTF8_Blended(f.get(), text.c_str(), SDL_Color{255, 255, 255, 255}));
  if (!s) return out;
  SurfacePtr argb(SDL_ConvertSurfaceFormat(s.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb) return out;
  out.width = argb->w;
  out.height = argb->h;
  out.coverage.resize(std::size_t(out.width) * std::size_t(out.height));
  SDL_LockSurface(argb.get());
  for (int y = 0; y < out.height; ++y) {
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
    for (int x = 0; x < out.width; ++x) out.coverage[std::size_t(y * out.width + x)] = Uint8(row[x] >> 24);
  }
  SDL_UnlockSurface(argb.get());
  return out;
}

}  // namespace kh
