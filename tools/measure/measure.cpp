// Measures the real event loop in a real window: the motion timer's intervals, the length of
// 90 clock ticks, the CPU the process uses while the title waits and while a game runs, and
// how long a click takes to show its hit frame.
// Run under a display, e.g.  xvfb-run -a build/release/knuffelhatz_measure [--scale N] [--fullscreen]
#include <algorithm>
#include <cstdlib>
#include <cstring>
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
#include "HighScoreFile.h"

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

int main(int argc, char** argv) {
  kh::AppOptions options;
  bool fullscreen = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--scale") && i + 1 < argc) options.scale = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--fullscreen")) fullscreen = true;
    else {
      std::fprintf(stderr, "usage: knuffelhatz_measure [--scale N] [--fullscreen]\n");
      return 2;
    }
  }
  kh::SdlBackend backend;
  kh::App app(backend.platform, options);
  app.desktop().setFullscreen(fullscreen);
  const kh::Catalogue pictures;
  kh::Game game(app, pictures, std::make_unique<kh::HighScoreFile>("/tmp/knuffelhatz-measure-Hi.wbh"));
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
  // A click on the creature's chest, queued as the mouse would: from the click entering the
  // event queue to the hit frame handed to the window system.
  std::vector<double> clicks;
  kh::DisplayWindow& play = *app.desktop().window(*game.form1.window());
  for (int i = 0; i < 20; ++i) {
    auto& st = game.form1.state();
    runFor(0.3);
    st.hitState = 0;
    const int x = int(st.scrollX + st.posX + (st.facing > 0 ? 25 : -35)), y = int(st.posY + 30);
    const kh::Rect area = game.form1.Picture1.client();
    const int before = game.form1.punkte;
    const kh::Micros c0 = backend.now();
    kh::SdlBackend::queueClick(play, area.x + x, area.y + y);
    while (game.form1.punkte == before && backend.now() - c0 < 200'000) app.DoEvents();
    if (game.form1.punkte == before) continue;
    while (kh::SdlBackend::shownAt(play) <= c0 && backend.now() - c0 < 200'000) app.run(backend.now() + 1000);
    clicks.push_back(double(kh::SdlBackend::shownAt(play) - c0) / 1000.0);
  }
  std::sort(clicks.begin(), clicks.end());
  if (!clicks.empty())
    std::printf("click to presented hit frame: median %.2f ms, max %.2f ms over %zu hits\n", clicks[clicks.size() / 2],
                clicks.back(), clicks.size());
  runFor(70);
  std::printf("scale %d%s\n", app.desktop().scale(), fullscreen ? ", full screen" : "");
  std::printf("motion timer over 10 s: %zu ticks, median %.2f ms, p99 %.2f ms, max %.2f ms\n", iv.size(),
              iv[iv.size() / 2], iv[iv.size() * 99 / 100], iv.back());
  std::printf("CPU share: title waiting %.2f%%, during a game %.2f%% of one core\n", waitShare * 100, playShare * 100);
  if (clockTicks.size() > 91)
    std::printf("90 clock ticks: %.3f s\n", double(clockTicks[clockTicks.size() - 1] - clockTicks[clockTicks.size() - 91]) / 1e6);
  return 0;
}
