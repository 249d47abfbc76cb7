// Labels as their window draws them: placed by alignment, clipped to their box, blended by
// coverage over the background. The headless backend draws every character as a fixed box.
#include <gtest/gtest.h>

#include "Form.h"
#include "HeadlessBackend.h"

namespace kh {
namespace {

// 12 points: boxes 16 pixels high and 8 wide; column 6 of each is at half coverage, column 7 empty.
struct LabelForm : Form {
  explicit LabelForm(App& app, Rect box, std::string caption, Align align)
      : Form(app, design()), label(*this, box, std::move(caption), FontSpec{"any", 12, 400}, kBlack, align) {}
  static FormDesign design() {
    FormDesign d;
    d.clientWidth = 100;
    d.clientHeight = 40;
    d.background = kWhite;
    return d;
  }
  Label label;
};

struct Drawn {
  int first = -1, last = -1, top = -1, bottom = -1;
};

Drawn draw(Rect box, const std::string& caption, Align align) {
  HeadlessBackend be;
  App app(be.platform, be.options());
  LabelForm f(app, box, caption, align);
  f.Show();
  Drawn d;
  const Surface& px = be.window(*f.window())->pixels;
  for (int y = 0; y < px.height(); ++y)
    for (int x = 0; x < px.width(); ++x) {
      if (px.at(x, y) == kWhite) continue;
      if (d.first < 0 || x < d.first) d.first = x;
      d.last = std::max(d.last, x);
      if (d.top < 0) d.top = y;
      d.bottom = y;
    }
  return d;
}

TEST(Label, AlignmentPlacesTheTextInItsBox) {
  // "ab" is 16 pixels wide; its last drawn column is the half-covered one at 14.
  const Drawn left = draw({10, 5, 60, 20}, "ab", Align::Left);
  EXPECT_EQ(left.first, 10);
  EXPECT_EQ(left.last, 24);
  EXPECT_EQ(left.top, 5);
  EXPECT_EQ(left.bottom, 20);
  EXPECT_EQ(draw({10, 5, 60, 20}, "ab", Align::Right).first, 54);
  EXPECT_EQ(draw({10, 5, 60, 20}, "ab", Align::Center).first, 32);
  EXPECT_EQ(draw({10, 5, 60, 20}, "äö", Align::Left).last, 24) << "two characters, whatever their bytes";
}

TEST(Label, TextIsClippedToItsBox) {
  const Drawn wide = draw({10, 5, 60, 10}, "abcdefghij", Align::Left);
  EXPECT_EQ(wide.first, 10);
  EXPECT_EQ(wide.last, 69);
  EXPECT_EQ(wide.bottom, 14);
  EXPECT_EQ(draw({10, 5, 60, 10}, "abcdefghij", Align::Right).first, 10) << "right-aligned overflow clips on the left";
  EXPECT_EQ(draw({10, 5, 60, 20}, "", Align::Left).first, -1);
}

TEST(Label, CoverageBlendsTheColourOverTheBackground) {
  HeadlessBackend be;
  App app(be.platform, be.options());
  LabelForm f(app, {0, 0, 50, 20}, "a", Align::Left);
  f.label.setCaption("a");
  f.Show();
  const Surface& px = be.window(*f.window())->pixels;
  EXPECT_EQ(px.at(0, 0), kBlack);
  EXPECT_EQ(px.at(6, 0), rgb(127, 127, 127)) << "half coverage, half the background";
  EXPECT_EQ(px.at(7, 0), kWhite);
  f.label.setCaption("ab");
  app.presentAll();
  EXPECT_EQ(px.at(8, 0), kBlack) << "a new caption is drawn at the next present";
}

}  // namespace
}  // namespace kh
