// The pictures baked into the program: sizes, depths, masks that fit their images, the
// creature's zone map and the crosshair's geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Harness.h"

namespace kh {
namespace {

using test::pictures;

constexpr Pixel kRed = rgb(255, 0, 0);
constexpr Pixel kLandBackground = rgb(248, 248, 248);

bool isGrey(Pixel p) { return (p & 0xff) == ((p >> 8) & 0xff) && (p & 0xff) == ((p >> 16) & 0xff); }
// A mask pixel that lets less than half of the background through: the sprite is solid there.
bool dark(Pixel maskPixel) { return ((maskPixel >> 16) & 0xff) < 128 && ((maskPixel >> 8) & 0xff) < 128 && (maskPixel & 0xff) < 128; }

std::string where(int x, int y) {
  std::ostringstream o;
  o << "(" << x << "," << y << ")";
  return o.str();
}

// Collects the first few places that break a rule, so one failure tells where to look.
struct Offences {
  int count = 0;
  std::string first;
  void add(int x, int y, Pixel p) {
    if (count++ < 6) {
      std::ostringstream o;
      o << " " << where(x, y) << "=#" << std::hex << p;
      first += o.str();
    }
  }
};

struct Expected {
  const char* name;
  int width, height, depth;
};

const std::vector<Expected>& expectedPictures() {
  static const std::vector<Expected> all = {
      {"Back", 800, 250, 8},       {"Land", 800, 206, 8},       {"LandMsk", 800, 206, 8},
      {"Fluegel0", 141, 140, 24},  {"Fluegel1", 141, 140, 24},  {"Fluegel2", 141, 140, 24},
      {"Fluegel3", 141, 140, 24},  {"Fluegel4", 141, 140, 24},  {"Fluegel5", 141, 140, 24},
      {"Fluegel6", 141, 140, 8},   {"Fluegel7", 141, 140, 8},   {"Fluegel8", 141, 140, 8},
      {"Fluegel9", 141, 140, 8},   {"Fluegel10", 141, 140, 8},  {"Fluegel11", 141, 140, 8},
      {"Wibbel", 60, 83, 8},       {"WibbelMsk", 60, 83, 8},    {"Wibbel2", 60, 83, 8},
      {"Wibbel2Msk", 60, 83, 8},   {"Wibbel3", 60, 83, 8},      {"Wibbel4", 60, 83, 8},
      {"WibbelPts", 60, 82, 24},   {"Laterne0", 22, 28, 8},     {"Laterne1", 17, 18, 8},
      {"Laterne2", 13, 11, 8},     {"Laterne3", 22, 28, 8},     {"Laterne4", 17, 18, 8},
      {"Laterne5", 13, 11, 8},     {"Gun", 64, 64, 8},          {"GunMsk", 64, 64, 1},
      {"Title", 338, 179, 8},      {"Icon", 32, 32, 4},
  };
  return all;
}

// Image, mask, and the colour of the image outside its mask.
struct Pair {
  std::string image, mask;
  Pixel outside = kWhite;
};

std::vector<Pair> maskedPairs() {
  std::vector<Pair> p = {{"Land", "LandMsk", kLandBackground}, {"Wibbel", "WibbelMsk"}, {"Wibbel3", "WibbelMsk"},
                         {"Wibbel2", "Wibbel2Msk"},            {"Wibbel4", "Wibbel2Msk"}, {"Gun", "GunMsk"}};
  for (int n = 0; n < 6; ++n) p.push_back({"Fluegel" + std::to_string(n), "Fluegel" + std::to_string(n + 6)});
  for (int k = 0; k < 3; ++k) p.push_back({"Laterne" + std::to_string(k), "Laterne" + std::to_string(k + 3)});
  return p;
}

// Looks a picture up; a missing one fails the test that asked for it.
const Surface* find(const std::string& name) {
  try {
    return &pictures().get(name);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
    return nullptr;
  }
}

TEST(Catalogue, EveryPictureHasItsSizeAndDepth) {
  for (const Expected& e : expectedPictures()) {
    SCOPED_TRACE(e.name);
    const Surface* s = find(e.name);
    if (!s) continue;
    EXPECT_EQ(s->width(), e.width);
    EXPECT_EQ(s->height(), e.height);
    EXPECT_EQ(pictures().info(e.name).bitsPerPixel, e.depth);
    EXPECT_EQ(pictures().info(e.name).width, e.width);
    EXPECT_EQ(pictures().info(e.name).height, e.height);
  }
}

TEST(Catalogue, HoldsNoPictureNobodyAsksFor) {
  std::set<std::string> expected;
  for (const Expected& e : expectedPictures()) expected.insert(e.name);
  for (const std::string& n : pictures().names()) EXPECT_TRUE(expected.count(n)) << "unexpected picture " << n;
}

TEST(Catalogue, AMissingPictureIsNamedInTheError) {
  try {
    pictures().get("Fluegel12");
    FAIL() << "there is no sail frame 12";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Fluegel12"), std::string::npos) << e.what();
  }
  EXPECT_THROW(pictures().info("Laterne6"), std::runtime_error);
}

TEST(Catalogue, EveryImageHasItsBackgroundWhereverItsMaskIsWhite) {
  for (const Pair& p : maskedPairs()) {
    SCOPED_TRACE(p.image + " through " + p.mask);
    const Surface* img = find(p.image);
    const Surface* msk = find(p.mask);
    if (!img || !msk) continue;
    ASSERT_EQ(img->width(), msk->width());
    ASSERT_EQ(img->height(), msk->height());
    Offences o;
    int transparent = 0, opaque = 0;
    for (int y = 0; y < img->height(); ++y)
      for (int x = 0; x < img->width(); ++x) {
        if (msk->at(x, y) == kWhite) {
          ++transparent;
          if (img->at(x, y) != p.outside) o.add(x, y, img->at(x, y));
        } else if (msk->at(x, y) == kBlack) {
          ++opaque;
        }
      }
    EXPECT_EQ(o.count, 0) << "pixels that would show as a box around the sprite:" << o.first;
    EXPECT_GT(opaque, 0) << "the mask hides nothing";
    EXPECT_GT(transparent, 0) << "the mask hides everything";
  }
}

TEST(Catalogue, TwoColourMasksHoldOnlyBlackAndWhite) {
  for (const char* name : {"LandMsk", "Laterne3", "Laterne4", "Laterne5", "GunMsk"}) {
    SCOPED_TRACE(name);
    const Surface* s = find(name);
    if (!s) continue;
    Offences o;
    for (int y = 0; y < s->height(); ++y)
      for (int x = 0; x < s->width(); ++x)
        if (s->at(x, y) != kBlack && s->at(x, y) != kWhite) o.add(x, y, s->at(x, y));
    EXPECT_EQ(o.count, 0) << o.first;
  }
}

TEST(Catalogue, GreyscaleMasksHoldOnlyGreys) {
  // A coloured mask pixel would tint the background through the bitwise operations.
  for (const char* name : {"WibbelMsk", "Wibbel2Msk", "Fluegel6", "Fluegel7", "Fluegel8", "Fluegel9", "Fluegel10", "Fluegel11"}) {
    SCOPED_TRACE(name);
    const Surface* s = find(name);
    if (!s) continue;
    Offences o;
    for (int y = 0; y < s->height(); ++y)
      for (int x = 0; x < s->width(); ++x)
        if (!isGrey(s->at(x, y))) o.add(x, y, s->at(x, y));
    EXPECT_EQ(o.count, 0) << o.first;
  }
}

TEST(Catalogue, TheBackdropIsOpaqueAndTheLandscapeLeavesSkyAboveIt) {
  const Surface* back = find("Back");
  const Surface* landMsk = find("LandMsk");
  if (!back || !landMsk) return;
  // The backdrop is drawn with a plain copy: any colour is fine, but there must be a picture.
  std::set<Pixel> colours(back->pixels().begin(), back->pixels().end());
  EXPECT_GT(colours.size(), 2u);
  // The landscape is the foreground: its mask is black along the bottom row (the ground) and
  // white along the top (where the creature flies in front of the backdrop).
  int groundBottom = 0, skyTop = 0;
  for (int x = 0; x < 800; ++x) {
    groundBottom += landMsk->at(x, 205) == kBlack;
    skyTop += landMsk->at(x, 0) == kWhite;
  }
  EXPECT_GT(groundBottom, 400);
  EXPECT_GT(skyTop, 400);
}

// ---- The zone map ----

struct CatalogueZoneMap : ::testing::Test {
  const Surface* pts = find("WibbelPts");
  const Surface* msk = find("WibbelMsk");
  const Surface* bodyMsk = find("Wibbel2Msk");  // the same creature without its lantern
  void SetUp() override {
    ASSERT_TRUE(pts && msk && bodyMsk) << "pictures missing";
    ASSERT_TRUE(pts->height() == 82 && msk->height() == 83 && pts->width() == msk->width()) << "sizes are off";
  }
};

TEST_F(CatalogueZoneMap, WhiteOutsideTheCreatureAndNeverWhiteOnIt) {
  Offences outside, inside;
  for (int y = 0; y < 82; ++y)
    for (int x = 0; x < 60; ++x) {
      const Pixel z = pts->at(x, y), m = msk->at(x, y);
      if (m == kWhite && z != kWhite) outside.add(x, y, z);
      if (dark(m) && z == kWhite) inside.add(x, y, z);
    }
  EXPECT_EQ(outside.count, 0) << "zones outside the creature's silhouette:" << outside.first;
  EXPECT_EQ(inside.count, 0) << "misses on the creature's solid pixels:" << inside.first;
}

TEST_F(CatalogueZoneMap, PureRedIsExactlyTheLantern) {
  // Where the lantern is drawn and the creature without its lantern is not, the map is red;
  // red never lies outside the creature, nor on the body away from the lantern.
  Offences lanternNotRed, redOutside, redOnBody;
  int red = 0;
  int minX = 60, maxX = -1, minY = 82, maxY = -1;
  for (int y = 0; y < 82; ++y)
    for (int x = 0; x < 60; ++x) {
      const Pixel z = pts->at(x, y);
      const bool lanternOnly = dark(msk->at(x, y)) && bodyMsk->at(x, y) == kWhite;
      if (lanternOnly && z != kRed) lanternNotRed.add(x, y, z);
      if (z != kRed) continue;
      ++red;
      minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      if (msk->at(x, y) == kWhite) redOutside.add(x, y, z);
    }
  EXPECT_GT(red, 100) << "the lantern has to be hittable";
  EXPECT_EQ(lanternNotRed.count, 0) << "lantern pixels that do not count as the lantern:" << lanternNotRed.first;
  EXPECT_EQ(redOutside.count, 0) << redOutside.first;
  // The lantern hangs in the lower right part of the creature.
  EXPECT_GE(minX, 30);
  EXPECT_GE(minY, 40);
  EXPECT_LE(maxX, 59);
  EXPECT_LE(maxY, 75);
  // Body pixels well away from the lantern are never red.
  for (int y = 0; y < 82; ++y)
    for (int x = 0; x < 60; ++x)
      if (dark(bodyMsk->at(x, y)) && (x < minX - 1 || y < minY - 1 || y > maxY + 1) && pts->at(x, y) == kRed)
        redOnBody.add(x, y, pts->at(x, y));
  EXPECT_EQ(redOnBody.count, 0) << redOnBody.first;
}

TEST_F(CatalogueZoneMap, TheBodyCarriesSeveralOtherColours) {
  std::set<Pixel> body;
  int bodyPixels = 0;
  for (int y = 0; y < 82; ++y)
    for (int x = 0; x < 60; ++x)
      if (pts->at(x, y) != kWhite && pts->at(x, y) != kRed) body.insert(pts->at(x, y)), ++bodyPixels;
  EXPECT_GT(bodyPixels, 1000);
  EXPECT_GE(body.size(), 4u) << "the body's bands";
  EXPECT_EQ(body.count(kWhite), 0u);
}

TEST_F(CatalogueZoneMap, TheFlyingSilhouetteIsTheOneWithTheLantern) {
  // WibbelMsk carries the lantern, Wibbel2Msk does not: mixing them up would let a shot through
  // the lantern of a body-hit creature, or paint a lantern-shaped hole in a lantern-hit one.
  int withLantern = 0, without = 0;
  for (int y = 0; y < 83; ++y)
    for (int x = 0; x < 60; ++x) withLantern += dark(msk->at(x, y)), without += dark(bodyMsk->at(x, y));
  EXPECT_GT(withLantern, without);
}

// ---- The crosshair ----

struct CatalogueCrosshair : ::testing::Test {
  const Surface* gun = find("Gun");
  const Surface* gunMsk = find("GunMsk");
  void SetUp() override {
    ASSERT_TRUE(gun && gunMsk) << "pictures missing";
    ASSERT_TRUE(gun->width() == 64 && gun->height() == 64 && gunMsk->width() == 64 && gunMsk->height() == 64)
        << "sizes are off";
  }
  static double radius(int x, int y) { return std::hypot(x - 32.0, y - 32.0); }
};

TEST_F(CatalogueCrosshair, CrossLinesRunAcrossTheWholePicture) {
  for (int i = 0; i < 64; ++i) {
    for (int c : {32, 33}) {
      EXPECT_NE(gun->at(c, i), kWhite) << "column " << c << " row " << i;
      EXPECT_NE(gun->at(i, c), kWhite) << "row " << c << " column " << i;
    }
    for (int c : {31, 32, 33}) {
      EXPECT_EQ(gunMsk->at(c, i), kBlack) << "mask column " << c << " row " << i;
      EXPECT_EQ(gunMsk->at(i, c), kBlack) << "mask row " << c << " column " << i;
    }
  }
}

TEST_F(CatalogueCrosshair, EverythingOffTheLinesIsARingAroundTheCentre) {
  Offences image, mask;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double r = radius(x, y);
      const bool onRing = r >= 23.0 && r <= 26.0;
      if (x != 32 && x != 33 && y != 32 && y != 33 && gun->at(x, y) != kWhite && !onRing) image.add(x, y, gun->at(x, y));
      if ((x < 31 || x > 33) && (y < 31 || y > 33) && gunMsk->at(x, y) != kWhite && !onRing) mask.add(x, y, gunMsk->at(x, y));
    }
  EXPECT_EQ(image.count, 0) << image.first;
  EXPECT_EQ(mask.count, 0) << mask.first;
}

TEST_F(CatalogueCrosshair, TheRingIsClosed) {
  for (int deg = 0; deg < 360; deg += 3) {
    const double a = deg * 3.14159265358979 / 180;
    const int x = int(std::lround(32 + 24.5 * std::cos(a))), y = int(std::lround(32 + 24.5 * std::sin(a)));
    EXPECT_NE(gun->at(x, y), kWhite) << "gap at " << deg << " degrees " << where(x, y);
    EXPECT_EQ(gunMsk->at(x, y), kBlack) << "mask gap at " << deg << " degrees " << where(x, y);
  }
}

TEST_F(CatalogueCrosshair, IsCentredOnPoint32_32) {
  // The mask is symmetric about (32, 32) under every flip: the ring and the three-pixel lines.
  Offences o;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int mx = 64 - x, my = 64 - y;  // mirror of x about 32
      if (mx > 63 || my > 63) continue;
      if (gunMsk->at(x, y) != gunMsk->at(mx, y) || gunMsk->at(x, y) != gunMsk->at(x, my) ||
          gunMsk->at(x, y) != gunMsk->at(y, x))
        o.add(x, y, gunMsk->at(x, y));
    }
  EXPECT_EQ(o.count, 0) << "asymmetric mask pixels:" << o.first;
}

}  // namespace
}  // namespace kh
