#pragma once
#include <SDL.h>

#include <span>

#include "Platform.h"

namespace kh {

// What translating input needs to know of one of the game's windows.
struct WindowState {
  WindowId id = 0;
  Uint32 sdlId = 0;
  int width = 0, height = 0;            // in SDL's window coordinates
  int pixelWidth = 0, pixelHeight = 0;  // in device pixels (more where the desktop scales windows)
};

// What an SDL event means.
struct Translated {
  enum class Action {
    None,
    Input,         // `input` for the core's rules
    Redraw,        // window `input.window` needs all its pixels again
    WindowSystem,  // a notice of the window system's own, for the backend to read
  };
  Action action = Action::None;
  RawInput input;
};

// SDL's event as raw input: window coordinates to device pixels, buttons, typed text, the
// keys that mean more than a character. `mods` are the modifier keys held, for mouse events.
Translated translateInput(const SDL_Event& e, std::span<const WindowState> windows, SDL_Keymod mods);

}  // namespace kh
