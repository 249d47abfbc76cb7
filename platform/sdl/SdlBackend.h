#pragma once
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Backend.h"

namespace kh {

// How the desktop backend is set up.
struct SdlOptions {
  int scale = 0;  // whole-number window scale, 1..8; 0 picks one that suits the screen
  // Where sound files named without a folder are looked for, first match wins; the working
  // directory when empty.
  std::vector<std::filesystem::path> soundFolders;
};

// The program must stop: one line on stderr and, where a display can show one, a message box.
void reportFatal(std::string_view message);

// Real windows through SDL2: each window's pixels enlarged by a whole scale into memory the
// X server reads directly (SDL's window surface elsewhere), only what changed and no faster
// than the display refreshes; F11 and Alt+Enter put the play window (the one with a title
// bar) on the full screen. Text through SDL2_ttf with the font found by fontconfig, sound
// through SDL's audio. Its jobs are in files of their own beside SdlBackend.cpp.
class SdlBackend : public Backend {
 public:
  explicit SdlBackend(SdlOptions options = {});  // throws std::runtime_error when there is no display
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

  // The whole-number scale the windows are shown at when they are windows.
  int scale() const;
  // What F11 does, for tools: the play window on the full screen, now and in later rounds.
  void setFullscreen(bool on);
  // When the window's pixels were last handed to the window system (now()'s clock).
  Micros shownAt(WindowId id);
  // Queues a left click at a client point, as the mouse would, for tools.
  void queueClick(WindowId id, int x, int y);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kh
