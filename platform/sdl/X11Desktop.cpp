#include "X11Desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <cstdlib>

#include "Report.h"

namespace kh::x11 {

namespace {

struct Target {
  Display* display = nullptr;
  Window window = 0;
};

Target target(SDL_Window* w) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  return {info.info.x11.display, info.info.x11.window};
}

// Xlib's error handlers take no context of ours, so what they learn can only be kept here.
std::atomic<unsigned long>& failedWindow() {
  static std::atomic<unsigned long> id{0};
  return id;
}

int onError(Display*, XErrorEvent* e) {
  // A window destroyed by someone else: every later request about it fails like this.
  if (e->error_code == BadWindow || e->error_code == BadDrawable) failedWindow() = e->resourceid;
  return 0;
}

int onIoError(Display*) {
  reportProblem("the connection to the display was lost");
  std::_Exit(1);
}

}  // namespace

bool setCloseOnlyHints(SDL_Window* w, bool fullScreen) {
  const Target t = target(w);
  if (!t.display) return false;
  // _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
  constexpr long kFunctions = 1L << 0, kDecorations = 1L << 1;
  constexpr long kFuncResize = 1L << 1, kFuncMove = 1L << 2, kFuncClose = 1L << 5;
  constexpr long kDecorBorder = 1L << 1, kDecorTitle = 1L << 3, kDecorMenu = 1L << 4;
  const long functions = kFuncMove | kFuncClose | (fullScreen ? kFuncResize : 0);
  const long hints[5] = {kFunctions | kDecorations, functions, kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
  const Atom motif = XInternAtom(t.display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(t.display, t.window, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(hints), 5);
  XFlush(t.display);
  return true;
}

void requestFrameExtents(SDL_Window* w) {
  const Target t = target(w);
  if (!t.display) return;
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = t.window;
  ev.xclient.message_type = XInternAtom(t.display, "_NET_REQUEST_FRAME_EXTENTS", False);
  ev.xclient.format = 32;
  XSendEvent(t.display, DefaultRootWindow(t.display), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  XFlush(t.display);
}

bool frameExtents(SDL_Window* w, int& left, int& right, int& top, int& bottom) {
  const Target t = target(w);
  if (!t.display) return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom extents = XInternAtom(t.display, "_NET_FRAME_EXTENTS", False);
  bool ok = false;
  if (XGetWindowProperty(t.display, t.window, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
          Success &&
      data && format == 32 && count == 4) {
    const long* v = reinterpret_cast<const long*>(data);
    left = int(v[0]);
    right = int(v[1]);
    top = int(v[2]);
    bottom = int(v[3]);
    ok = true;
  }
  if (data) XFree(data);
  return ok;
}

void installErrorHandlers() {
  XSetErrorHandler(onError);
  XSetIOErrorHandler(onIoError);
}

void* display(SDL_Window* w) { return target(w).display; }

void settle(void* display) {
  if (display) XSync(static_cast<Display*>(display), False);
}

unsigned long windowId(SDL_Window* w) { return target(w).window; }

void forgetGone(SDL_Window* w) {
  const Target t = target(w);
  if (!t.display || !(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN)) return;
  XEvent ev{};
  ev.xunmap.type = UnmapNotify;
  ev.xunmap.display = t.display;
  ev.xunmap.event = t.window;
  ev.xunmap.window = t.window;
  XPutBackEvent(t.display, &ev);
}

unsigned long lastFailedWindow() { return failedWindow(); }

unsigned long destroyedWindow(const SDL_SysWMmsg* msg) {
  if (!msg || msg->subsystem != SDL_SYSWM_X11 || msg->msg.x11.event.type != DestroyNotify) return 0;
  return msg->msg.x11.event.xdestroywindow.window;
}

}  // namespace kh::x11
