#pragma once
#include "Rect.h"
#include "Surface.h"

namespace kh {

constexpr int kMaxScale = 8;

// How a window's picture of whole pixels is shown on a device surface: enlarged by a whole
// number with nearest-neighbour pixels, centred, the rest black.
struct Viewport {
  int scale = 1;
  int left = 0, top = 0;  // device pixel of the picture's top-left corner
  int width = 0, height = 0;  // the picture, in its own pixels
  int areaWidth = 0, areaHeight = 0;  // the device area
  int inset = 0;  // a frame of the picture's own around the window's client area

  // The largest whole scale (at least 1) at which the picture fits into the device area.
  static Viewport fit(int width, int height, int areaWidth, int areaHeight);

  // A device pixel as a pixel of the picture. Pixels of the black bars count as the
  // picture's pixels nearest to them, so a pointer in a bar is over that side's edge.
  void toPicture(float deviceX, float deviceY, float& x, float& y) const;
  // A device pixel as a pixel of the client area inside the frame, which counts as the edge.
  void toClient(float deviceX, float deviceY, float& x, float& y) const;
  // The device pixels a rectangle of the picture covers.
  Rect toDevice(const Rect& r) const;
  // The part of a rectangle of the picture that is shown whole on the device area.
  Rect shown(const Rect& r) const;
};

// The scale a desktop of the given height suggests: the largest whole number at which a
// window of `clientHeight` pixels plus `decoration` pixels of frame takes no more than
// about 60% of the height; 1 at least, kMaxScale at most.
int suggestedScale(int clientHeight, int decoration, int desktopHeight);

// The fixed dialog border of a window without title bar: a raised edge of 2 pixels and a
// ring of button face, drawn on the outermost pixels of `s`.
constexpr int kDialogFrame = 3;
void drawDialogFrame(Surface& s);

// Enlarges the rectangle `r` of `src` by the view's scale into 32-bit device pixels at `dst`,
// whose rows are `pitch` bytes apart, where the picture's pixel (x, y) shows; r moved to
// (x, y) must lie within view.shown.
void blitScaled(const Surface& src, const Rect& r, int x, int y, const Viewport& view, void* dst, int pitch);

}  // namespace kh
