#include "X11Desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

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

bool displayAnswers() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XCloseDisplay(d);
  return true;
}

bool waitForInput(void* display, long long micros) {
  auto* d = static_cast<Display*>(display);
  // Events may already wait inside Xlib, read off the connection along with a reply.
  if (XEventsQueued(d, QueuedAfterReading) > 0) return true;
  pollfd p{ConnectionNumber(d), POLLIN, 0};
  const timespec t{time_t(micros / 1'000'000), long(micros % 1'000'000) * 1000};
  return ppoll(&p, 1, &t, nullptr) != 0;
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

struct SharedPixels::State {
  Display* display = nullptr;
  Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  GC gc = nullptr;
  XImage* image = nullptr;
  XShmSegmentInfo shm{};

  void release() {
    if (!image) return;
    XShmDetach(display, &shm);
    XSync(display, False);
    image->data = nullptr;
    XDestroyImage(image);
    shmdt(shm.shmaddr);
    image = nullptr;
  }
  ~State() {
    release();
    if (gc) XFreeGC(display, gc);
  }
};

std::unique_ptr<SharedPixels> SharedPixels::create(SDL_Window* w) {
  const Target t = target(w);
  if (!t.display || !XShmQueryExtension(t.display)) return nullptr;
  // Only a server on this machine can see our memory.
  const char* name = DisplayString(t.display);
  if (!name || name[0] != ':') return nullptr;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(t.display, t.window, &a) || !a.visual) return nullptr;
  if (a.visual->red_mask != 0xff0000 || a.visual->green_mask != 0xff00 || a.visual->blue_mask != 0xff) return nullptr;
  auto st = std::make_unique<State>();
  st->display = t.display;
  st->window = t.window;
  st->visual = a.visual;
  st->depth = a.depth;
  st->gc = XCreateGC(t.display, t.window, 0, nullptr);
  if (!st->gc) return nullptr;
  return std::unique_ptr<SharedPixels>(new SharedPixels(std::move(st)));
}

SharedPixels::SharedPixels(std::unique_ptr<State> s) : s_(std::move(s)) {}
SharedPixels::~SharedPixels() = default;

bool SharedPixels::fit(int w, int h) {
  State& st = *s_;
  if (st.image && st.image->width == w && st.image->height == h) return true;
  st.release();
  if (w <= 0 || h <= 0) return false;
  XImage* img = XShmCreateImage(st.display, st.visual, unsigned(st.depth), ZPixmap, nullptr, &st.shm, unsigned(w),
                                unsigned(h));
  if (!img) return false;
  if (img->bits_per_pixel != 32) {
    XDestroyImage(img);
    return false;
  }
  st.shm.shmid = shmget(IPC_PRIVATE, std::size_t(img->bytes_per_line) * std::size_t(h), IPC_CREAT | 0600);
  if (st.shm.shmid < 0) {
    XDestroyImage(img);
    return false;
  }
  st.shm.shmaddr = img->data = static_cast<char*>(shmat(st.shm.shmid, nullptr, 0));
  st.shm.readOnly = False;
  const bool attached = st.shm.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(st.display, &st.shm);
  XSync(st.display, False);
  // Marked for removal now: it goes when both sides have let go, even if we end abruptly.
  shmctl(st.shm.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (st.shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(st.shm.shmaddr);
    img->data = nullptr;
    XDestroyImage(img);
    return false;
  }
  st.image = img;
  return true;
}

int SharedPixels::width() const { return s_->image ? s_->image->width : 0; }
int SharedPixels::height() const { return s_->image ? s_->image->height : 0; }
int SharedPixels::pitch() const { return s_->image ? s_->image->bytes_per_line : 0; }

void* SharedPixels::pixels() { return s_->image ? s_->image->data : nullptr; }

void SharedPixels::put(int x, int y, int w, int h) {
  State& st = *s_;
  if (!st.image) return;
  // No word back when it is done: that would wake us once more for every frame. Frames come
  // a display refresh apart, and the server copies a frame in well under a millisecond.
  XShmPutImage(st.display, st.window, st.gc, st.image, x, y, x, y, unsigned(w), unsigned(h), False);
  XFlush(st.display);
}

}  // namespace kh::x11
