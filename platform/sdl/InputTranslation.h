#pragma once
#include <SDL.h>

#include <span>

#include "Backend.h"
#include "Viewport.h"

namespace kh {

// What translating input needs to know of one of the game's windows.
struct WindowState {
  WindowId id = 0;
  Uint32 sdlId = 0;
  int width = 0, height = 0;  // in SDL's window coordinates
  Viewport view;              // how the window's picture lies on its pixels
  bool titled = false;        // the play window, the one that goes to the full screen
};

// What an SDL event means to the game.
struct Translated {
  enum class Action {
    None,
    Input,             // `event` for the game
    ToggleFullscreen,  // F11 or Alt+Enter on the play window
    Redraw,            // window `event.window` needs all its pixels again
    WindowSystem,      // a notice of the window system's own, for the backend to read
  };
  Action action = Action::None;
  InputEvent event;
};

// SDL's event as the game's input: window coordinates to client pixels, buttons, keys that
// type a control character. `mods` are the modifier keys held, for mouse events.
Translated translateInput(const SDL_Event& e, std::span<const WindowState> windows, SDL_Keymod mods);

}  // namespace kh
