// Measures the real event loop in a real window on Windows (or Wine): the motion timer's
// intervals, the length of 90 clock ticks, and the CPU the process uses while the title
// waits and while a game runs. Prints to stdout; run from a console or under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "App.h"
#include "Catalogue.h"
#include "Game.h"
#include "Win32Backend.h"
#include "Win32Program.h"
#include "Win32ScoreStore.h"

namespace {

double cpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto s = [](const FILETIME& f) { return double(std::uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7; };
  return s(kernel) + s(user);
}

}  // namespace

int main() {
  kh::win32::attachConsole();
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  kh::Win32Backend backend(kh::Win32Options{1, {}});
  kh::App app(backend);
  const kh::Catalogue pictures;
  kh::Game game(app, pictures, std::make_unique<kh::win32::Win32ScoreStore>(std::wstring(tmp) + L"kh-measure-Hi.wbh"));
  game.splash.Show();
  auto runFor = [&](double s) { app.run(backend.now() + kh::Micros(s * 1e6)); };

  runFor(2.5);  // start permission
  const double c0 = cpuSeconds();
  const kh::Micros w0 = backend.now();
  runFor(10);
  const double waitShare = (cpuSeconds() - c0) / (double(backend.now() - w0) / 1e6);

  std::vector<kh::Micros> ticks, clockTicks;
  auto motion = game.form1.Timer1.onTick;
  game.form1.Timer1.onTick = [&] {
    ticks.push_back(backend.now());
    motion();
  };
  auto clock = game.form1.Timer3.onTick;
  game.form1.Timer3.onTick = [&] {
    clockTicks.push_back(backend.now());
    clock();
  };
  game.splash.StartGame();
  const kh::Micros gameStart = backend.now();
  const double c1 = cpuSeconds();
  runFor(20);
  const double playShare = (cpuSeconds() - c1) / (double(backend.now() - gameStart) / 1e6);
  runFor(72);
  std::vector<double> iv;
  for (std::size_t i = 1; i < ticks.size(); ++i) iv.push_back(double(ticks[i] - ticks[i - 1]) / 1000.0);
  std::sort(iv.begin(), iv.end());
  std::printf("scale %d\n", backend.scale());
  if (!iv.empty())
    std::printf("motion timer: %zu intervals, median %.2f ms, p99 %.2f ms, max %.2f ms\n", iv.size(), iv[iv.size() / 2],
                iv[iv.size() * 99 / 100], iv.back());
  std::printf("CPU share: title waiting %.2f%%, during a game %.2f%% of one core\n", waitShare * 100, playShare * 100);
  if (clockTicks.size() > 90)
    std::printf("90 clock ticks: %.3f s\n", double(clockTicks[90] - clockTicks[0]) / 1e6);
  std::fflush(stdout);
  return 0;
}
