#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"
#include "Viewport.h"
#include "WebSound.h"

namespace kh {

// The program must stop: one line on the console and the message on the page.
void showFatal(std::string_view message);

// The game in a web page: each window is a canvas in the page's element `#kh-screen`, shown
// at one whole scale in device pixels that fits the page (the browser enlarges with sharp
// pixels), the newest shown window over the others, centred. Only what changed is copied to
// a canvas, at most once per display frame. Input is queued by the page's handlers and read
// on the program's own stack; waiting sleeps through Asyncify until the deadline or the next
// input. While the page is hidden the clock stands still (see docs/quirks.md). The page's
// side (page_library.js) is made once, by the constructor.
class WebBackend : public Backend {
 public:
  WebBackend();
  ~WebBackend() override;
  WebBackend(const WebBackend&) = delete;
  WebBackend& operator=(const WebBackend&) = delete;

  WindowId createWindow(const WindowOptions& opts) override;
  void destroyWindow(WindowId id) override;
  void showWindow(WindowId id, bool shown) override;
  Rect windowFrame(WindowId id) override;
  void moveWindowFrame(WindowId id, int left, int top) override;
  int screenWidth() override;
  int screenHeight() override;
  void present(WindowId id, const Surface& client, const Rect& dirty) override;
  void setCursor(Cursor c) override;
  TextBitmap renderText(const FontSpec& font, std::string_view utf8) override;
  Micros now() override;
  bool waitEvent(InputEvent& ev, Micros deadline) override;
  bool pollEvent(InputEvent& ev) override;
  std::uint64_t randomSeed() override;
  MciDevice& mci() override;

  // How much faster than real time a test asked the game's clock to run (the page's
  // `?speed=N`, 1 to 16); 1 for everyone else.
  int testClockRate() const;

  // Called before every wait, with the program's state settled: where the page mirrors what
  // the windows say, for screen readers (and the browser tests).
  std::function<void()> beforeWait;
  // Puts the texts a window shows into the page, one line each; only changes touch the page.
  void mirrorTexts(WindowId id, const std::vector<std::string>& lines);

 private:
  struct Window {
    int width = 0, height = 0;  // the canvas: the client area and its drawn frame
    int inset = 0;
    Surface picture;            // the drawn frame, when there is one
    std::vector<std::uint8_t> rgba;  // what the canvas shows, kept for the page to copy from
    bool framed = false;        // the frame is in `rgba`
    Rect frame{};               // where the desktop would have it, for the game's own sums
    std::string mirrored;
  };
  bool takeEvent(InputEvent& ev);
  Window& at(WindowId id);

  std::map<WindowId, Window> windows_;
  WindowId next_ = 1;
  Cursor cursor_ = Cursor::Arrow;
  Micros yieldedAt_ = INT64_MIN / 4;
  WebSound sound_;
  std::unique_ptr<MciDevice> mci_;
};

}  // namespace kh
