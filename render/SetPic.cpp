// Composing one frame: every layer into the hidden buffer, then the whole frame at once.
// Each masked sprite is its mask (MERGEPAINT) and its image (SRCAND) drawn in one pass.
#include <cmath>

#include "game/Form1.h"

namespace kh {

void Form1::SetPic() {
  Timer2.setEnabled(false);
  const FrameInputs in{s_.scrollX, s_.wingPhase, s_.hitState, s_.posX, s_.posY, s_.facing,
                       s_.arcSine, s_.fallStep, s_.aimX, s_.aimY};
  if (s_.hitState == 2) s_.fallStep = s_.fallStep + 1;
  if (Visible()) {
    compose(in);
  } else {
    // Nobody can see this frame: draw it only if the window is shown before the next one.
    pendingFrame_ = in;
  }
  Timer2.setEnabled(true);
}

void Form1::aboutToShow() {
  if (!pendingFrame_) return;
  compose(*pendingFrame_);
  pendingFrame_.reset();
}

void Form1::compose(const FrameInputs& s) {
  Picture3.PaintPicture(Back.Picture(), float(s.scrollX * 0.95 - 10), 0, Rop::SrcCopy);

  if (s.scrollX > -155) {
    const auto n = std::size_t(std::floor(s.wingPhase));
    const float x = float(s.scrollX + 9);
    Picture3.PaintMasked(Flügel[n + 6].Picture(), Flügel[n].Picture(), x, -27);
  }

  const float cx = float(s.scrollX + s.posX), cy = float(s.posY);
  if (s.hitState == 0) {
    Picture3.PaintMasked(WibbelMsk.Picture(), Wibbel.Picture(), cx, cy, s.facing);
  } else if (s.hitState == 1) {
    Picture3.PaintMasked(WibbelMsk.Picture(), Wibbel3.Picture(), cx, cy, s.facing);
  } else if (s.hitState == 2) {
    std::size_t k = std::size_t(std::floor(s.fallStep / 3.0));
    if (k > 2) k = 2;
    // The lantern drops from where it was held and is never mirrored.
    const float lx = float(s.scrollX + s.posX + double(s.facing)), ly = float(200 - 140 * s.arcSine);
    Picture3.PaintMasked(Laterne[k + 3].Picture(), Laterne[k].Picture(), lx, ly);
    Picture3.PaintMasked(Wibbel2Msk.Picture(), Wibbel4.Picture(), cx, cy, s.facing);
  }

  Picture3.PaintMasked(LandMsk.Picture(), Land.Picture(), float(s.scrollX), 44);
  Picture3.PaintMasked(GunMsk.Picture(), Gun.Picture(), s.aimX - 32, s.aimY - 32);

  Picture1.setPicture(Picture3.Image());
}

}  // namespace kh
