#include "screens/frmSplash.h"

#include "game/Form1.h"

namespace kh {

namespace {

const std::string kFont = "Arial Black,Lato Black:weight=black";
constexpr Pixel kRed = rgb(255, 0, 0);

FormDesign titleWindowDesign(const Catalogue& pictures) {
  FormDesign d;
  d.clientWidth = 338;
  d.clientHeight = 179;
  d.titleBar = false;
  d.skipTaskbar = true;
  d.centred = true;
  d.keyPreview = true;
  d.background = kBlack;
  d.backgroundPicture = &pictures.get("Title");
  return d;
}

}  // namespace

frmSplash::frmSplash(App& app, const Catalogue& pictures, Form1& play, HighScoreFile file)
    : Form(app, titleWindowDesign(pictures)),
      Label1(*this, {120, 80, 193, 17}, "Highscore:", {kFont, 9.75f, 400}, kRed, Align::Left),
      Label3(*this, {120, 104, 193, 17}, "bite warten...", {kFont, 9.75f, 400}, kRed, Align::Left),
      Label5(*this, {120, 128, 193, 25}, "", {kFont, 9.75f, 400}, kRed, Align::Left),
      form1_(play),
      file_(std::move(file)) {}

void frmSplash::Form_Load() {
  // A file that cannot be read keeps the best score we already know.
  if (const auto stored = file_.read()) HiScore = *stored;
  Label1.setCaption(joinNumber("Hiscore: ", HiScore));
  form1_.Load();
  form1_.Timer1.setEnabled(false);
  form1_.Hide();
  app().DoEvents();
}

void frmSplash::Form_KeyPress(int&) { StartGame(); }

void frmSplash::StartGame() {
  if (!form1_.GoIt) return;
  form1_.setLeft((screenWidthTwips(app()) - form1_.Width()) / 2);
  form1_.setTop((screenHeightTwips(app()) - form1_.Height()) / 2);
  form1_.tme = 90;
  form1_.shots = 5;
  form1_.laternen = 0;
  form1_.wibbels = 0;
  form1_.punkte = 0;
  form1_.Label3.setCaption(joinNumber("Schuss: ", *form1_.shots));
  form1_.Label1.setCaption(joinNumber("Punkte: ", form1_.punkte));
  form1_.Label2.setCaption("");
  form1_.Show();
  app().DoEvents();
  Unload();
  form1_.Timer1.setEnabled(true);
}

// Closed by the desktop (the window has no controls of its own): the player wants to leave.
void frmSplash::closeRequested() {
  Unload();
  form1_.Unload();
}

}  // namespace kh
