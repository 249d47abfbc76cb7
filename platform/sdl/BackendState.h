#pragma once
// What the parts of SdlBackend share; for its own files only.
#include <map>
#include <memory>
#include <stdexcept>

#include "Presenter.h"
#include "SdlAudio.h"
#include "SdlBackend.h"
#include "SdlWindow.h"
#include "Text.h"
#include "VideoDriver.h"

namespace kh {

struct SdlBackend::Impl {
  explicit Impl(SdlOptions o) : options(std::move(o)) {}

  SdlOptions options;
  VideoSession video;  // first made, last gone: SDL itself
  std::map<WindowId, SdlWindow> windows;
  WindowId next = 1;
  int scale = 1;
  bool fullscreen = false;  // the player's choice for the play window, for the whole run
  FramePacing pacing;
  struct FreeCursor {
    void operator()(SDL_Cursor* c) const { if (c) SDL_FreeCursor(c); }
  };
  std::unique_ptr<SDL_Cursor, FreeCursor> arrow, cross;
  Cursor cursor = Cursor::Arrow;
  TextRenderer text;
  std::unique_ptr<SdlSound> audio;
  void* xDisplay = nullptr;  // the X connection, once a window shows which
  Micros pumpedAt = INT64_MIN / 4;  // when SDL last asked the window system for events

  SdlWindow& at(WindowId id) {
    auto it = windows.find(id);
    if (it == windows.end()) throw std::logic_error("no such window");
    return it->second;
  }
  void show(SdlWindow& w, Micros t);
  Micros nextDue() const;
  void showDue(Micros t);
  void toggleFullscreen();
  bool handle(const SDL_Event& e, InputEvent& ev);
  void checkWindows();
};

Micros clockNow();

}  // namespace kh
