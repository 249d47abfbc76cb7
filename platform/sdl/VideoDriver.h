#pragma once
#include "Platform.h"
#include "Presenter.h"
#include "Signals.h"
#include "X11Screen.h"

namespace kh {

// SDL's video for the run: the desktop the environment names, the screen its DISPLAY names
// (SDL's display 0), and how windows are presented there. SDL starts and ends with it.
class VideoSession {
 public:
  // Throws std::runtime_error when there is no display, or none the game can draw on.
  VideoSession();
  ~VideoSession();
  VideoSession(const VideoSession&) = delete;
  VideoSession& operator=(const VideoSession&) = delete;

  Presenting presenting() const { return presenting_; }
  Micros refreshPeriod() const;
  int screenWidth() const;
  int screenHeight() const;

 private:
  struct Started {
    explicit Started(x11::ScreenInfo& screen);  // SDL's video and events, or throws; looks at an X screen
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
  };
  x11::ScreenInfo screen_;
  Started started_;
  HangUpAsTerminate hangUp_;
  Presenting presenting_ = Presenting::WindowSurface;
};

}  // namespace kh
