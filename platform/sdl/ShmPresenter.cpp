// X11 only: pixels in memory shared with a local X server.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#include <memory>

#include "Presenter.h"

namespace kh {

namespace {

// The window's pixels as an image in shared memory: handed over without waiting for the
// server (SDL's window surface waits for it at every update). Kept while the size is.
class SharedImage {
 public:
  SharedImage(Display* d, Visual* v, int depth) : display_(d), visual_(v), depth_(depth) {}
  ~SharedImage() { release(); }
  SharedImage(const SharedImage&) = delete;
  SharedImage& operator=(const SharedImage&) = delete;

  // Sized for w x h pixels; false if that fails.
  bool fit(int w, int h) {
    if (image_ && image_->width == w && image_->height == h) return true;
    release();
    if (w <= 0 || h <= 0) return false;
    XImage* img = XShmCreateImage(display_, visual_, unsigned(depth_), ZPixmap, nullptr, &shm_, unsigned(w), unsigned(h));
    if (!img) return false;
    if (img->bits_per_pixel != 32) {
      XDestroyImage(img);
      return false;
    }
    shm_.shmid = shmget(IPC_PRIVATE, std::size_t(img->bytes_per_line) * std::size_t(h), IPC_CREAT | 0600);
    if (shm_.shmid < 0) {
      XDestroyImage(img);
      return false;
    }
    shm_.shmaddr = img->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
    shm_.readOnly = False;
    const bool attached = shm_.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display_, &shm_);
    XSync(display_, False);
    // Marked for removal now: it goes when both sides have let go, even if we end abruptly.
    shmctl(shm_.shmid, IPC_RMID, nullptr);
    if (!attached) {
      if (shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
      img->data = nullptr;
      XDestroyImage(img);
      return false;
    }
    image_ = img;
    return true;
  }
  int width() const { return image_ ? image_->width : 0; }
  int height() const { return image_ ? image_->height : 0; }
  int pitch() const { return image_ ? image_->bytes_per_line : 0; }
  char* pixels() { return image_ ? image_->data : nullptr; }
  // Hands a rectangle to the server. No word back when it is done: that would wake us once
  // more for every frame; frames come a refresh apart and the server copies one in well under
  // a millisecond.
  void put(Window window, GC gc, const Rect& r) {
    XShmPutImage(display_, window, gc, image_, r.x, r.y, r.x, r.y, unsigned(r.w), unsigned(r.h), False);
    XFlush(display_);
  }

 private:
  void release() {
    if (!image_) return;
    XShmDetach(display_, &shm_);
    XSync(display_, False);
    image_->data = nullptr;
    XDestroyImage(image_);
    shmdt(shm_.shmaddr);
    image_ = nullptr;
  }
  Display* display_;
  Visual* visual_;
  int depth_;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
};

// Deep-colour desktops keep 10 bits a channel in the same 32-bit pixel.
void widenTo10Bits(char* pixels, int pitch, const Rect& r) {
  for (int y = r.y; y < r.y + r.h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(pixels + std::ptrdiff_t(y) * pitch);
    for (int x = r.x; x < r.x + r.w; ++x) {
      const std::uint32_t p = row[x];
      auto wide = [](std::uint32_t c) { return (c << 2) | (c >> 6); };
      row[x] = wide((p >> 16) & 0xff) << 20 | wide((p >> 8) & 0xff) << 10 | wide(p & 0xff);
    }
  }
}

class ShmPresenter : public Presenter {
 public:
  ShmPresenter(SDL_Window* w, Display* d, Window x, Visual* v, int depth, bool tenBits)
      : window_(w), display_(d), xwindow_(x), image_(d, v, depth), tenBits_(tenBits),
        gc_(XCreateGC(d, x, 0, nullptr)) {}
  ~ShmPresenter() override {
    if (gc_) XFreeGC(display_, gc_);
  }
  ShmPresenter(const ShmPresenter&) = delete;
  ShmPresenter& operator=(const ShmPresenter&) = delete;
  bool ready() const { return gc_ != nullptr; }

  bool show(const Surface& picture, const Surface& client, int inset, bool whole, const Rect& dirty) override {
    int dw = 0, dh = 0;
    SDL_GetWindowSizeInPixels(window_, &dw, &dh);
    if (image_.width() != dw || image_.height() != dh) whole = true;
    if (!image_.fit(dw, dh)) return false;
    char* px = image_.pixels();
    const int pitch = image_.pitch();
    const FramePlan p = planFrame(picture, client, inset, whole, dirty, dw, dh);
    if (whole) {
      for (int y = 0; y < dh; ++y) std::memset(px + std::ptrdiff_t(y) * pitch, 0, std::size_t(dw) * 4);
      if (inset) blitScaled(picture, p.view.shown({0, 0, picture.width(), picture.height()}), 0, 0, p.view, px, pitch);
    }
    if (p.client.w > 0 && p.client.h > 0)
      blitScaled(client, p.client, p.client.x + inset, p.client.y + inset, p.view, px, pitch);
    if (p.device.w > 0 && p.device.h > 0) {
      if (tenBits_) widenTo10Bits(px, pitch, p.device);
      image_.put(xwindow_, gc_, p.device);
    }
    return true;
  }

 private:
  SDL_Window* window_;
  Display* display_;
  Window xwindow_;
  SharedImage image_;
  bool tenBits_;
  GC gc_;
};

}  // namespace

std::unique_ptr<Presenter> makeSharedPresenter(SDL_Window* w) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  Display* d = info.info.x11.display;
  const Window x = info.info.x11.window;
  if (!XShmQueryExtension(d)) return nullptr;
  // Only a server on this machine can see our memory.
  const char* name = DisplayString(d);
  if (!name || name[0] != ':') return nullptr;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, x, &a) || !a.visual) return nullptr;
  const Visual& v = *a.visual;
  const bool eight = v.red_mask == 0xff0000 && v.green_mask == 0xff00 && v.blue_mask == 0xff;
  const bool ten = v.red_mask == 0x3ff00000 && v.green_mask == 0xffc00 && v.blue_mask == 0x3ff;
  if (!eight && !ten) return nullptr;
  auto p = std::make_unique<ShmPresenter>(w, d, x, a.visual, a.depth, ten);
  if (!p->ready()) return nullptr;
  return p;
}

}  // namespace kh
