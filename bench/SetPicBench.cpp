// How long one frame takes, against the cheapest way to write the same destination pixels:
// memcpy of every rectangle the frame's draws write, and of the finished frame handed to the
// play area. Run the Release build (make bench); BM_SetPicAgainstCopy reports the ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "App.h"
#include "HeadlessBackend.h"
#include "Catalogue.h"
#include "Game.h"
#include "HighScoreFile.h"

namespace kh {
namespace {

const Catalogue& pictures() {
  static const Catalogue c;
  return c;
}

std::filesystem::path scoreFile() {
  const auto dir = std::filesystem::temp_directory_path() / "knuffelhatz-bench";
  std::filesystem::create_directories(dir);
  const auto file = dir / "Hi.wbh";
  if (!std::filesystem::exists(file)) std::ofstream(file, std::ios::binary).put(0).put(0);
  return file;
}

// The whole program on the headless backend, the play window shown, in a busy mid-game
// state: sails in view, a lantern hit (lantern and hit pose), a mirrored creature, the
// crosshair in the middle. Every layer of a frame is drawn.
struct Play {
  HeadlessBackend be;
  App app{be.platform, be.options()};
  Game game{app, pictures(), std::make_unique<HighScoreFile>(scoreFile())};
  Form1& f1 = game.form1;

  Play() {
    game.splash.Show();
    f1.Show();
    app.presentAll();
    f1.Timer1.setEnabled(false);
    Form1::State& s = f1.state();
    s.scrollX = -100;
    s.wingPhase = 2.5;
    s.hitState = 2;
    s.fallStep = 0;
    s.posX = 300;
    s.posY = 60;
    s.facing = -65;
    s.arcSine = 0.7;
    s.aimX = 200;
    s.aimY = 125;
  }
};

// The destination rectangles of one frame in the state above, clipped to the 400 x 250 buffer,
// each copied with memcpy: the same pixels SetPic writes, at memcpy's speed.
struct Copy {
  Surface from{400, 250, rgb(1, 2, 3)};
  Surface buffer{400, 250};
  Surface shown{397, 245};
  struct Box {
    int x, y, w, h;
  };
  std::vector<Box> boxes;

  explicit Copy(const Form1::State& s) {
    auto add = [&](double x, double y, int w, int h) {
      const int x0 = std::max(int(std::floor(x + 0.5)), 0), y0 = std::max(int(std::floor(y + 0.5)), 0);
      const int x1 = std::min(int(std::floor(x + 0.5)) + w, 400), y1 = std::min(int(std::floor(y + 0.5)) + h, 250);
      if (x0 < x1 && y0 < y1) boxes.push_back({x0, y0, x1 - x0, y1 - y0});
    };
    add(s.scrollX * 0.95 - 10, 0, 800, 250);                      // backdrop
    if (s.scrollX > -155) add(s.scrollX + 9, -27, 141, 140);      // sails
    add(s.scrollX + s.posX + s.facing, 200 - 140 * s.arcSine, 22, 28);  // lantern
    add(s.scrollX + s.posX + std::min<double>(s.facing, 0), s.posY, 65, 83);  // creature
    add(s.scrollX, 44, 800, 206);                                 // landscape
    add(s.aimX - 32, s.aimY - 32, 64, 64);                        // crosshair
  }
  void operator()() {
    for (const Box& b : boxes)
      for (int y = b.y; y < b.y + b.h; ++y)
        std::memcpy(buffer.row(y) + b.x, from.row(y) + b.x, std::size_t(b.w) * sizeof(Pixel));
    for (int y = 0; y < 245; ++y) std::memcpy(shown.row(y), buffer.row(y), 397 * sizeof(Pixel));
    benchmark::ClobberMemory();
  }
};

void BM_SetPic(benchmark::State& state) {
  Play p;
  for (auto _ : state) {
    p.f1.SetPic();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SetPic);

// A whole frame tick as the play window's timer runs it: the frame composed, handed to the
// play area and presented into the window.
void BM_FrameTick(benchmark::State& state) {
  Play p;
  for (auto _ : state) {
    p.f1.SetPic();
    p.app.presentAll();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameTick);

void BM_CopySameDestination(benchmark::State& state) {
  Play p;
  Copy c(p.f1.state());
  for (auto _ : state) c();
}
BENCHMARK(BM_CopySameDestination);

// Both in one run, alternating, so the ratio is not skewed by the machine's mood.
void BM_SetPicAgainstCopy(benchmark::State& state) {
  Play p;
  Copy c(p.f1.state());
  using Clock = std::chrono::steady_clock;
  Clock::duration setPic{}, copy{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    p.f1.SetPic();
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    c();
    const auto t2 = Clock::now();
    setPic += t1 - t0;
    copy += t2 - t1;
  }
  const double n = double(state.iterations());
  const double sp = std::chrono::duration<double, std::micro>(setPic).count() / n;
  const double cp = std::chrono::duration<double, std::micro>(copy).count() / n;
  state.counters["SetPic_us"] = sp;
  state.counters["memcpy_us"] = cp;
  state.counters["ratio"] = sp / cp;
}
BENCHMARK(BM_SetPicAgainstCopy);

}  // namespace
}  // namespace kh
