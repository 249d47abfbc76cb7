#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "App.h"
#include "HeadlessBackend.h"
#include "Catalogue.h"
#include "Game.h"
#include "Layout.h"
#include "TestPlatform.h"

namespace kh::test {

inline const Catalogue& pictures() {
  static const Catalogue c;
  return c;
}

// This test program's own folder, removed when it ends: runs side by side (ctest -j, other
// build folders or checkouts on the same machine) never write into each other's files.
inline const std::filesystem::path& runDir() {
  struct Owned {
    std::filesystem::path path;
    ~Owned() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static const Owned dir{std::filesystem::path(::testing::TempDir()) / ("knuffelhatz-" + std::to_string(processId()))};
  return dir.path;
}

// A fresh folder per test for the score file.
inline std::filesystem::path scratchDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  auto dir = runDir() / (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The whole program on the headless backend, in virtual time.
struct Harness {
  HeadlessBackend be;
  App app{be.platform, be.options()};
  std::filesystem::path dir = scratchDir();
  Game game{app, pictures(), scoreFile(dir / "Hi.wbh")};
  Form1& f1 = game.form1;
  frmSplash& splash = game.splash;

  // On a display refreshing every `refresh` µs (0: one that shows every frame).
  explicit Harness(Micros refresh = 0) : be(refresh) { game.splash.Show(); }

  void runFor(int ms) { app.run(be.clock + Micros(ms) * 1000); }
  void runUntilMs(long long ms) { app.run(Micros(ms) * 1000); }
  long long nowMs() const { return be.clock / 1000; }

  WindowId playWindow() const { return *f1.window(); }
  WindowId titleWindow() const { return *splash.window(); }

  // Mouse over the play area, in its client coordinates.
  static constexpr float kAreaX = layout::kPlayArea.x, kAreaY = layout::kPlayArea.y;
  void moveOnArea(float x, float y) { be.mouse(InputEvent::Type::MouseMove, playWindow(), x + kAreaX, y + kAreaY, 0); }
  void clickOnArea(float x, float y, int button = 1) {
    be.mouse(InputEvent::Type::MouseDown, playWindow(), x + kAreaX, y + kAreaY, button);
    be.mouse(InputEvent::Type::MouseUp, playWindow(), x + kAreaX, y + kAreaY, button);
  }
  void pressKey(int ch = 'a') { be.key(titleWindow(), ch); }

  // From start-up to a running game: the prompt comes on the second clock tick.
  void startGame() {
    runUntilMs(2001);
    pressKey();
    runFor(0);
  }
};

}  // namespace kh::test
