// A seeded, scripted round played headlessly: every frame, every sound write and every
// label goes into one digest, compared with the digest this round gave when it was
// recorded. Any change of behaviour, however small, shows up here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "Harness.h"
#include "SameBits.h"

namespace kh::test {
namespace {

// FNV-1a, 64 bits.
struct Digest {
  std::uint64_t h = 0xcbf29ce484222325ull;
  void bytes(const void* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<const unsigned char*>(p)[i]) * 0x100000001b3ull;
  }
  // A frame a word at a time: the same sensitivity to any changed pixel, eight times faster.
  void pixels(const std::vector<Pixel>& px) {
    for (std::size_t i = 0; i + 1 < px.size(); i += 2) h = (h ^ (std::uint64_t(px[i]) << 32 | px[i + 1])) * 0x100000001b3ull;
    if (px.size() % 2) number(px.back());
  }
  void text(const std::string& s) { bytes(s.data(), s.size() + 1); }
  void number(long long v) { bytes(&v, sizeof v); }
};

TEST(GoldenRound, EveryFrameSoundAndLabelMatchesTheRecording) {
  Harness h;
  Digest d;
  int frames = 0;
  h.be.recorder.onWrite = [&](const MciWrite& w) {
    d.number(h.be.clock);
    d.number(w.dispId);
    if (const auto* s = std::get_if<std::string>(&w.value)) d.text(*s);
    else d.number(std::get<bool>(w.value));
  };
  auto frameTick = h.f1.Timer2.onTick;
  h.f1.Timer2.onTick = [&] {
    frameTick();
    ++frames;
    d.pixels(h.f1.Picture1.Image().pixels());
    for (const Label* l : {&h.f1.Label1, &h.f1.Label2, &h.f1.Label3}) d.text(l->Caption());
  };
  h.startGame();
  // The pointer sweeps the play area and its margins; a click every 0.35 s, a double
  // click now and then, and every fourth click aimed at the creature's chest.
  for (int step = 0; step < 92 * 20; ++step) {
    const float t = float(step) * 0.05f;
    const float x = 200 + 215 * sine(t * 0.7f), y = 120 + 100 * sine(t * 1.3f);
    if (x < -2 || x > 398) h.be.mouse(InputEvent::Type::MouseMove, h.playWindow(), x < 0 ? 4 : 415, y + 34, 0);
    else h.moveOnArea(x, y);
    if (step % 28 == 10) {
      const auto& s = h.f1.state();
      const float cx = float(s.scrollX + s.posX + (s.facing > 0 ? 25 : -35)), cy = float(s.posY + 30);
      if (cx >= 0 && cx < 397 && cy >= 0 && cy < 245) h.clickOnArea(cx, cy);
    } else if (step % 7 == 3 && x >= 0 && x < 397 && y >= 0 && y < 245) {
      h.clickOnArea(x, y);
      if (step % 49 == 3 && h.f1.shots.value_or(0) >= 2) h.clickOnArea(x + 1, y);  // nested in the first
    }
    h.runFor(50);
    if (!h.f1.Visible()) break;
  }
  ASSERT_TRUE(h.splash.Visible()) << "the round ended";
  for (const Label* l : {&h.splash.Label1, &h.splash.Label3, &h.splash.Label5}) d.text(l->Caption());
  d.number(h.f1.punkte);
  EXPECT_GT(h.f1.punkte, 0) << "the script hits something";
  EXPECT_GT(frames, 8000);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(d.h));
  EXPECT_STREQ(hex, "a21be4a9a794b82f") << "frames " << frames << ", score " << h.f1.punkte;
}

}  // namespace
}  // namespace kh::test
