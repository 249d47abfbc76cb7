// A build without Xlib: what only X11 can do is not done, and SDL's window surface presents.
#include "Presenter.h"
#include "X11Desktop.h"
#include "X11Screen.h"
#include "X11Wait.h"

namespace kh {

std::unique_ptr<Presenter> makeSharedPresenter(SDL_Window*) { return nullptr; }

namespace x11 {

bool setCloseOnlyHints(SDL_Window*, bool) { return false; }
void requestFrameExtents(SDL_Window*) {}
bool frameExtents(SDL_Window*, int&, int&, int&, int&) { return false; }
unsigned long windowId(SDL_Window*) { return 0; }
void installErrorHandlers() {}
void* display(SDL_Window*) { return nullptr; }
void settle(void*) {}
void forgetGone(SDL_Window*) {}
unsigned long lastFailedWindow() { return 0; }
unsigned long destroyedWindow(const SDL_SysWMmsg*) { return 0; }
ScreenInfo inspectScreen() { return {}; }
bool displayAnswers() { return false; }
void holdEndingSignals() {}
void releaseEndingSignals() {}
bool waitForInput(void*, long long) { return true; }

}  // namespace x11

}  // namespace kh
