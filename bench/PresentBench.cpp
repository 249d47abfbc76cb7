// The present path's own work: one finished play area (397 x 245 pixels) enlarged into the
// window's device pixels at scale 1, 2 and 3, against memcpy of the same number of device
// bytes, alternating in one run. BM_PresentAgainstCopy/N reports the ratio at scale N.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "Surface.h"
#include "Viewport.h"

namespace kh {
namespace {

void BM_PresentAgainstCopy(benchmark::State& state) {
  const int scale = int(state.range(0));
  constexpr int kW = 421, kH = 321;
  const Rect area{10, 34, 397, 245};
  Surface client(kW, kH, rgb(240, 240, 240));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) client.set(x, y, rgb(x, y, x ^ y));
  const Viewport view = Viewport::fit(kW, kH, kW * scale, kH * scale);
  const int pitch = kW * scale * int(sizeof(Pixel));
  std::vector<Pixel> device(std::size_t(kW * scale) * std::size_t(kH * scale));
  std::vector<Pixel> from(device.size()), to(device.size());
  const std::size_t bytes = std::size_t(area.w * scale) * std::size_t(area.h * scale) * sizeof(Pixel);
  using Clock = std::chrono::steady_clock;
  Clock::duration present{}, copy{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    blitScaled(client, area, area.x, area.y, view, device.data(), pitch);
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    present += t1 - t0;
    copy += t2 - t1;
  }
  const double n = double(state.iterations());
  const double p = std::chrono::duration<double, std::micro>(present).count() / n;
  const double c = std::chrono::duration<double, std::micro>(copy).count() / n;
  state.counters["present_us"] = p;
  state.counters["memcpy_us"] = c;
  state.counters["ratio"] = p / c;
}
BENCHMARK(BM_PresentAgainstCopy)->Arg(1)->Arg(2)->Arg(3);

}  // namespace
}  // namespace kh
