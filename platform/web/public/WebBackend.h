#pragma once
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Platform.h"
#include "WebSound.h"

namespace kh {

// The program must stop: the message on the page, where the loading note was.
void showFatalOnPage(std::string_view message);

// The game in a web page: each window is a canvas in the page's element `#kh-screen`, shown
// at the whole scale the core chose for the page's room, in device pixels (the browser
// enlarges with sharp pixels), the newest shown window over the others, centred. Only what
// changed is copied to a canvas, at most once per display frame. Input is queued by the
// page's handlers and read on the program's own stack; waiting sleeps through Asyncify until
// the deadline or the next input. While the page is hidden the clock stands still (see
// docs/quirks.md). The page's side (page_library.js) is made once, by the constructor.
class WebBackend : public WindowSystem, public Events, public TextRenderer {
 public:
  WebBackend();
  WebBackend(const WebBackend&) = delete;
  WebBackend& operator=(const WebBackend&) = delete;

  // WindowSystem
  std::unique_ptr<DisplayWindow> create(WindowId id, const WindowOptions& opts, int scale) override;
  int screenWidth() override;
  int screenHeight() override;
  Frame frameOf(bool titleBar) override;
  std::optional<std::pair<int, int>> sharedArea() override;
  bool describesWindows() override { return true; }
  // The page draws at the display's frames; a frame more often would be drawn over unseen.
  Micros refreshPeriod() override { return 16'667; }
  void setCursor(Cursor c) override;
  // TextRenderer
  TextBitmap render(const FontSpec& font, std::string_view utf8) override;
  // Events
  Micros now() override;
  bool wait(RawInput& in, Micros deadline) override;
  bool poll(RawInput& in) override;
  std::uint64_t randomSeed() override;

  // How much faster than real time a test asked the game's clock to run (the page's
  // `?speed=N`, 1 to 16); 1 for everyone else. Needs no WebBackend.
  static int testClockRate();

 private:
  static bool take(RawInput& in);

  Micros yieldedAt_ = INT64_MIN / 4;
  WebSound sound_;

 public:
  Platform platform{*this, *this, *this, sound_, sound_};
};

}  // namespace kh
