#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"

namespace kh {

// How the Windows backend is set up.
struct Win32Options {
  int scale = 0;  // whole-number window scale, 1..8; 0 picks one that suits the screen
  std::vector<std::wstring> soundFolders;  // where sound files are looked for, first match wins
};

// Real windows through plain Win32: each window's pixels enlarged by a whole scale into a
// DIB section that GDI copies to the screen; F11 and Alt+Enter put the play window (the one
// with a title bar) on the full screen. Text through GDI, sound through waveOut, time from
// the performance counter, waits on a high-resolution waitable timer.
class Win32Backend : public Backend {
 public:
  explicit Win32Backend(Win32Options options = {});
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

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

  int scale() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace kh
