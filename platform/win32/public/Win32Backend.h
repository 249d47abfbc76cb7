#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"
#include "SoundOutput.h"

namespace kh {

// Real windows through plain Win32: each window's pixels enlarged by a whole scale into a
// DIB section that GDI copies to the screen. Text through GDI, sound through waveOut, time
// from the performance counter, waits on a high-resolution waitable timer.
class Win32Backend : public WindowSystem, public Events, public TextRenderer {
 public:
  // Sound files named without a folder are looked for in `soundFolders`, first match wins.
  explicit Win32Backend(std::vector<std::wstring> soundFolders = {});
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // WindowSystem
  std::unique_ptr<DisplayWindow> create(WindowId id, const WindowOptions& opts, int scale) override;
  int screenWidth() override;
  int screenHeight() override;
  Frame frameOf(bool titleBar) override;
  Micros refreshPeriod() override;
  void setCursor(Cursor c) override;
  // TextRenderer
  TextBitmap render(const FontSpec& font, std::string_view utf8) override;
  // Events
  Micros now() override;
  bool wait(RawInput& in, Micros deadline) override;
  bool poll(RawInput& in) override;
  void setPulse(Pulse* pulse) override;  // through Windows' own loops: moving a window, menus
  std::uint64_t randomSeed() override;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<SoundOutput> sound_;  // waveOut
  std::unique_ptr<SoundFiles> files_;

 public:
  Platform platform{*this, *this, *this, *sound_, *files_};
};

}  // namespace kh
