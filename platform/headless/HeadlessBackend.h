#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "Backend.h"

namespace kh {

// One property write to the sound player, as the headless backend records it.
struct MciWrite {
  int dispId = 0;
  std::variant<std::string, bool> value;
  bool operator==(const MciWrite&) const = default;
};

class RecordingMci : public MciDevice {
 public:
  void putText(int dispId, std::string_view value) override {
    writes.emplace_back().dispId = dispId;
    writes.back().value.emplace<std::string>(value);
    notify();
  }
  void putBool(int dispId, bool value) override {
    writes.emplace_back().dispId = dispId;
    writes.back().value.emplace<bool>(value);
    notify();
  }
  std::vector<MciWrite> writes;
  std::function<void(const MciWrite&)> onWrite;  // lets a test look at the game at each write

 private:
  void notify() {
    if (onWrite) onWrite(writes.back());
  }
};

// No display at all: a virtual clock that tests advance, injected input, and every
// window's state and pixels readable.
class HeadlessBackend : public Backend {
 public:
  struct Window {
    WindowOptions opts;
    bool shown = false;
    int left = 0, top = 0;
    Surface pixels;
    int presents = 0;
  };

  static constexpr int kBorder = 3;    // frame thickness of a window with a title bar
  static constexpr int kCaption = 23;  // caption height

  WindowId createWindow(const WindowOptions& opts) override;
  void destroyWindow(WindowId id) override;
  void showWindow(WindowId id, bool shown) override;
  Rect windowFrame(WindowId id) override;
  void moveWindowFrame(WindowId id, int left, int top) override;
  int screenWidth() override { return screenW; }
  int screenHeight() override { return screenH; }
  void present(WindowId id, const Surface& client, const Rect& dirty) override;
  void setCursor(Cursor c) override { cursor = c; }
  // Every character a fixed box: font pixels high, half as wide, its second-to-last column
  // at half coverage and its last column empty, so layout and blending can be checked.
  TextBitmap renderText(const FontSpec& font, std::string_view utf8) override;
  Micros now() override { return clock; }
  bool waitEvent(InputEvent& ev, Micros deadline) override;
  bool pollEvent(InputEvent& ev) override;
  std::uint64_t randomSeed() override { return seed; }
  MciDevice& mci() override { return recorder; }

  // Test controls.
  void mouse(InputEvent::Type type, WindowId w, float x, float y, int button = 1);
  void key(WindowId w, int ch);
  void close(WindowId w);
  const Window* window(WindowId id) const;

  Micros clock = 0;
  std::uint64_t seed = 12345;
  int screenW = 1024, screenH = 768;
  Cursor cursor = Cursor::Arrow;
  RecordingMci recorder;
  std::deque<InputEvent> queue;
  // Run inside the next pollEvent, before it reads the queue: lets a test act "during" a DoEvents.
  std::function<void()> onPoll;

 private:
  std::map<WindowId, Window> windows_;
  WindowId next_ = 1;
};

}  // namespace kh
