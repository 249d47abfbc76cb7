// Composing one frame: every layer into the hidden buffer, then the whole frame at once.
#include <cmath>

#include "game/Form1.h"

namespace kh {

void Form1::SetPic() {
  Timer2.setEnabled(false);
  const State& s = s_;
  Picture3.PaintPicture(Back.Picture(), float(s.scrollX * 0.95 - 10), 0, Rop::SrcCopy);

  if (s.scrollX > -155) {
    const auto n = std::size_t(std::floor(s.wingPhase));
    const float x = float(s.scrollX + 9);
    Picture3.PaintPicture(Flügel[n + 6].Picture(), x, -27, Rop::MergePaint);
    Picture3.PaintPicture(Flügel[n].Picture(), x, -27, Rop::SrcAnd);
  }

  const float cx = float(s.scrollX + s.posX), cy = float(s.posY);
  if (s.hitState == 0) {
    Picture3.PaintPicture(WibbelMsk.Picture(), cx, cy, s.facing, Rop::MergePaint);
    Picture3.PaintPicture(Wibbel.Picture(), cx, cy, s.facing, Rop::SrcAnd);
  } else if (s.hitState == 1) {
    Picture3.PaintPicture(WibbelMsk.Picture(), cx, cy, s.facing, Rop::MergePaint);
    Picture3.PaintPicture(Wibbel3.Picture(), cx, cy, s.facing, Rop::SrcAnd);
  } else if (s.hitState == 2) {
    std::size_t k = std::size_t(std::floor(s.fallStep / 3.0));
    if (k > 2) k = 2;
    // The lantern drops from where it was held and is never mirrored.
    const float lx = float(s.scrollX + s.posX + double(s.facing)), ly = float(200 - 140 * s.arcSine);
    Picture3.PaintPicture(Laterne[k + 3].Picture(), lx, ly, Rop::MergePaint);
    Picture3.PaintPicture(Laterne[k].Picture(), lx, ly, Rop::SrcAnd);
    Picture3.PaintPicture(Wibbel2Msk.Picture(), cx, cy, s.facing, Rop::MergePaint);
    Picture3.PaintPicture(Wibbel4.Picture(), cx, cy, s.facing, Rop::SrcAnd);
    s_.fallStep = s_.fallStep + 1;
  }

  Picture3.PaintPicture(LandMsk.Picture(), float(s.scrollX), 44, Rop::MergePaint);
  Picture3.PaintPicture(Land.Picture(), float(s.scrollX), 44, Rop::SrcAnd);

  Picture3.PaintPicture(GunMsk.Picture(), s.aimX - 32, s.aimY - 32, Rop::MergePaint);
  Picture3.PaintPicture(Gun.Picture(), s.aimX - 32, s.aimY - 32, Rop::SrcAnd);

  Picture1.setPicture(Picture3.Image());
  Timer2.setEnabled(true);
}

}  // namespace kh
