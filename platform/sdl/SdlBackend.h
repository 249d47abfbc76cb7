#pragma once
#include <map>
#include <memory>
#include <string>

#include "Backend.h"

namespace kh {

// Real windows through SDL2: software frame buffers shown through streaming textures,
// text through SDL2_ttf with the font found by fontconfig, sound through SDL's audio.
class SdlBackend : public Backend {
 public:
  SdlBackend();  // throws std::runtime_error when there is no display
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  WindowId createWindow(const WindowOptions& opts) override;
  void destroyWindow(WindowId id) override;
  void showWindow(WindowId id, bool shown) override;
  Rect windowFrame(WindowId id) override;
  void moveWindowFrame(WindowId id, int left, int top) override;
  int screenWidth() override;
  int screenHeight() override;
  void present(WindowId id, const Surface& client, const Rect& dirty) override;
  void setCursor(Cursor c) override;
  TextBitmap renderText(const FontSpec& font, std::string_view utf8) override;
  Micros now() override;
  bool waitEvent(InputEvent& ev, Micros deadline) override;
  bool pollEvent(InputEvent& ev) override;
  std::uint64_t randomSeed() override;
  MciDevice& mci() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kh
