#pragma once
#include <SDL.h>

struct SDL_SysWMmsg;

namespace kh::x11 {

// What only the X11 protocol can say about a window and the window manager. Each call does
// nothing (and returns false) when the window is not an X11 one, or in a build without Xlib.

// Asks window managers for a title bar with caption and control menu, a fixed border, and
// of the functions only moving and closing: no minimise, maximise or resize. Going to the
// full screen needs resizing on some window managers: `fullScreen` allows it.
bool setCloseOnlyHints(SDL_Window* w, bool fullScreen = false);

// Asks the window manager for the frame it will give the window (before it is mapped).
void requestFrameExtents(SDL_Window* w);
// The frame the window manager gives or will give the window, if it said so.
bool frameExtents(SDL_Window* w, int& left, int& right, int& top, int& bottom);

// The window's X id, 0 for a window of another kind.
unsigned long windowId(SDL_Window* w);

// Replaces Xlib's error handlers, which print raw protocol errors and end the program, by
// ones that keep quiet and remember the window a request failed on (see lastFailedWindow),
// and report a lost connection in one line before ending the program. Before SDL starts,
// so that SDL hands errors on to them and puts them back when it ends.
void installErrorHandlers();
// The window's X connection, null for a window of another kind.
void* display(SDL_Window* w);
// Waits until the X server has answered every request sent so far, so that the errors of
// requests about windows destroyed by others reach our handler, not SDL's at shutdown.
void settle(void* display);
// For a window destroyed by others: SDL waits for the window's unmapping when it hides or
// destroys a shown window, which never comes for a window that is gone. This tells it.
void forgetGone(SDL_Window* w);
// The X window that a request last failed on for not existing, 0 if none.
unsigned long lastFailedWindow();
// The X window that the window system's notice says was destroyed, 0 for other notices.
unsigned long destroyedWindow(const SDL_SysWMmsg* msg);

}  // namespace kh::x11
