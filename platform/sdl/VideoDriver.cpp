#include "VideoDriver.h"

#include <SDL.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "Report.h"
#include "SdlBackend.h"
#include "X11Desktop.h"
#include "X11Screen.h"
#include "X11Wait.h"

namespace kh {

namespace {

bool isSet(const char* name) {
  const char* v = SDL_getenv(name);
  return v && *v;
}

// A window driver that shows windows to a person; the others (offscreen, dummy, a console's
// frame buffer) run invisibly unless someone asked for them.
bool isDesktopDriver(const char* name) {
  const std::string n = name ? name : "";
  return n == "x11" || n == "wayland" || n == "windows" || n == "cocoa";
}

}  // namespace

void showFatalBox(std::string_view message) {
  // A box only where someone can see it: SDL's last resort would otherwise try a helper
  // program that complains on stderr about the missing display.
  const bool visible = (isSet("DISPLAY") && x11::displayAnswers()) || isSet("WAYLAND_DISPLAY");
  if (!visible) return;
  const std::string text(message);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Knuffelhatz", text.c_str(), nullptr);
}

VideoSession::Started::Started(x11::ScreenInfo& screen) {
  ignoreBrokenPipes();
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  const bool chosen = isSet("SDL_VIDEODRIVER");
  if (!chosen) {
    // Only the desktops the environment names, so SDL neither falls back to an invisible
    // driver nor tries, and complains about, one that is not there.
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
      throw std::runtime_error("no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    SDL_SetHint(SDL_HINT_VIDEODRIVER,
                !isSet("WAYLAND_DISPLAY") ? "x11" : !isSet("DISPLAY") ? "wayland,x11" : "x11,wayland");
  }
  if (isSet("DISPLAY") && (!chosen || std::string(SDL_getenv("SDL_VIDEODRIVER")) == "x11")) {
    screen = x11::inspectScreen();
    // SDL's screens from XRandR begin with screen 0, and every window goes on its first: without
    // XRandR it knows only the screen DISPLAY names.
    if (screen.number != 0) SDL_SetHint(SDL_HINT_VIDEO_X11_XRANDR, "0");
  }
  x11::installErrorHandlers();
  x11::holdEndingSignals();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const std::string why = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("cannot open a window on the display: " + why);
  }
  if (!chosen && !isDesktopDriver(SDL_GetCurrentVideoDriver())) {
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none";
    SDL_Quit();
    throw std::runtime_error("no display to open a window on (only the video driver \"" + driver + "\")");
  }
  // Only the wait on an X connection lets them through.
  const char* name = SDL_GetCurrentVideoDriver();
  if (!name || std::string(name) != "x11") x11::releaseEndingSignals();
}

VideoSession::Started::~Started() { SDL_Quit(); }

VideoSession::VideoSession() : started_(screen_) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!screen_.answers || !driver || std::string(driver) != "x11") return;
  if (screen_.shared) {
    presenting_ = Presenting::SharedMemory;
  } else if (!screen_.surface) {
    if (!screen_.visual)
      throw std::runtime_error("cannot draw on this display: its screen has " + std::to_string(screen_.depth) +
                               "-bit colours, and the game needs true colour of 15 bits or more");
    // SDL draws only in some visuals; windows take one of those.
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", screen_.visual);
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, id);
  }
}

VideoSession::~VideoSession() = default;

Micros VideoSession::refreshPeriod() const {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) return 1'000'000 / mode.refresh_rate;
  return 16'667;
}

int VideoSession::screenWidth() const {
  SDL_DisplayMode m{};
  return SDL_GetDesktopDisplayMode(0, &m) == 0 ? m.w : 1024;
}

int VideoSession::screenHeight() const {
  SDL_DisplayMode m{};
  return SDL_GetDesktopDisplayMode(0, &m) == 0 ? m.h : 768;
}

}  // namespace kh
