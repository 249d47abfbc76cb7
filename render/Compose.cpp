// Every layer into the hidden buffer, back to front; the caller then shows it whole.
// Each masked sprite is its mask (MERGEPAINT) and its image (SRCAND) drawn in one pass.
#include "Compose.h"

#include <cmath>

namespace kh {

void composeFrame(const FrameInputs& s, const FramePictures& p, PictureBox& frame) {
  frame.PaintPicture(p.back, float(s.scrollX * 0.95 - 10), 0, Rop::SrcCopy);

  if (s.scrollX > -155) {
    const auto n = std::size_t(std::floor(s.wingPhase));
    frame.PaintMasked(p.sailMasks[n], p.sails[n], float(s.scrollX + 9), -27);
  }

  const float cx = float(s.scrollX + s.posX), cy = float(s.posY);
  if (s.hitState == 0) {
    frame.PaintMasked(p.flyingMask, p.flying, cx, cy, s.facing);
  } else if (s.hitState == 1) {
    frame.PaintMasked(p.flyingMask, p.hitBody, cx, cy, s.facing);
  } else if (s.hitState == 2) {
    std::size_t k = std::size_t(std::floor(s.fallStep / 3.0));
    if (k > 2) k = 2;
    // The lantern drops from where it was held and is never mirrored.
    const float lx = float(s.scrollX + s.posX + double(s.facing)), ly = float(200 - 140 * s.arcSine);
    frame.PaintMasked(p.lanternMasks[k], p.lanterns[k], lx, ly);
    frame.PaintMasked(p.lanternLostMask, p.lanternLost, cx, cy, s.facing);
  }

  frame.PaintMasked(p.landMask, p.land, float(s.scrollX), 44);
  frame.PaintMasked(p.gunMask, p.gun, s.aimX - 32, s.aimY - 32);
}

}  // namespace kh
