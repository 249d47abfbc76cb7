#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "App.h"
#include "MMControl.h"
#include "Platform.h"
#include "SoundOutput.h"

namespace kh {

// No display at all: a virtual clock that tests advance, injected input, every window's
// state and pixels readable, and no sound device. Complete enough to play whole rounds.
class HeadlessBackend : public WindowSystem, public Events, public TextRenderer, public SoundOutput, public SoundFiles {
 public:
  struct Window {
    WindowOptions opts;
    bool shown = false;
    bool fullscreen = false;
    int scale = 1;
    int left = 0, top = 0;
    Surface pixels;
    int presents = 0;
    std::vector<std::string> described;  // what screen readers were told, when asked for
  };

  static constexpr int kBorder = 3;    // frame thickness of a window with a title bar
  static constexpr int kCaption = 23;  // caption height

  HeadlessBackend() = default;
  // A display refreshing every `refresh` µs, for frame pacing.
  explicit HeadlessBackend(Micros refreshEvery) : refresh(refreshEvery) {}
  HeadlessBackend(const HeadlessBackend&) = delete;
  HeadlessBackend& operator=(const HeadlessBackend&) = delete;

  // WindowSystem
  std::unique_ptr<DisplayWindow> create(WindowId id, const WindowOptions& opts, int scale) override;
  int screenWidth() override { return screenW; }
  int screenHeight() override { return screenH; }
  Frame frameOf(bool titleBar) override { return {0, titleBar ? 2 * kBorder + kCaption : 0}; }
  void setCursor(Cursor c) override { cursor = c; }
  bool describesWindows() override { return describes; }
  Micros refreshPeriod() override { return refresh; }
  // Text: every character a fixed box: font pixels high, half as wide, its second-to-last
  // column at half coverage and its last column empty, so layout and blending can be checked.
  TextBitmap render(const FontSpec& font, std::string_view utf8) override;
  // Events
  Micros now() override { return clock; }
  bool wait(RawInput& in, Micros deadline) override;
  bool poll(RawInput& in) override;
  std::uint64_t randomSeed() override { return seed; }
  Micros wakeSlack() override { return slack; }
  void setPulse(Pulse* p) override { pulse_ = p; }
  // Sound: no device, so every cue stays silent without reading a file.
  std::optional<DeviceFormat> format() const override { return std::nullopt; }
  void hold(Pcm) override {}
  void play() override {}
  std::optional<FileStamp> stamp(const std::string&, std::string& why) override;
  std::optional<std::vector<std::uint8_t>> read(const std::string&, std::size_t, std::string& why) override;

  Platform platform{*this, *this, *this, *this, *this};
  // How an App on this backend runs: its sound player's writes go to `recorder`.
  AppOptions options(int clockRate = 1) {
    AppOptions o;
    o.clockRate = clockRate;
    o.soundLog = &recorder;
    return o;
  }

  // Test controls: input in the game's own terms, in a window's client pixels.
  void mouse(InputEvent::Type type, WindowId w, float x, float y, int button = 1);
  void key(WindowId w, int ch);
  void close(WindowId w);
  // Input as a platform delivers it, through the core's rules.
  void raw(const RawInput& in) { queue.push_back(in); }
  const Window* window(WindowId id) const;

  Micros clock = 0;
  std::uint64_t seed = 12345;
  int screenW = 1024, screenH = 768;
  Cursor cursor = Cursor::Arrow;
  bool describes = false;
  Micros refresh = 0;  // every frame is shown
  Micros slack = 0;    // every timer at its exact time
  MciLog recorder;  // the sound player's property writes, when the App is given it
  std::deque<RawInput> queue;
  // Told when a window is made, and when one is shown or hidden.
  std::function<void(const WindowOptions&)> onCreate;
  std::function<void(WindowId, bool)> onShow;
  // Run inside the next poll, before it reads the queue: lets a test act "during" a DoEvents.
  std::function<void()> onPoll;
  // The next wait first keeps the thread this long in a loop of the window system's own (a
  // window held by its caption), running the pulse whenever it is due.
  Micros holdFor = 0;

 private:
  class Win;
  void push(const InputEvent& ev);
  std::map<WindowId, Window*> windows_;  // owned by the core's desktop
  Pulse* pulse_ = nullptr;
};

}  // namespace kh
