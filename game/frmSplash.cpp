#include "frmSplash.h"

#include "Design.h"
#include "Form1.h"

namespace kh {

namespace {

FormDesign titleWindowDesign(const Catalogue& pictures) {
  FormDesign d;
  d.clientWidth = 338;
  d.clientHeight = 179;
  d.titleBar = false;
  d.skipTaskbar = true;
  d.centred = true;
  d.keyPreview = true;
  d.background = kBlack;
  d.backgroundPicture = std::cref(pictures.get("Title"));
  return d;
}

}  // namespace

frmSplash::frmSplash(App& app, const Catalogue& pictures, Form1& play, std::unique_ptr<ScoreStore> scores)
    : Form(app, titleWindowDesign(pictures)),
      Label1(*this, {120, 80, 193, 17}, "Highscore:", kSmallLabelFont, kLabelRed, Align::Left),
      Label3(*this, {120, 104, 193, 17}, "bite warten...", kSmallLabelFont, kLabelRed, Align::Left),
      Label5(*this, {120, 128, 193, 25}, "", kSmallLabelFont, kLabelRed, Align::Left),
      form1_(play),
      scores_(std::move(scores)) {}

void frmSplash::Form_Load() {
  // A file that cannot be read keeps the best score we already know.
  if (const auto stored = scores_ ? scores_->read() : std::nullopt) HiScore = *stored;
  Label1.setCaption(joinNumber("Hiscore: ", HiScore));
  form1_.Load();
  form1_.Timer1.setEnabled(false);
  form1_.Hide();
  app().DoEvents();
}

void frmSplash::Form_KeyPress(int&) { StartGame(); }

void frmSplash::StartGame() {
  if (!form1_.GoIt) return;
  form1_.beginRound();
  app().DoEvents();
  Unload();
  form1_.Timer1.setEnabled(true);
}

void frmSplash::showStartPrompt() { Label3.setCaption("Bitte Taste drücken"); }

void frmSplash::showResult(std::int16_t punkte, std::string_view rating) {
  Show();
  Label3.setCaption(pointsCaption(punkte));
  Label5.setCaption("Status: " + std::string(rating));
  if (punkte > HiScore) {
    // Stored first; if that fails the new best score still shows and is kept for this run.
    // The store never lowers a higher score another copy stored meanwhile.
    if (scores_) scores_->write(punkte);
    Label1.setCaption(joinNumber("Hiscore: ", punkte));
    HiScore = punkte;
  }
}

// Closed by the desktop (the window has no controls of its own): the player wants to leave.
void frmSplash::closeRequested() {
  Unload();
  form1_.Unload();
}

}  // namespace kh
