// The frame tick: one frame composed into the hidden buffer, then shown whole.
#include "Form1.h"

namespace kh {

namespace {

template <std::size_t From, std::size_t N, std::size_t M>
std::array<FramePictures::Ref, N> slice(const std::array<PictureHolder, M>& a) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<FramePictures::Ref, N>{a[From + I].pic...};
  }(std::make_index_sequence<N>{});
}

}  // namespace

FramePictures Form1::framePictures() const {
  // Sails 0-5 are drawn through masks 6-11, lanterns 0-2 through masks 3-5.
  return {Back.pic, Land.pic, LandMsk.pic, Wibbel.pic, WibbelMsk.pic, Wibbel2Msk.pic, Wibbel3.pic, Wibbel4.pic,
          Gun.pic, GunMsk.pic, slice<0, 6>(Flügel), slice<6, 6>(Flügel), slice<0, 3>(Laterne), slice<3, 3>(Laterne)};
}

void Form1::drawFrame(const FrameInputs& in) {
  composeFrame(in, framePictures(), Picture3);
  Picture1.setPicture(Picture3.Image());
}

void Form1::SetPic() {
  Timer2.setEnabled(false);
  const FrameInputs in{s_.scrollX, s_.wingPhase, s_.hitState, s_.posX, s_.posY, s_.facing,
                       s_.arcSine, s_.fallStep, s_.aimX, s_.aimY};
  if (s_.hitState == 2) s_.fallStep = s_.fallStep + 1;
  if (frameDue()) {
    pendingFrame_.reset();
    drawFrame(in);
  } else {
    // Nobody would see this frame now (a hidden window, or the display has not shown the last
    // one yet): it is drawn when it can be seen, unless a newer one comes first.
    pendingFrame_ = in;
    holdFrame();
  }
  Timer2.setEnabled(true);
}

void Form1::drawHeldFrame() {
  if (!pendingFrame_) return;
  drawFrame(*pendingFrame_);
  pendingFrame_.reset();
}

void Form1::Timer2_Timer() {
  SetPic();
  app().DoEvents();
}

}  // namespace kh
