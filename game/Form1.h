#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "Catalogue.h"
#include "Compose.h"
#include "Form.h"
#include "MMControl.h"
#include "Random.h"

namespace kh {

class frmSplash;

// A hidden picture control that only holds a picture (and, for the creature, its width).
struct PictureHolder {
  std::reference_wrapper<const Surface> pic;
  int scaleWidth = 0;
  const Surface& Picture() const { return pic; }
  int ScaleWidth() const { return scaleWidth; }
};

// The play window: owns the whole game state, its pictures, timers and the sound player.
class Form1 : public Form {
 public:
  Form1(App& app, const Catalogue& pictures, frmSplash& splash);

  // Public methods.
  void SetPic();
  void TestShot(float& xx, float& yy);
  void NewWibbel();
  void GameOver();

  // A new round, as the title window starts it: the window centred on the screen, the
  // clock, magazine and counters reset and shown, the window shown.
  void beginRound();

  // Public members.
  std::optional<int> shots;  // Empty until the first refill
  int laternen = 0;
  int wibbels = 0;
  int tme = 0;
  bool GoIt = false;
  std::int16_t punkte = 0;

  // Controls.
  Label Label1, Label2, Label3;
  PictureBox Picture1, Picture2, Picture3;
  Timer Timer1, Timer2, Timer3;
  MMControl MM1;
  PictureHolder Back, Land, LandMsk, Wibbel, WibbelMsk, Wibbel2, Wibbel2Msk, Wibbel3, Wibbel4, WibbelPts, Gun, GunMsk;
  std::array<PictureHolder, 12> Flügel;
  std::array<PictureHolder, 6> Laterne;

  // Event handlers.
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Picture1_MouseDown(int button, int shift, float x, float y);
  void Picture1_MouseMove(int button, int shift, float x, float y);
  void Picture1_MouseUp(int button, int shift, float x, float y);
  void Form_MouseMove(int button, int shift, float x, float y) override;

  // The game's state, readable by tests and the tools that drive it.
  struct State {
    double posX = 0, posY = 0, arcAngle = 0;
    float facing = 0, arcHeight = 0, arcStep = 0;
    double arcSine = 0, driftSpeed = 0;
    bool respawn = false;
    int hitState = 0;
    float aimX = 0, aimY = 0;
    int reloadAt = 0;
    std::array<std::string, 11> ratings;
    int fallStep = 0;
    double scrollX = 0, scrollSpeed = 0, wingPhase = 0;
  };
  State& state() { return s_; }
  const State& state() const { return s_; }
  Random& random() { return rnd_; }

 protected:
  void Form_Load() override;
  std::vector<const Label*> spokenLabels() const override { return {&Label2, &Label1, &Label3}; }

 private:
  void drawHeldFrame() override;
  // The frame's pictures are the window's own picture controls.
  FramePictures framePictures() const;
  void drawFrame(const FrameInputs& in);

  // The three ways the game uses the sound player.
  void prepareSound();
  void shotCue(std::string_view file);
  void refillCue();
  void addScore(int points);

  frmSplash& splash_;
  State s_;
  int firing_ = 0;  // shots fired but not yet taken off the magazine (nested in one another)
  Random rnd_;
  std::optional<FrameInputs> pendingFrame_;  // taken when nobody would have seen it, not yet drawn
};

}  // namespace kh
