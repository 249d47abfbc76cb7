// Measures the real event loop in a real window: the motion timer's intervals, the length of
// 90 clock ticks, and the CPU the process uses while the title waits and while a game runs.
// Run under a display, e.g.  xvfb-run -a build/release/knuffelhatz_measure
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "App.h"
#include "SdlBackend.h"
#include "Catalogue.h"
#include "Game.h"

namespace {

double cpuSeconds() {
  std::ifstream in("/proc/self/stat");
  std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(s.substr(s.rfind(')') + 2));
  std::string f;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> f; ++i) {
    if (i == 14) utime = std::stol(f);
    if (i == 15) stime = std::stol(f);
  }
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main() {
  kh::SdlBackend backend;
  kh::App app(backend);
  const kh::Catalogue pictures;
  kh::Game game(app, pictures, kh::HighScoreFile("/tmp/knuffelhatz-measure-Hi.wbh"));
  game.splash.Show();
  auto runFor = [&](double s) { app.run(backend.now() + kh::Micros(s * 1e6)); };

  runFor(2.5);  // start permission
  const double c0 = cpuSeconds();
  const kh::Micros w0 = backend.now();
  runFor(20);
  const double waitShare = (cpuSeconds() - c0) / (double(backend.now() - w0) / 1e6);

  // Start a game through the same code a key press runs.
  std::vector<kh::Micros> ticks;
  auto motion = game.form1.Timer1.onTick;
  game.form1.Timer1.onTick = [&] {
    ticks.push_back(backend.now());
    motion();
  };
  kh::Micros gameStart = 0;
  std::vector<kh::Micros> clockTicks;
  auto clock = game.form1.Timer3.onTick;
  game.form1.Timer3.onTick = [&] {
    clockTicks.push_back(backend.now());
    clock();
  };
  game.splash.StartGame();
  gameStart = backend.now();
  const double c1 = cpuSeconds();
  runFor(20);
  const double playShare = (cpuSeconds() - c1) / (double(backend.now() - gameStart) / 1e6);
  std::vector<double> iv;
  for (std::size_t i = 1; i < ticks.size() && ticks[i] - ticks[0] < 10'000'000; ++i)
    iv.push_back(double(ticks[i] - ticks[i - 1]) / 1000.0);
  std::sort(iv.begin(), iv.end());
  // A click on the creature's chest: from the button reaching the play area to the hit frame
  // handed to the window system.
  std::vector<double> clicks;
  for (int i = 0; i < 20; ++i) {
    auto& st = game.form1.state();
    runFor(0.3);
    st.hitState = 0;
    const float x = float(st.scrollX + st.posX + (st.facing > 0 ? 25 : -35)), y = float(st.posY + 30);
    const kh::Micros c0 = backend.now();
    const int before = game.form1.punkte;
    game.form1.Picture1.mouse.down(1, 0, x, y);
    if (game.form1.punkte != before) clicks.push_back(double(backend.now() - c0) / 1000.0);
  }
  std::sort(clicks.begin(), clicks.end());
  if (!clicks.empty())
    std::printf("click to presented hit frame: median %.2f ms, max %.2f ms over %zu hits\n", clicks[clicks.size() / 2],
                clicks.back(), clicks.size());
  runFor(70);
  std::printf("motion timer over 10 s: %zu ticks, median %.2f ms, p99 %.2f ms, max %.2f ms\n", iv.size(),
              iv[iv.size() / 2], iv[iv.size() * 99 / 100], iv.back());
  std::printf("CPU share: title waiting %.2f%%, during a game %.2f%% of one core\n", waitShare * 100, playShare * 100);
  if (clockTicks.size() > 91)
    std::printf("90 clock ticks: %.3f s\n", double(clockTicks[clockTicks.size() - 1] - clockTicks[clockTicks.size() - 91]) / 1e6);
  return 0;
}
