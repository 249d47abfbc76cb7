// Writes composed frames of the play area as PPM pictures, for looking at the game without a
// display:  knuffelhatz_frames OUTDIR   (then e.g. convert OUTDIR/*.ppm to PNG)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "App.h"
#include "HeadlessBackend.h"
#include "Catalogue.h"
#include "Game.h"
#include "HighScoreFile.h"

namespace {

void writePpm(const kh::Surface& s, const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << s.width() << " " << s.height() << "\n255\n";
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) {
      const kh::Pixel p = s.at(x, y);
      out.put(char((p >> 16) & 0xff)).put(char((p >> 8) & 0xff)).put(char(p & 0xff));
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: knuffelhatz_frames OUTDIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  kh::HeadlessBackend be;
  kh::App app(be.platform, be.options());
  const kh::Catalogue pictures;
  kh::Game game(app, pictures, std::make_unique<kh::HighScoreFile>(dir / "Hi.wbh"));
  game.splash.Show();
  writePpm(be.window(*game.splash.window())->pixels, dir / "title.ppm");
  app.run(2100 * 1000);
  be.key(*game.splash.window(), ' ');
  app.run(be.clock);
  kh::Form1& f1 = game.form1;
  auto& s = f1.state();
  s.aimX = 200;
  s.aimY = 120;

  // A hop across the meadow, every fourth motion tick.
  for (int i = 0; i < 12; ++i) {
    app.run(be.clock + 40 * 1000);
    f1.SetPic();
    char name[32];
    std::snprintf(name, sizeof name, "hop%02d.ppm", i);
    writePpm(be.window(*f1.window())->pixels, dir / name);
  }
  // The sails at the left end of the world.
  f1.Timer1.setEnabled(false);
  s.scrollX = 0;
  for (int n = 0; n < 6; ++n) {
    s.wingPhase = n;
    f1.SetPic();
    app.presentAll();
    writePpm(f1.Picture3.Image(), dir / ("sails" + std::to_string(n) + ".ppm"));
  }
  // The three poses, close by.
  s.scrollX = -200;
  s.posX = 380;
  s.posY = 70;
  s.arcSine = 0.6;
  for (int state = 0; state < 3; ++state) {
    s.hitState = state;
    s.fallStep = 0;
    for (int f = 0; f < (state == 2 ? 8 : 1); ++f) f1.SetPic();
    writePpm(f1.Picture3.Image(), dir / ("pose" + std::to_string(state) + ".ppm"));
    s.facing = -s.facing;
    s.fallStep = 0;
    f1.SetPic();
    writePpm(f1.Picture3.Image(), dir / ("pose" + std::to_string(state) + "_mirrored.ppm"));
    s.facing = -s.facing;
  }
  std::cout << "frames written to " << dir.string() << "\n";
  return 0;
}
