// Pixel surfaces: the three raster operations, stretching, mirroring, clipping, reading
// pixels back, the one rounding rule, masked sprites and the bitmap decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Form.h"
#include "HeadlessBackend.h"
#include "Surface.h"
#include "Bmp.h"

namespace kh {
namespace {

// A one-row picture whose column i has the colour rgb(i + 1, 0, 0): the red channel tells
// which source column ended up where (0 stays free for "untouched").
Surface numberedColumns(int width, int height = 1) {
  Surface s(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s.set(x, y, rgb(x + 1, y + 1, 0x40));
  return s;
}

int sourceColumnAt(const Surface& s, int x, int y = 0) { return int((s.at(x, y) >> 16) & 0xff) - 1; }

constexpr Pixel kUntouched = rgb(0, 0, 0x99);

// Which destination columns of row `y` the draw changed, as [first, last]; {-1, -1} for none.
std::pair<int, int> touchedColumns(const Surface& s, int y = 0) {
  int first = -1, last = -1;
  for (int x = 0; x < s.width(); ++x) {
    if (s.at(x, y) == kUntouched) continue;
    if (first < 0) first = x;
    last = x;
  }
  return {first, last};
}

// ---- Raster operations ----

// Classic truth-table inputs: S = 1100 and D = 1010 in every nibble, so each bit sees all four
// combinations of source and destination bit across the four shifted pixels, and the result
// byte of an operation is its opcode's third byte.
std::uint32_t pattern(std::uint32_t nibble, int shift) {
  std::uint32_t v = 0;
  for (int i = 0; i < 6; ++i) v |= nibble << (4 * i);
  return ((v << shift) | (v >> (24 - shift))) & 0xffffffu;
}

TEST(SurfaceRop, EveryOperationFollowsItsTruthTableOnEveryColourBit) {
  for (Rop rop : {Rop::SrcCopy, Rop::MergePaint, Rop::SrcAnd}) {
    const std::uint32_t resultNibble = (std::uint32_t(rop) >> 16) & 0xf;
    SCOPED_TRACE(testing::Message() << "opcode 0x" << std::hex << std::uint32_t(rop));
    Surface src(4, 1), dst(4, 1);
    for (int i = 0; i < 4; ++i) {
      src.set(i, 0, pattern(0xc, i));
      dst.set(i, 0, pattern(0xa, i));
    }
    dst.paint(src, 0, 0, std::nullopt, rop);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dst.at(i, 0), pattern(resultNibble, i)) << "pixel " << i;
  }
}

TEST(SurfaceRop, OpcodesAreTheDesktopOnes) {
  // The opcodes are what the drawing calls pass; their third byte is the truth table above.
  EXPECT_EQ(std::uint32_t(Rop::SrcCopy), 0xcc0020u);
  EXPECT_EQ(std::uint32_t(Rop::MergePaint), 0xbb0226u);
  EXPECT_EQ(std::uint32_t(Rop::SrcAnd), 0x8800c6u);
}

TEST(SurfaceRop, MergePaintOfBlackGivesPlainWhiteThatReadsBackAsWhite) {
  Surface dst(2, 1, rgb(12, 200, 7));
  dst.paint(Surface(1, 1, kBlack), 1, 0, std::nullopt, Rop::MergePaint);
  EXPECT_EQ(dst.at(0, 0), rgb(12, 200, 7)) << "outside the source nothing changes";
  EXPECT_EQ(dst.at(1, 0), kWhite) << "no bits beyond the 24 colour bits get set";
  EXPECT_EQ(dst.point(1, 0), 0xffffff);
}

TEST(SurfaceRop, StretchedAndMirroredDrawsUseTheSameOperation) {
  Surface src(3, 1, pattern(0xc, 0));
  for (Rop rop : {Rop::SrcCopy, Rop::MergePaint, Rop::SrcAnd}) {
    const Pixel want = pattern((std::uint32_t(rop) >> 16) & 0xf, 0);
    for (float width : {5.f, -5.f, -3.f}) {
      Surface dst(14, 1, pattern(0xa, 0));
      dst.paint(src, 7, 0, width, rop);
      const int left = width > 0 ? 7 : 7 + int(width);
      for (int x = left; x < left + int(std::abs(width)); ++x)
        EXPECT_EQ(dst.at(x, 0), want) << "width " << width << " column " << x;
    }
  }
}

// ---- Stretching and mirroring ----

TEST(SurfaceStretch, SixtyColumnsStretchedToSixtyFiveKeepOrderAndRepeatFiveColumns) {
  const Surface src = numberedColumns(60);
  Surface dst(70, 1, kUntouched);
  dst.paint(src, 0, 0, 65.f, Rop::SrcCopy);
  EXPECT_EQ(touchedColumns(dst), std::make_pair(0, 64));
  std::vector<int> uses(60, 0);
  for (int x = 0; x < 65; ++x) {
    const int sx = sourceColumnAt(dst, x);
    ASSERT_GE(sx, 0);
    ASSERT_LT(sx, 60);
    ++uses[std::size_t(sx)];
    if (x > 0) {
      EXPECT_GE(sx, sourceColumnAt(dst, x - 1)) << "source order kept at column " << x;
    }
    EXPECT_NEAR(sx, (x + 0.5) * 60.0 / 65.0, 1.0) << "column " << x << " samples near its own place";
  }
  int doubled = 0;
  for (int u : uses) {
    EXPECT_GE(u, 1) << "no source column is dropped";
    EXPECT_LE(u, 2);
    doubled += u == 2;
  }
  EXPECT_EQ(doubled, 5);
  EXPECT_EQ(sourceColumnAt(dst, 0), 0);
  EXPECT_EQ(sourceColumnAt(dst, 64), 59);
}

TEST(SurfaceStretch, StretchingIsHorizontalOnlyAndKeepsEveryRow) {
  const Surface src = numberedColumns(60, 83);
  Surface dst(80, 90, kUntouched);
  dst.paint(src, 3, 2, 65.f, Rop::SrcCopy);
  for (int y = 0; y < 90; ++y) {
    const bool inside = y >= 2 && y < 85;
    EXPECT_EQ(touchedColumns(dst, y), inside ? std::make_pair(3, 67) : std::make_pair(-1, -1)) << "row " << y;
    if (inside) {
      EXPECT_EQ(int((dst.at(40, y) >> 8) & 0xff), y - 2 + 1) << "source row of row " << y;
    }
  }
}

TEST(SurfaceStretch, ANegativeWidthMirrorsLeftwardsFromX1) {
  const Surface src = numberedColumns(60);
  Surface dst(100, 1, kUntouched);
  dst.paint(src, 70, 0, -60.f, Rop::SrcCopy);
  EXPECT_EQ(touchedColumns(dst), std::make_pair(10, 69)) << "covers x1 + width .. x1, x1 itself not included";
  for (int x = 10; x < 70; ++x) EXPECT_EQ(sourceColumnAt(dst, x), 69 - x) << "column " << x;
}

TEST(SurfaceStretch, AMirroredStretchIsTheStretchTurnedRound) {
  const Surface src = numberedColumns(60);
  Surface plain(100, 1, kUntouched), mirrored(100, 1, kUntouched);
  plain.paint(src, 5, 0, 65.f, Rop::SrcCopy);
  mirrored.paint(src, 70, 0, -65.f, Rop::SrcCopy);
  EXPECT_EQ(touchedColumns(mirrored), std::make_pair(5, 69));
  EXPECT_EQ(sourceColumnAt(mirrored, 5), 59);
  EXPECT_EQ(sourceColumnAt(mirrored, 69), 0);
  std::vector<int> uses(60, 0);
  for (int j = 0; j < 65; ++j) {
    const int m = sourceColumnAt(mirrored, 5 + j);
    ++uses[std::size_t(m)];
    if (j > 0) {
      EXPECT_LE(m, sourceColumnAt(mirrored, 5 + j - 1)) << "order reversed at column " << 5 + j;
    }
    // The mirror image of the plain draw, within one column (a tie between two source columns may
    // fall either way).
    EXPECT_NEAR(m, sourceColumnAt(plain, 5 + 64 - j), 1) << "column " << 5 + j;
  }
  for (int u : uses) EXPECT_GE(u, 1) << "no source column is dropped when mirroring";
}

TEST(SurfaceStretch, AZeroWidthDrawsNothing) {
  Surface dst(10, 1, kUntouched);
  dst.paint(numberedColumns(4), 3, 0, 0.f, Rop::SrcCopy);
  dst.paint(numberedColumns(4), 3, 0, 0.4f, Rop::SrcCopy);
  EXPECT_EQ(touchedColumns(dst), std::make_pair(-1, -1));
}

// ---- Clipping ----

// The draw at (x, y) on a small surface must show exactly the window of the same draw on a
// big surface that it overlaps: clipping cuts pixels away but never shifts them.
void expectClippedLikeUnclipped(float x, float y, std::optional<float> width) {
  SCOPED_TRACE(testing::Message() << "at " << x << "," << y << " width " << (width ? *width : 0.f));
  const Surface src = numberedColumns(7, 5);
  constexpr int kPad = 40;
  Surface small(12, 9, kUntouched), big(12 + 2 * kPad, 9 + 2 * kPad, kUntouched);
  small.paint(src, x, y, width, Rop::SrcCopy);
  big.paint(src, x + kPad, y + kPad, width, Rop::SrcCopy);
  for (int yy = 0; yy < small.height(); ++yy)
    for (int xx = 0; xx < small.width(); ++xx)
      ASSERT_EQ(small.at(xx, yy), big.at(xx + kPad, yy + kPad)) << "pixel " << xx << "," << yy;
}

TEST(SurfaceClip, DrawsOverEveryEdgeKeepOnlyWhatLiesInside) {
  for (std::optional<float> w : {std::optional<float>{}, std::optional<float>{11.f}, std::optional<float>{-7.f},
                                 std::optional<float>{-11.f}})
    for (float x : {-30.f, -9.f, -6.f, -3.f, 0.f, 4.f, 8.f, 11.f, 14.f, 30.f})
      for (float y : {-20.f, -4.f, 0.f, 3.f, 7.f, 20.f}) expectClippedLikeUnclipped(x, y, w);
}

TEST(SurfaceClip, OverlapsAtTheCornersAreExact) {
  const Surface src = numberedColumns(4, 3);
  Surface dst(6, 5, kUntouched);
  dst.paint(src, -2, -1, std::nullopt, Rop::SrcCopy);  // top left: source columns 2, 3 and rows 1, 2
  dst.paint(src, 4, 3, std::nullopt, Rop::SrcCopy);    // bottom right: source columns 0, 1 and rows 0, 1
  EXPECT_EQ(dst.at(0, 0), src.at(2, 1));
  EXPECT_EQ(dst.at(1, 1), src.at(3, 2));
  EXPECT_EQ(dst.at(2, 0), kUntouched);
  EXPECT_EQ(dst.at(0, 2), kUntouched);
  EXPECT_EQ(dst.at(4, 3), src.at(0, 0));
  EXPECT_EQ(dst.at(5, 4), src.at(1, 1));
  EXPECT_EQ(dst.at(3, 4), kUntouched);
  EXPECT_EQ(dst.at(5, 2), kUntouched);
}

TEST(SurfaceClip, DrawsWhollyOutsideChangeNothing) {
  const Surface src = numberedColumns(4, 3);
  Surface dst(6, 5, kUntouched);
  const Surface before = dst;
  for (auto [x, y, w] : {std::tuple{-4.f, 0.f, 4.f}, {6.f, 0.f, 4.f}, {0.f, -3.f, 4.f}, {0.f, 5.f, 4.f},
                         {0.f, 0.f, -4.f}, {10.f, 0.f, -4.f}, {-1000.f, -1000.f, 4.f}, {1e6f, 1e6f, -65.f}})
    for (Rop rop : {Rop::SrcCopy, Rop::MergePaint, Rop::SrcAnd}) dst.paint(src, x, y, w, rop);
  EXPECT_EQ(dst, before);
}

TEST(SurfaceClip, EmptySurfacesAreHarmless) {
  Surface dst(3, 3, kUntouched);
  const Surface before = dst;
  dst.paint(Surface(), 0, 0, std::nullopt, Rop::SrcCopy);
  dst.paint(Surface(0, 5), 0, 0, 4.f, Rop::MergePaint);
  EXPECT_EQ(dst, before);
  Surface none;
  none.paint(numberedColumns(3), 0, 0, std::nullopt, Rop::SrcCopy);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.point(0, 0), -1);
}

// ---- Clearing, filling, resizing ----

TEST(SurfaceFill, ClsWhitensThePersistentImageAndKeepsItsSize) {
  HeadlessBackend be;
  App app(be.platform, be.options());
  Form form(app, FormDesign{});
  PictureBox box(form, 40, 30);
  box.PaintPicture(Surface(40, 30, rgb(1, 2, 3)), 0, 0, Rop::SrcCopy);
  EXPECT_EQ(box.Point(39, 29), 0x030201);
  box.Cls();
  EXPECT_EQ(box.ScaleWidth(), 40);
  EXPECT_EQ(box.ScaleHeight(), 30);
  EXPECT_EQ(box.Image(), Surface(40, 30, kWhite));
  EXPECT_EQ(box.Point(0, 0), 0xffffff);
}

TEST(SurfaceFill, FillCoversEveryPixel) {
  Surface s = numberedColumns(5, 4);
  s.fill(rgb(9, 8, 7));
  EXPECT_EQ(s, Surface(5, 4, rgb(9, 8, 7)));
}

TEST(SurfaceFill, ResizingKeepsWhatFitsAndWhitensTheNewArea) {
  HeadlessBackend be;
  App app(be.platform, be.options());
  Form form(app, FormDesign{});
  PictureBox box(form, 112, 105);  // the design size; the play window's load makes it 400 x 250
  box.PaintPicture(Surface(112, 105, rgb(5, 5, 5)), 0, 0, Rop::SrcCopy);
  box.setWidth(400);
  box.setHeight(250);
  EXPECT_EQ(box.ScaleWidth(), 400);
  EXPECT_EQ(box.ScaleHeight(), 250);
  EXPECT_EQ(box.Image().at(111, 104), rgb(5, 5, 5));
  EXPECT_EQ(box.Image().at(112, 0), kWhite);
  EXPECT_EQ(box.Image().at(0, 105), kWhite);
  EXPECT_EQ(box.Image().at(399, 249), kWhite);
  box.setWidth(50);
  EXPECT_EQ(box.Image().width(), 50);
  EXPECT_EQ(box.Image().at(49, 104), rgb(5, 5, 5));
}

// ---- Reading pixels ----

TEST(SurfacePoint, ColourValuesHaveRedInTheLowestByte) {
  Surface s(3, 2);
  s.set(1, 1, rgb(0x12, 0x34, 0x56));
  s.set(2, 0, rgb(255, 0, 0));
  s.set(0, 0, kBlack);
  EXPECT_EQ(s.point(1, 1), 0x563412);
  EXPECT_EQ(s.point(2, 0), 0x0000ff) << "pure red reads as 255";
  EXPECT_EQ(s.point(0, 0), 0);
  EXPECT_EQ(s.point(0, 1), 0xffffff);
}

TEST(SurfacePoint, OutsideTheSurfaceIsMinusOne) {
  const Surface s(4, 3, kBlack);
  for (auto [x, y] : {std::pair{-1.f, 0.f}, {0.f, -1.f}, {4.f, 0.f}, {0.f, 3.f}, {-0.6f, 1.f}, {3.5f, 1.f},
                      {1.f, 2.5f}, {-100.f, -100.f}, {1e7f, 0.f}})
    EXPECT_EQ(s.point(x, y), -1) << x << "," << y;
  for (auto [x, y] : {std::pair{0.f, 0.f}, {3.f, 2.f}, {-0.5f, -0.5f}, {3.49f, 2.49f}})
    EXPECT_EQ(s.point(x, y), 0) << x << "," << y << " lies on the surface";
}

// ---- The rounding rule ----

TEST(SurfaceRounding, NearestPixelHalvesUp) {
  EXPECT_EQ(toPixel(0.f), 0);
  EXPECT_EQ(toPixel(0.49f), 0);
  EXPECT_EQ(toPixel(0.5f), 1);
  EXPECT_EQ(toPixel(1.5f), 2);
  EXPECT_EQ(toPixel(2.5f), 3) << "no rounding to even";
  EXPECT_EQ(toPixel(-0.4f), 0);
  EXPECT_EQ(toPixel(-0.5f), 0);
  EXPECT_EQ(toPixel(-0.51f), -1);
  EXPECT_EQ(toPixel(-1.5f), -1);
  EXPECT_EQ(toPixel(-2.5f), -2);
  EXPECT_EQ(toPixel(-145.7f), -146);
  EXPECT_EQ(toPixel(399.5f), 400);
}

TEST(SurfaceRounding, APixelDrawnAtAFractionalPlaceIsReadBackAtThatPlace) {
  // The hit test reads the hit surface at the shot's fractional position; whatever was drawn there
  // has to be found there, for every fraction.
  const Surface dot(1, 1, rgb(255, 0, 0));
  for (float fx : {0.f, 0.25f, 0.49f, 0.5f, 0.51f, 0.75f})
    for (float fy : {0.f, 0.3f, 0.5f, 0.7f}) {
      for (float base : {-0.f, 3.f, 7.f}) {
        Surface s(12, 12);
        s.paint(dot, base + fx, base + fy, std::nullopt, Rop::SrcCopy);
        EXPECT_EQ(s.point(base + fx, base + fy), 0x0000ff) << base + fx << "," << base + fy;
        EXPECT_EQ(s.at(toPixel(base + fx), toPixel(base + fy)), rgb(255, 0, 0));
      }
    }
}

TEST(SurfaceRounding, BothEdgesOfAWidthAreRoundedByTheSameRule) {
  const Surface src = numberedColumns(60);
  for (auto [x1, w, first, last] : {std::tuple{10.4f, 65.f, 10, 74}, {10.5f, 65.f, 11, 75},
                                    {80.5f, -65.f, 16, 80}, {80.4f, -65.f, 15, 79}, {-0.5f, 65.f, 0, 64}}) {
    Surface dst(100, 1, kUntouched);
    dst.paint(src, x1, 0, w, Rop::SrcCopy);
    EXPECT_EQ(touchedColumns(dst), std::make_pair(first, last)) << "x1 " << x1 << " width " << w;
  }
}

TEST(SurfaceRounding, PicturesOfOneWidthDrawnAtOnePlaceCoverTheSameColumns) {
  // The creature (83 rows) and its zone map (82 rows) are drawn with the same X1, Y1 and width in
  // the frame and on the hit surface; every column must sample the same source column in both.
  const Surface sprite = numberedColumns(60, 83), zones = numberedColumns(60, 82);
  for (float x1 : {100.f, 100.3f, 100.5f, 100.7f, -20.5f, 370.5f})
    for (float w : {65.f, -65.f})
      for (float y1 : {40.f, 40.5f, 39.5f}) {
        Surface a(400, 250, kUntouched), b(400, 250, kUntouched);
        a.paint(sprite, x1, y1, w, Rop::SrcCopy);
        b.paint(zones, x1, y1, w, Rop::SrcCopy);
        const int top = toPixel(y1);
        for (int y = top; y < top + 82; ++y)
          for (int x = 0; x < 400; ++x)
            ASSERT_EQ(a.at(x, y), b.at(x, y)) << "x1 " << x1 << " y1 " << y1 << " width " << w << " at " << x << "," << y;
        EXPECT_EQ(touchedColumns(b, top + 81), touchedColumns(a, top));
      }
}

// ---- Masked drawing ----

struct SurfaceMasked : ::testing::Test {
  // Background: every pixel different. Sprite 4 x 3 at (1, 1): opaque in its middle, with one
  // grey mask pixel and one white image pixel inside the opaque area.
  Surface background{6, 5};
  Surface mask{4, 3, kWhite};
  Surface image{4, 3, kWhite};
  static constexpr Pixel kGrey = rgb(0x80, 0x80, 0x80);
  void SetUp() override {
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) background.set(x, y, rgb(40 * x + 13, 50 * y + 7, 0x5a ^ (x * 16 + y)));
    for (int x = 1; x <= 3; ++x) {
      mask.set(x, 1, kBlack);
      image.set(x, 1, rgb(200, 20 * x, 60));
    }
    mask.set(0, 1, kGrey);
    image.set(0, 1, rgb(0xf0, 0x0f, 0x3c));
    image.set(2, 1, kWhite);  // white inside the silhouette
  }
  Surface draw(float x, float y, std::optional<float> width = std::nullopt) const {
    Surface s = background;
    s.paint(mask, x, y, width, Rop::MergePaint);
    s.paint(image, x, y, width, Rop::SrcAnd);
    return s;
  }
};

TEST_F(SurfaceMasked, ImageInsideTheMaskBackgroundOutside) {
  const Surface s = draw(1, 1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const int sx = x - 1, sy = y - 1;
      const bool inSprite = sx >= 0 && sx < 4 && sy >= 0 && sy < 3;
      if (inSprite && mask.at(sx, sy) == kBlack) {
        EXPECT_EQ(s.at(x, y), image.at(sx, sy)) << x << "," << y;
      } else if (!inSprite || mask.at(sx, sy) == kWhite) {
        EXPECT_EQ(s.at(x, y), background.at(x, y)) << x << "," << y;
      }
    }
  EXPECT_EQ(s.at(3, 2), kWhite) << "white inside the silhouette shows white, not the background";
}

TEST_F(SurfaceMasked, GreyMaskPixelsActBitByBit) {
  const Surface s = draw(1, 1);
  const Pixel d = background.at(1, 2), i = image.at(0, 1);
  EXPECT_EQ(s.at(1, 2), (~kGrey | d) & i & 0xffffffu);
  EXPECT_NE(s.at(1, 2), i) << "some of the background comes through";
  EXPECT_EQ(s.at(1, 2) & ~i, 0u) << "never brighter than the image, bit by bit";
}

TEST_F(SurfaceMasked, AnOffWhiteImageBackgroundClearsTheLowBitsBehindIt) {
  // The landscape's transparent part is (248, 248, 248): behind it the three lowest bits of every
  // channel go.
  Surface land(4, 3, rgb(248, 248, 248));
  Surface s = background;
  s.paint(mask, 1, 1, std::nullopt, Rop::MergePaint);
  s.paint(land, 1, 1, std::nullopt, Rop::SrcAnd);
  EXPECT_EQ(s.at(1, 1), background.at(1, 1) & rgb(248, 248, 248));
  EXPECT_EQ(s.at(0, 0), background.at(0, 0));
}

TEST_F(SurfaceMasked, MirroredSpritesStayInsideTheirMirroredMask) {
  const Surface s = draw(5, 1, -4.f);  // covers columns 1 .. 4, source column 0 at column 4
  EXPECT_EQ(s.at(4, 2), (~kGrey | background.at(4, 2)) & image.at(0, 1) & 0xffffffu);
  EXPECT_EQ(s.at(3, 2), image.at(1, 1));
  EXPECT_EQ(s.at(2, 2), kWhite);
  EXPECT_EQ(s.at(1, 2), image.at(3, 1));
  EXPECT_EQ(s.at(1, 1), background.at(1, 1));
  EXPECT_EQ(s.at(5, 2), background.at(5, 2));
  EXPECT_EQ(s.at(0, 2), background.at(0, 2));
}

TEST_F(SurfaceMasked, APartlyClippedSpriteIsStillMasked) {
  const Surface s = draw(-2, 3);  // only source columns 2, 3 and rows 0, 1 land on the surface
  EXPECT_EQ(s.at(0, 4), kWhite);           // source (2, 1): white inside the silhouette
  EXPECT_EQ(s.at(1, 4), image.at(3, 1));   // source (3, 1)
  EXPECT_EQ(s.at(0, 3), background.at(0, 3));
  EXPECT_EQ(s.at(2, 4), background.at(2, 4));
}

// Long black and white stretches are copied, skipped or ANDed whole; the pixels must be those
// of the per-pixel formula, at any clipping, over destinations and images with high bits.
TEST(SurfaceMaskedRuns, LongStretchesGiveThePixelsOfThePerPixelFormula) {
  constexpr int kW = 53, kH = 4;
  Surface mask(kW, kH, kWhite), image(kW, kH, kWhite);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const int band = (x + 7 * y) / 9;  // stretches of 9: white, black, grey, then again
      mask.set(x, y, band % 3 == 0 ? kWhite : band % 3 == 1 ? kBlack : rgb(x, 90, y));
      if (x % 13 > 9) image.set(x, y, rgb(3 * x, y, 200));
      else if (x > 30) image.set(x, y, rgb(248, 248, 248));
    }
  for (bool highBits : {false, true}) {
    Surface dst(40, 6), img = image;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 40; ++x) dst.set(x, y, rgb(x * 5, y * 40, x ^ y) | (highBits && x % 3 == 0 ? 0xff000000u : 0));
    if (highBits) img.set(20, 1, 0x80ffffffu);
    for (float x : {0.f, -11.4f, 9.6f}) {
      Surface got = dst, want = dst;
      got.paintMasked(mask, img, x, 1, std::nullopt);
      const int left = toPixel(x);
      for (int y = 1; y < 5; ++y)
        for (int dx = std::max(left, 0); dx < std::min(left + kW, 40); ++dx)
          want.set(dx, y, (~mask.at(dx - left, y - 1) | want.at(dx, y)) & img.at(dx - left, y - 1) & 0xffffffu);
      EXPECT_EQ(got, want) << "x " << x << (highBits ? ", high bits" : "");
    }
  }
}

// ---- Bitmaps ----

struct BmpBuilder {
  int width = 0, height = 0, bpp = 24;
  std::vector<Pixel> palette;            // for 1, 4 and 8 bits
  std::vector<std::uint32_t> values;     // top row first: palette indices, or pixels for 24 bits
  bool topDown = false;
  std::uint32_t compression = 0;
  bool declarePaletteSize = true;        // false: leave the colour count 0 ("all 2^bpp")

  std::vector<unsigned char> bytes() const {
    const std::size_t stride = ((std::size_t(width) * std::size_t(bpp) + 31) / 32) * 4;
    const std::size_t dataAt = 54 + 4 * palette.size();
    std::vector<unsigned char> b(dataAt + stride * std::size_t(height), 0);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
      b[at] = (unsigned char)(v & 0xff);
      b[at + 1] = (unsigned char)((v >> 8) & 0xff);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
      put16(at, v & 0xffff);
      put16(at + 2, v >> 16);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, std::uint32_t(b.size()));
    put32(10, std::uint32_t(dataAt));
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(topDown ? -height : height));
    put16(26, 1);
    put16(28, std::uint32_t(bpp));
    put32(30, compression);
    put32(34, std::uint32_t(stride * std::size_t(height)));
    put32(46, declarePaletteSize ? std::uint32_t(palette.size()) : 0);
    for (std::size_t i = 0; i < palette.size(); ++i) {  // stored blue, green, red, unused
      b[54 + 4 * i] = (unsigned char)(palette[i] & 0xff);
      b[54 + 4 * i + 1] = (unsigned char)((palette[i] >> 8) & 0xff);
      b[54 + 4 * i + 2] = (unsigned char)((palette[i] >> 16) & 0xff);
    }
    for (int y = 0; y < height; ++y) {
      unsigned char* row = b.data() + dataAt + stride * std::size_t(topDown ? y : height - 1 - y);
      for (int x = 0; x < width; ++x) {
        const std::uint32_t v = values[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        if (bpp == 24) {
          row[3 * x] = (unsigned char)(v & 0xff);
          row[3 * x + 1] = (unsigned char)((v >> 8) & 0xff);
          row[3 * x + 2] = (unsigned char)((v >> 16) & 0xff);
        } else if (bpp == 8) {
          row[x] = (unsigned char)v;
        } else if (bpp == 4) {
          row[x / 2] |= (unsigned char)(v << ((x % 2) ? 0 : 4));
        } else {
          row[x / 8] |= (unsigned char)((v & 1) << (7 - x % 8));
        }
      }
    }
    return b;
  }
};

void expectPixels(const Surface& s, const BmpBuilder& b) {
  ASSERT_EQ(s.width(), b.width);
  ASSERT_EQ(s.height(), b.height);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const std::uint32_t v = b.values[std::size_t(y) * std::size_t(b.width) + std::size_t(x)];
      EXPECT_EQ(s.at(x, y), b.bpp == 24 ? Pixel(v) : b.palette[v]) << "pixel " << x << "," << y;
    }
}

TEST(SurfaceBmp, Decodes24BitBottomUpRowsWithPadding) {
  BmpBuilder b;
  b.width = 3;  // 9 bytes a row, padded to 12
  b.height = 2;
  b.values = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(1, 2, 3), rgb(248, 248, 248), rgb(0x12, 0x34, 0x56)};
  BmpInfo info;
  const Surface s = decodeBmp(b.bytes(), &info);
  expectPixels(s, b);
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.bitsPerPixel, 24);
  EXPECT_EQ(s.point(0, 0), 0x0000ff) << "the first row stored is the bottom row";
}

TEST(SurfaceBmp, Decodes8BitPaletteStoredBlueGreenRed) {
  BmpBuilder b;
  b.bpp = 8;
  b.width = 5;  // padded to 8
  b.height = 3;
  b.palette = {kWhite, rgb(10, 20, 30), rgb(200, 100, 50), kBlack};
  b.values = {0, 1, 2, 3, 0, 3, 3, 1, 1, 2, 2, 0, 0, 1, 3};
  BmpInfo info;
  expectPixels(decodeBmp(b.bytes(), &info), b);
  EXPECT_EQ(info.bitsPerPixel, 8);
}

TEST(SurfaceBmp, Decodes4BitHighNibbleFirst) {
  BmpBuilder b;
  b.bpp = 4;
  b.width = 5;  // an odd width ends on a high nibble
  b.height = 2;
  for (int i = 0; i < 16; ++i) b.palette.push_back(rgb(i * 16, 255 - i * 16, i));
  b.values = {1, 2, 3, 4, 15, 14, 0, 9, 7, 5};
  BmpInfo info;
  expectPixels(decodeBmp(b.bytes(), &info), b);
  EXPECT_EQ(info.bitsPerPixel, 4);
}

TEST(SurfaceBmp, Decodes1BitMostSignificantBitFirst) {
  BmpBuilder b;
  b.bpp = 1;
  b.width = 11;  // crosses a byte
  b.height = 3;
  b.palette = {kWhite, kBlack};
  b.values = {1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0,  //
              0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1,  //
              0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1};
  BmpInfo info;
  expectPixels(decodeBmp(b.bytes(), &info), b);
  EXPECT_EQ(info.bitsPerPixel, 1);
  b.declarePaletteSize = false;  // a colour count of 0 means the full two entries
  expectPixels(decodeBmp(b.bytes()), b);
}

TEST(SurfaceBmp, DecodesTopDownRows) {
  BmpBuilder b;
  b.bpp = 8;
  b.width = 2;
  b.height = 3;
  b.topDown = true;
  b.palette = {rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3)};
  b.values = {0, 0, 1, 1, 2, 2};
  expectPixels(decodeBmp(b.bytes()), b);
}

BmpBuilder smallValid() {
  BmpBuilder b;
  b.bpp = 8;
  b.width = 4;
  b.height = 2;
  b.palette = {kWhite, kBlack};
  b.values = {0, 1, 0, 1, 1, 0, 1, 0};
  return b;
}

void expectRejected(const std::vector<unsigned char>& bytes, const std::string& why) {
  EXPECT_THROW(decodeBmp(bytes), std::runtime_error) << why;
}

TEST(SurfaceBmp, RejectsTruncatedInput) {
  const std::vector<unsigned char> good = smallValid().bytes();
  ASSERT_NO_THROW(decodeBmp(good));
  auto cut = [&](std::size_t n) { return std::vector<unsigned char>(good.begin(), good.begin() + std::ptrdiff_t(n)); };
  expectRejected({}, "nothing at all");
  expectRejected(cut(2), "the signature only");
  expectRejected(cut(30), "header cut short");
  expectRejected(cut(58), "palette cut short");
  expectRejected(cut(good.size() - 5), "last row cut short");
  expectRejected(cut(good.size() - 1), "one byte missing");
}

TEST(SurfaceBmp, RejectsCompressedAndUnsupportedBitmaps) {
  for (std::uint32_t compression : {1u, 2u, 3u}) {  // RLE8, RLE4, bit fields
    BmpBuilder b = smallValid();
    b.compression = compression;
    expectRejected(b.bytes(), "compression " + std::to_string(compression));
  }
  for (int bpp : {16, 32, 2, 0}) {
    std::vector<unsigned char> bytes = smallValid().bytes();
    bytes[28] = (unsigned char)bpp;
    expectRejected(bytes, "depth " + std::to_string(bpp));
  }
  std::vector<unsigned char> notBmp = smallValid().bytes();
  notBmp[0] = 'P';
  expectRejected(notBmp, "no BM signature");
  BmpBuilder zero = smallValid();
  zero.width = 0;
  zero.values.clear();
  expectRejected(zero.bytes(), "zero width");
  BmpBuilder badIndex = smallValid();
  badIndex.values[3] = 2;  // only two palette entries
  expectRejected(badIndex.bytes(), "colour index beyond the palette");
}

}  // namespace
}  // namespace kh
