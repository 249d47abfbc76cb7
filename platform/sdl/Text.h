#pragma once
#include <SDL_ttf.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform.h"

namespace kh {

// Labels' text through SDL2_ttf, with the font file found by fontconfig: the family the
// design names, else Lato Black (packaged with the game). Fonts stay open for the run, their
// files' bytes in memory.
class SdlText {
 public:
  SdlText();  // a problem is reported once; texts then stay blank
  ~SdlText();
  SdlText(const SdlText&) = delete;
  SdlText& operator=(const SdlText&) = delete;

  TextBitmap render(const FontSpec& font, std::string_view utf8);

 private:
  struct CloseFont {
    void operator()(TTF_Font* f) const { if (f) TTF_CloseFont(f); }
  };
  bool ready_ = false;
  bool warned_ = false;
  std::map<std::pair<std::string, int>, std::string> files_;  // family and weight: file
  std::map<std::string, std::vector<char>> bytes_;  // file: its bytes, kept while its fonts are open
  std::map<std::pair<std::string, int>, std::unique_ptr<TTF_Font, CloseFont>> fonts_;  // file and pixels
};

}  // namespace kh
