#include "Form1.h"

#include <cmath>
#include <utility>

#include "Design.h"
#include "SameBits.h"
#include "Layout.h"

namespace kh {

namespace {

constexpr Pixel kIconKey = rgb(255, 0, 255);

FormDesign playWindowDesign(const Catalogue& pictures) {
  FormDesign d;
  d.clientWidth = 421;
  d.clientHeight = 321;
  d.caption = "Knuffelhatz";
  d.icon = &pictures.get("Icon");
  d.iconTransparent = kIconKey;
  return d;
}

PictureHolder holder(const Catalogue& pictures, const std::string& name, int scaleWidth = 0) {
  return PictureHolder{pictures.get(name), scaleWidth};
}

// A control array: name0, name1, ...
template <std::size_t N>
std::array<PictureHolder, N> holders(const Catalogue& pictures, const std::string& name) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<PictureHolder, N>{holder(pictures, name + std::to_string(I))...};
  }(std::make_index_sequence<N>{});
}

}  // namespace

Form1::Form1(App& app, const Catalogue& pictures, frmSplash& splash)
    : Form(app, playWindowDesign(pictures)),
      Label1(*this, {200, 0, 209, 25}, "0", kLabelFont, kLabelRed, Align::Right),
      Label2(*this, {8, 0, 201, 25}, "0", kLabelFont, kLabelRed, Align::Left),
      Label3(*this, {8, 288, 401, 25}, "0", kLabelFont, kLabelRed, Align::Right),
      Picture1(*this, layout::kPlayBox, true),
      Picture2(*this, 112, 105),
      Picture3(*this, 104, 105),
      Timer1(*this, 10, false),
      Timer2(*this, 10, true),
      Timer3(*this, 1000, true),
      MM1(app),
      Back(holder(pictures, "Back")),
      Land(holder(pictures, "Land")),
      LandMsk(holder(pictures, "LandMsk")),
      Wibbel(holder(pictures, "Wibbel", 65)),
      WibbelMsk(holder(pictures, "WibbelMsk")),
      Wibbel2(holder(pictures, "Wibbel2")),
      Wibbel2Msk(holder(pictures, "Wibbel2Msk")),
      Wibbel3(holder(pictures, "Wibbel3")),
      Wibbel4(holder(pictures, "Wibbel4")),
      WibbelPts(holder(pictures, "WibbelPts")),
      Gun(holder(pictures, "Gun")),
      GunMsk(holder(pictures, "GunMsk")),
      Flügel(holders<12>(pictures, "Fluegel")),
      Laterne(holders<6>(pictures, "Laterne")),
      splash_(splash) {
  Timer1.onTick = [this] { Timer1_Timer(); };
  Timer2.onTick = [this] { Timer2_Timer(); };
  Timer3.onTick = [this] { Timer3_Timer(); };
  Picture1.mouse.down = [this](int b, int s, float x, float y) { Picture1_MouseDown(b, s, x, y); };
  Picture1.mouse.move = [this](int b, int s, float x, float y) { Picture1_MouseMove(b, s, x, y); };
  Picture1.mouse.up = [this](int b, int s, float x, float y) { Picture1_MouseUp(b, s, x, y); };
}

void Form1::Form_Load() {
  Label1.setCaption(pointsCaption(punkte));
  Label2.setCaption("");
  Label3.setCaption("Schuss: " + (shots ? std::to_string(*shots) : std::string()));  // Empty joins as ""
  s_.respawn = true;
  s_.arcSine = 0;
  rnd_.seed(app().desktop().randomSeed());
  NewWibbel();  // scrollX is still unset here, so the first flight starts as if the view were at 0
  s_.arcAngle = 0;
  Timer1.setEnabled(true);
  prepareSound();
  s_.scrollX = -200;
  Picture2.setWidth(400);
  Picture2.setHeight(250);
  Picture3.setWidth(400);
  Picture3.setHeight(250);
}

void Form1::NewWibbel() {
  Timer1.setEnabled(false);
  s_.arcAngle = 0;
  if (s_.respawn) {
    const double previous = s_.posX;
    s_.arcHeight = float(rnd_.next() * 50 + 20);
    s_.arcStep = float(rnd_.next() * 10 + 10);
    s_.driftSpeed = double(s_.arcHeight) / 10;
    s_.hitState = 0;
    s_.facing = float(Wibbel.ScaleWidth());
    s_.posX = double(float(rnd_.next() * 450)) - s_.scrollX;
    if (s_.posX < 200) s_.posX = s_.posX + 200;
    if (s_.posX > 600) s_.posX = s_.posX - 200;
    // Too close to where the last flight ended: start 40 pixels on from there, so the new
    // flight is still in view rather than at the world's far left.
    if (std::abs(s_.posX - previous) < 40) s_.posX = previous + 40;
    if (rnd_.next() > 0.5) s_.facing = -s_.facing;
  }
  s_.respawn = false;
  Timer1.setEnabled(true);
}

void Form1::Timer1_Timer() {
  const double f = layout::arcFactor(punkte);
  s_.arcAngle = s_.arcAngle + double(s_.arcStep / 2) * f;
  if (s_.arcAngle > 180) NewWibbel();
  s_.arcSine = sine(s_.arcAngle / 180 * 3.14);  // 3.14, not pi: the arc ends a hair above its base
  s_.posY = layout::kArcBase - s_.arcSine * double(s_.arcHeight);
  const double g = layout::driftFactor(punkte);
  const double sign = s_.facing > 0 ? 1 : s_.facing < 0 ? -1 : 0;
  s_.posX = s_.posX + (sign * s_.driftSpeed / 2) * g;
  if (s_.posX > 800 || s_.posX < 0) s_.respawn = true;
  s_.scrollX = s_.scrollX + s_.scrollSpeed;
  if (s_.scrollX > 0) s_.scrollX = 0;
  if (s_.scrollX < -400) s_.scrollX = -400;
  s_.wingPhase = s_.wingPhase + 0.5;
  if (s_.wingPhase == 6) s_.wingPhase = 0;
}

void Form1::beginRound() {
  setLeft((screenWidthTwips(app()) - Width()) / 2);
  setTop((screenHeightTwips(app()) - Height()) / 2);
  tme = 90;
  shots = 5;
  laternen = 0;
  wibbels = 0;
  punkte = 0;
  Label3.setCaption(shotsCaption(*shots));
  Label1.setCaption(pointsCaption(punkte));
  Label2.setCaption("");
  Show();
}

void Form1::prepareSound() {
  MM1.setDeviceType("WaveAudio");
  MM1.setFileName("Schuss.wbs");
  MM1.setCommand("Open");
}

void Form1::shotCue(std::string_view file) {
  MM1.setCommand("Close");
  MM1.setFileName(file);
  MM1.setProperty25(true);
  MM1.setCommand("Open");
  MM1.setCommand("Play");
  MM1.setProperty25(false);
}

void Form1::refillCue() {
  MM1.setCommand("Close");
  MM1.setFileName("Leer.wbs");
  MM1.setCommand("Open");
  MM1.setCommand("Play");
}

}  // namespace kh
