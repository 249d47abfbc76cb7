#pragma once
#include <array>
#include <functional>

#include "Form.h"

namespace kh {

// What one frame is drawn from: a snapshot of the play state.
struct FrameInputs {
  double scrollX = 0, wingPhase = 0;
  int hitState = 0;
  double posX = 0, posY = 0;
  float facing = 0;
  double arcSine = 0;
  int fallStep = 0;
  float aimX = 0, aimY = 0;
};

// The pictures a frame is made of. Each masked sprite is a mask (black where opaque) and an
// image (white where transparent).
struct FramePictures {
  using Ref = std::reference_wrapper<const Surface>;
  Ref back, land, landMask;
  Ref flying, flyingMask, lanternLostMask, hitBody, lanternLost;
  Ref gun, gunMask;
  std::array<Ref, 6> sails, sailMasks;
  std::array<Ref, 3> lanterns, lanternMasks;
};

// Draws every layer of one frame into `frame`, back to front.
void composeFrame(const FrameInputs& in, const FramePictures& pictures, PictureBox& frame);

}  // namespace kh
