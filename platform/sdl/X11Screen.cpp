#include "X11Screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>

namespace kh::x11 {

namespace {

struct CloseDisplay {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, CloseDisplay>;

bool eightBits(const Visual& v) { return v.red_mask == 0xff0000 && v.green_mask == 0xff00 && v.blue_mask == 0xff; }
bool tenBits(const Visual& v) { return v.red_mask == 0x3ff00000 && v.green_mask == 0xffc00 && v.blue_mask == 0x3ff; }

// A true-colour visual of the screen with 8 bits a channel at `depth`, 0 if none.
unsigned long trueColour(Display* d, int screen, int depth) {
  XVisualInfo want{};
  want.screen = screen;
  want.depth = depth;
  want.c_class = TrueColor;
  int n = 0;
  XVisualInfo* found = XGetVisualInfo(d, VisualScreenMask | VisualDepthMask | VisualClassMask, &want, &n);
  unsigned long id = 0;
  for (int i = 0; i < n && !id; ++i)
    if (eightBits(*found[i].visual)) id = found[i].visualid;
  if (found) XFree(found);
  return id;
}

}  // namespace

ScreenInfo inspectScreen() {
  ScreenInfo info;
  const DisplayPtr d(XOpenDisplay(nullptr));
  if (!d) return info;
  info.answers = true;
  info.number = DefaultScreen(d.get());
  const Visual& v = *DefaultVisual(d.get(), info.number);
  info.depth = DefaultDepth(d.get(), info.number);
  const char* name = DisplayString(d.get());
  // Only a server on this machine can see our memory.
  const bool local = name && name[0] == ':' && XShmQueryExtension(d.get());
  info.shared = local && v.c_class == TrueColor && (eightBits(v) || tenBits(v));
  // SDL's window surface knows true colour of 15, 16, 24 and 32 bits; not 30 bits, no palettes.
  info.surface = v.c_class == TrueColor && (info.depth == 15 || info.depth == 16 || info.depth == 24 || info.depth == 32);
  if (!info.surface) {
    info.visual = trueColour(d.get(), info.number, 24);
    if (!info.visual) info.visual = trueColour(d.get(), info.number, 32);
  }
  return info;
}

bool displayAnswers() { return DisplayPtr(XOpenDisplay(nullptr)) != nullptr; }

}  // namespace kh::x11
