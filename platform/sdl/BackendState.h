#pragma once
// What the parts of SdlBackend share; for its own files only.
#include <memory>
#include <vector>

#include "Presenter.h"
#include "SdlBackend.h"
#include "SdlWindow.h"
#include "Text.h"
#include "VideoDriver.h"

namespace kh {

struct SdlBackend::Impl {
  VideoSession video;  // first made, last gone: SDL itself
  std::vector<SdlWindow*> windows;  // those alive, owned by the core
  struct FreeCursor {
    void operator()(SDL_Cursor* c) const { if (c) SDL_FreeCursor(c); }
  };
  std::unique_ptr<SDL_Cursor, FreeCursor> arrow, cross;
  SdlText text;
  void* xDisplay = nullptr;  // the X connection, once a window shows which
  Micros pumpedAt = INT64_MIN / 4;  // when SDL last asked the window system for events

  void show(SdlWindow& w, Micros t);
  // Shows again, whole, the windows whose picture was enlarged or moved.
  void redrawWhole(Micros t);
  bool handle(const SDL_Event& e, RawInput& in);
  void checkWindows();
};

Micros clockNow();

}  // namespace kh
