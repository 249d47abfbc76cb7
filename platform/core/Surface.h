#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kh {

// Pixels are 0x00RRGGBB in memory; colour values handed to the game (Point) are 0x00BBGGRR.
using Pixel = std::uint32_t;

constexpr Pixel rgb(int r, int g, int b) {
  return (Pixel(r & 0xff) << 16) | (Pixel(g & 0xff) << 8) | Pixel(b & 0xff);
}
constexpr Pixel kWhite = rgb(255, 255, 255);
constexpr Pixel kBlack = rgb(0, 0, 0);

// The colour value of a pixel as the game sees it: red in the lowest byte.
constexpr std::int32_t colourValue(Pixel p) {
  return std::int32_t(((p & 0xff) << 16) | (p & 0xff00) | ((p >> 16) & 0xff));
}

enum class Rop : std::uint32_t {
  SrcCopy = 0xcc0020,     // D = S
  MergePaint = 0xbb0226,  // D = (NOT S) OR D
  SrcAnd = 0x8800c6,      // D = S AND D
};

// The one rule that turns a fractional drawing position into a pixel: the nearest one,
// halves rounding up. Frames and the hit surface both go through it, so they agree.
int toPixel(float v);

// A block of pixels with the three raster operations of the old desktop.
class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, Pixel fill = kWhite);

  int width() const { return w_; }
  int height() const { return h_; }
  bool empty() const { return w_ == 0 || h_ == 0; }

  Pixel at(int x, int y) const { return px_[std::size_t(y) * std::size_t(w_) + std::size_t(x)]; }
  void set(int x, int y, Pixel p) {
    px_[std::size_t(y) * std::size_t(w_) + std::size_t(x)] = p;
    narrow_ = narrow_ && p <= 0xffffffu;
    changed();
  }
  const Pixel* row(int y) const { return px_.data() + std::size_t(y) * std::size_t(w_); }
  // For writing at once: a row pointer kept past the next draw from this surface may write
  // behind the back of what that draw learnt about the picture.
  Pixel* row(int y) {
    narrow_ = false;
    changed();
    return line(y);
  }
  const std::vector<Pixel>& pixels() const { return px_; }

  void fill(Pixel p);
  // Keeps what fits of the old image; new area gets the fill colour.
  void resize(int width, int height, Pixel fill);

  // Draws src with its top-left corner at (x1, y1). A width other than src's stretches
  // it horizontally; a negative width mirrors it, reaching leftwards from x1.
  // Whatever falls outside this surface is clipped.
  void paint(const Surface& src, float x1, float y1, std::optional<float> width1, Rop rop);

  // A masked sprite: the mask with MERGEPAINT, then the image with SRCAND, at one place and
  // width, in a single pass.
  void paintMasked(const Surface& mask, const Surface& image, float x1, float y1, std::optional<float> width1);

  // Colour value (0x00BBGGRR) at a point, or -1 outside the surface.
  std::int32_t point(float x, float y) const;

  bool operator==(const Surface& o) const { return w_ == o.w_ && h_ == o.h_ && px_ == o.px_; }

  // Stretches of one colour in a row, at least kMinRun pixels long, left to right; what a
  // masked draw needs to know to copy, skip or AND whole stretches instead of pixel by pixel.
  struct Runs {
    static constexpr int kMinRun = 8;
    struct Run {
      int x0, x1;
      Pixel value;
    };
    std::vector<Run> runs;
    std::vector<std::size_t> first;  // runs of row y: [first[y], first[y + 1])
    bool narrow = true;              // no pixel has a bit above the low 24
  };
  const Runs& runs() const;

 private:
  Pixel* line(int y) { return px_.data() + std::size_t(y) * std::size_t(w_); }
  void changed() {
    if (runs_) runs_.reset();
  }

  int w_ = 0;
  int h_ = 0;
  std::vector<Pixel> px_;
  // Known: no pixel has a bit above the low 24 (false when not known).
  bool narrow_ = true;
  // Worked out on the first masked draw from this surface; any change drops it. Surfaces are
  // drawn from one thread.
  mutable std::shared_ptr<const Runs> runs_;
};

}  // namespace kh
