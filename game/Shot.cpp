// One shot: what it hits is decided by one pixel of a hidden, colour-coded hit surface.
#include <limits>
#include <stdexcept>

#include "Design.h"
#include "Form1.h"

namespace kh {

namespace {
constexpr std::int32_t kWhiteValue = 16777215;
constexpr std::int32_t kRedValue = 255;
}  // namespace

void Form1::addScore(int points) {
  const int sum = punkte + points;
  if (sum > std::numeric_limits<std::int16_t>::max()) throw std::overflow_error("the score overflowed");
  punkte = std::int16_t(sum);
}

void Form1::TestShot(float& xx, float& yy) {
  // A click that reaches the play window after it was hidden (the round is over) fires nothing.
  if (Visible() && shots.value_or(0) >= 0) {
    // The hit surface is drawn like the frame, so the pixel under a shot is what the player saw.
    Picture2.Cls();
    Picture2.PaintPicture(WibbelPts.Picture(), float(s_.scrollX + s_.posX), float(s_.posY), s_.facing, Rop::SrcCopy);
    Picture2.PaintPicture(LandMsk.Picture(), float(s_.scrollX), 44, Rop::MergePaint);
    app().DoEvents();
    // Clicks handled in that moment may have used up the magazine, and a shot further out
    // may be fired but not yet counted: with no round left for this one it fires nothing,
    // as while refilling. So a fill never fires more than 5 shots nor counts below 1. One
    // of them may also have ended the round: then nothing more may change its result.
    if (!Visible() || shots.value_or(0) - firing_ < 1) {
      if (tme <= 1) GameOver();
      return;
    }
    const struct Firing {
      int& n;
      explicit Firing(int& c) : n(++c) {}
      ~Firing() { --n; }
    } firing(firing_);
    // xx and yy are the aim itself: a pointer move during DoEvents moves the shot.
    const std::int32_t colour = Picture2.Point(xx, yy);
    // A point off the surface reads as -1; that is nothing there, not the creature.
    const bool onCreature = colour >= 0 && colour < kWhiteValue;
    if (onCreature && s_.hitState == 0) {
      if (colour != kRedValue) {
        wibbels = wibbels + 1;
        s_.hitState = 1;
        addScore(20);
        shotCue("Treffer1.wbs");
      }
      if (colour == kRedValue) {
        laternen = laternen + 1;
        s_.hitState = 2;
        s_.fallStep = 0;
        addScore(45);
        shotCue("Treffer2.wbs");
      }
      s_.respawn = true;
      Label1.setCaption(pointsCaption(punkte));
      SetPic();  // show the hit pose now, not at the next frame tick
      app().DoEvents();
    } else {
      shotCue("Schuss.wbs");
    }
    shots = shots.value_or(0) - 1;
    Label3.setCaption(shotsCaption(*shots));
    if (*shots == 0) {
      s_.reloadAt = tme;
      shots = -1;
      Label3.setCaption("Nachladen...");
    }
  }
  if (tme <= 1) GameOver();
}

}  // namespace kh
