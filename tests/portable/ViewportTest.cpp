// The play window enlarged by a whole scale, as a window and on the full screen with black
// bars: every device pixel maps back to the game's own pixel, so the game behaves at any
// scale as at scale 1.
#include <gtest/gtest.h>

#include "Harness.h"
#include "Viewport.h"

namespace kh::test {
namespace {

constexpr int kPlayW = 421, kPlayH = 321;

struct Shown {
  const char* name;
  Viewport view;
};

// Windows at scales 1 to 3, and full screens whose bars lie at the sides or above and below.
std::vector<Shown> views() {
  return {{"window x1", Viewport::fit(kPlayW, kPlayH, kPlayW, kPlayH)},
          {"window x2", Viewport::fit(kPlayW, kPlayH, 2 * kPlayW, 2 * kPlayH)},
          {"window x3", Viewport::fit(kPlayW, kPlayH, 3 * kPlayW, 3 * kPlayH)},
          {"full screen 1920x1080", Viewport::fit(kPlayW, kPlayH, 1920, 1080)},
          {"full screen 1280x1024", Viewport::fit(kPlayW, kPlayH, 1280, 1024)}};
}

TEST(Viewport, LargestWholeScaleThatFitsCentred) {
  for (int s = 1; s <= 3; ++s) {
    const Viewport v = Viewport::fit(kPlayW, kPlayH, s * kPlayW, s * kPlayH);
    EXPECT_EQ(v.scale, s);
    EXPECT_EQ(v.left, 0);
    EXPECT_EQ(v.top, 0);
  }
  const Viewport hd = Viewport::fit(kPlayW, kPlayH, 1920, 1080);  // 1263 x 963
  EXPECT_EQ(hd.scale, 3);
  EXPECT_EQ(hd.left, 328);
  EXPECT_EQ(hd.top, 58);
  // A window manager's other size: the largest scale that fits, centred.
  const Viewport odd = Viewport::fit(kPlayW, kPlayH, 900, 700);
  EXPECT_EQ(odd.scale, 2);
  EXPECT_EQ(odd.left, 29);
  EXPECT_EQ(odd.top, 29);
  // Too small for scale 1: the top-left part, and only what is shown whole is drawn.
  const Viewport small = Viewport::fit(kPlayW, kPlayH, 300, 200);
  EXPECT_EQ(small.scale, 1);
  EXPECT_EQ(small.left, 0);
  const Rect r = small.shown({0, 0, kPlayW, kPlayH});
  EXPECT_EQ(r.w, 300);
  EXPECT_EQ(r.h, 200);
}

TEST(Viewport, SuggestedScaleFromTheDesktopHeight) {
  // The play window's frame within about 60% of the height: 1 on 1080p, 2 on 1440p, 3 on 4K.
  EXPECT_EQ(suggestedScale(kPlayH, 32, 768), 1);
  EXPECT_EQ(suggestedScale(kPlayH, 32, 1080), 1);
  EXPECT_EQ(suggestedScale(kPlayH, 32, 1440), 2);
  EXPECT_EQ(suggestedScale(kPlayH, 32, 2160), 3);
  EXPECT_EQ(suggestedScale(kPlayH, 32, 100000), kMaxScale);
}

TEST(Viewport, EveryDevicePixelMapsBackToItsOwnPixel) {
  for (const Shown& s : views()) {
    SCOPED_TRACE(s.name);
    const Viewport& v = s.view;
    for (int c = 0; c < kPlayW; ++c)
      for (int k = 0; k < v.scale; ++k) {
        float x = -1, y = -1;
        v.toClient(float(v.left + c * v.scale + k), float(v.top + (c % kPlayH) * v.scale + k), x, y);
        ASSERT_EQ(x, float(c));
        ASSERT_EQ(y, float(c % kPlayH));
      }
  }
}

TEST(Viewport, BarsCountAsTheEdgeOnTheirSide) {
  const Viewport v = Viewport::fit(kPlayW, kPlayH, 1920, 1080);
  float x = -1, y = -1;
  v.toClient(0, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  v.toClient(1919, 1079, x, y);
  EXPECT_EQ(x, kPlayW - 1);
  EXPECT_EQ(y, kPlayH - 1);
  v.toClient(float(v.left - 1), 500, x, y);
  EXPECT_EQ(x, 0);
}

TEST(Viewport, DialogFrameAroundTheClientArea) {
  Surface title(338 + 2 * kDialogFrame, 179 + 2 * kDialogFrame, kBlack);
  drawDialogFrame(title);
  // Raised: light above and left, dark below and right; the client area untouched.
  EXPECT_EQ(title.at(100, 0), rgb(227, 227, 227));
  EXPECT_EQ(title.at(0, 100), rgb(227, 227, 227));
  EXPECT_EQ(title.at(100, title.height() - 1), rgb(105, 105, 105));
  EXPECT_EQ(title.at(title.width() - 1, 100), rgb(105, 105, 105));
  EXPECT_EQ(title.at(100, 1), kWhite);
  EXPECT_EQ(title.at(100, 2), rgb(240, 240, 240));
  EXPECT_EQ(title.at(kDialogFrame, kDialogFrame), kBlack);
  EXPECT_EQ(title.at(title.width() - 1 - kDialogFrame, title.height() - 1 - kDialogFrame), kBlack);
  // The frame is the edge: a device pixel on it is the client area's edge pixel.
  Viewport v = Viewport::fit(title.width(), title.height(), 2 * title.width(), 2 * title.height());
  v.inset = kDialogFrame;
  float x = -1, y = -1;
  v.toClient(0, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  v.toClient(2 * (kDialogFrame + 10), 2 * (kDialogFrame + 20) + 1, x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
}

TEST(Viewport, ScaledPictureIsTheOriginalEnlargedPixelForPixel) {
  Surface pic(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) pic.set(x, y, rgb(x * 40, y * 80, 7));
  const Viewport v = Viewport::fit(5, 3, 17, 11);  // scale 3, at (1, 1)
  ASSERT_EQ(v.scale, 3);
  Surface device(17, 11, kBlack);
  blitScaled(pic, {1, 0, 3, 3}, 1, 0, v, device.row(0), 17 * int(sizeof(Pixel)));
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 17; ++x) {
      const int px = (x - v.left) / 3, py = (y - v.top) / 3;
      const bool drawn = x >= v.left + 3 && x < v.left + 12 && y >= v.top && y < v.top + 9;
      ASSERT_EQ(device.at(x, y), drawn ? pic.at(px, py) : kBlack) << x << "," << y;
    }
}

// The game behind the mapping: margins, the play area's border and the play area itself
// answer a device pointer at every scale as at scale 1.
TEST(Viewport, TheGameSeesTheSamePointerAtEveryScale) {
  for (const Shown& s : views()) {
    SCOPED_TRACE(s.name);
    Harness h;
    h.startGame();
    Form1::State& st = h.f1.state();
    const Viewport& v = s.view;
    auto move = [&](int dx, int dy) {
      float x = 0, y = 0;
      v.toClient(float(dx), float(dy), x, y);
      h.be.mouse(InputEvent::Type::MouseMove, h.playWindow(), x, y, 0);
      h.runFor(0);
    };
    // Device pixel of a window pixel's last device column/row: the far end of that pixel.
    auto far = [&](int c, int origin) { return origin + c * v.scale + v.scale - 1; };
    const int midY = far(150, v.top);
    st.scrollSpeed = 0;
    move(far(7, v.left), midY);  // the left margin
    EXPECT_EQ(st.scrollSpeed, 11);
    st.scrollSpeed = 0;
    move(far(409, v.left), midY);  // the right margin
    EXPECT_EQ(st.scrollSpeed, -11);
    st.scrollSpeed = 0;
    move(0, midY);  // the left bar, or the window's left edge
    EXPECT_EQ(st.scrollSpeed, 11);
    move(v.areaWidth - 1, midY);
    EXPECT_EQ(st.scrollSpeed, -11);
    // The play area's border reports nothing; its first client pixel is aim (0, 0).
    st.aimX = st.aimY = -7;
    move(far(9, v.left), far(33, v.top));
    EXPECT_EQ(st.aimX, -7);
    move(v.left + 10 * v.scale, v.top + 34 * v.scale);
    EXPECT_EQ(st.aimX, 0);
    EXPECT_EQ(st.aimY, 0);
    // The dead zone's edges: play-area columns 95 and 305 stand still, 94 does not.
    move(far(10 + 95, v.left), midY);
    EXPECT_EQ(st.scrollSpeed, 0);
    move(far(10 + 305, v.left), midY);
    EXPECT_EQ(st.scrollSpeed, 0);
    move(far(10 + 94, v.left), midY);
    EXPECT_GT(st.scrollSpeed, 0);
    EXPECT_EQ(st.aimX, 94);
    EXPECT_EQ(st.aimY, 150 - 34);
  }
}

}  // namespace
}  // namespace kh::test
