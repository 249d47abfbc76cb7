#pragma once
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "Platform.h"
#include "PosixSoundFiles.h"
#include "SdlAudio.h"

namespace kh {

// The program must stop: a message box where a display can show one.
void showFatalBox(std::string_view message);
// A line that cannot be written (stderr a pipe nobody reads) must not end the program; for
// the whole run, before anything is reported.
void ignoreBrokenPipes();

// The real desktop through SDL2: each window's pixels enlarged by its whole scale into memory
// the X server reads directly (SDL's window surface elsewhere), only what changed. Text
// through SDL2_ttf with the font found by fontconfig, sound through SDL's audio from POSIX
// files. Its jobs are in files of their own beside SdlBackend.cpp.
class SdlBackend : public WindowSystem, public Events, public TextRenderer {
 public:
  // Sound files named without a folder are looked for in `soundFolders`, first match wins
  // (the working directory when there are none). Throws std::runtime_error when there is no
  // display.
  explicit SdlBackend(std::vector<std::filesystem::path> soundFolders = {});
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

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
  std::uint64_t randomSeed() override;

  // For tools: when the window's pixels were last handed to the window system (now()'s
  // clock), and a left click queued at a client point, as the mouse would make it.
  static Micros shownAt(DisplayWindow& w);
  static void queueClick(DisplayWindow& w, int x, int y);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  SdlAudio audio_;
  PosixSoundFiles files_;

 public:
  Platform platform{*this, *this, *this, audio_, files_};
};

}  // namespace kh
