#include "Win32Backend.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <stdexcept>

#include "MessagePump.h"
#include "MessageTranslation.h"
#include "SoundPlayer.h"
#include "Viewport.h"
#include "WaveOutput.h"
#include "Win32SoundFiles.h"
#include "Win32Text.h"
#include "Win32Window.h"
#include "WindowClass.h"

namespace kh {

using namespace win32;

namespace {

int shiftState() {
  return ((GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0) | ((GetKeyState(VK_CONTROL) & 0x8000) ? 2 : 0) |
         ((GetKeyState(VK_MENU) & 0x8000) ? 4 : 0);
}

}  // namespace

struct Win32Backend::Impl final : MessageHandler {
  Win32Options options;
  DpiFunctions dpi = DpiFunctions::load();
  MessagePump pump;
  WindowClass windowClass;
  wchar_t highSurrogate = 0;
  Win32Text text;
  std::unique_ptr<WaveOutput> output;
  std::unique_ptr<Win32SoundFiles> files;
  std::unique_ptr<SoundPlayer> audio;

  // The game's windows and how they are shown, all in one place: one scale for all, the
  // player's choice of full screen for the play window (for the whole run), the pointer.
  std::map<WindowId, std::unique_ptr<Win32Window>> windows;
  WindowId next = 1;
  int scale = 1;
  bool fullscreen = false;
  Cursor cursor = Cursor::Arrow;
  HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  HCURSOR cross = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS

  WindowId create(const WindowOptions& opts, int screenHeight) {
    if (options.scale <= 0) {
      // The largest scale at which every window of the program fits comfortably.
      const int s = suggestedScale(opts.clientHeight, Win32Window::decorationHeight(opts.titleBar), screenHeight);
      if (windows.empty() || s < scale) {
        scale = s;
        for (auto& [id, w] : windows) w->setScale(s);
      }
    }
    auto w = std::make_unique<Win32Window>(windowClass, opts, scale, dpi, *this);
    const WindowId id = next++;
    windows.emplace(id, std::move(w));
    return id;
  }
  void show(Win32Window& w) {
    w.setVisible(true);
    if (w.titled()) w.setFullscreen(fullscreen);
    w.activate();
  }
  void toggleFullscreen() {
    fullscreen = !fullscreen;
    for (auto& [id, w] : windows)
      if (w->titled() && w->visible()) w->setFullscreen(fullscreen);
  }
  HCURSOR shape() const { return cursor == Cursor::Cross ? cross : arrow; }
  std::pair<WindowId, Win32Window*> byHandle(HWND h) {
    for (auto& [id, win] : windows)
      if (win->hwnd() == h) return {id, win.get()};
    return {0, nullptr};
  }
  Win32Window& at(WindowId id) {
    auto it = windows.find(id);
    if (it == windows.end()) throw std::logic_error("no such window");
    return *it->second;
  }

  bool handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result) override;
};

// The window procedure: the window's own upkeep here, input through translateMessage.
bool Win32Backend::Impl::handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result) {
  auto [id, win] = byHandle(h);
  if (!win) return false;
  switch (m) {
    case WM_PAINT:
      win->paint();
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_SIZE:
      win->resized();
      return true;
    case WM_SETCURSOR:
      if (LOWORD(l) != HTCLIENT) return false;
      SetCursor(shape());
      result = TRUE;
      return true;
    case 0x02E0:  // WM_DPICHANGED
      win->dpiChanged(*reinterpret_cast<const RECT*>(l));
      return true;
    default: break;
  }
  const Translated t = translateMessage(m, w, l, {id, win->titled(), win->view(), shiftState(), highSurrogate});
  highSurrogate = t.highSurrogate;
  if (t.capture == Translated::Capture::Take) SetCapture(h);
  if (t.capture == Translated::Capture::Release) ReleaseCapture();
  if (t.toggleFullscreen) toggleFullscreen();
  if (t.event) pump.post(*t.event);
  return t.handled;
}

Win32Backend::Win32Backend(Win32Options options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  if (impl_->options.scale > 0) impl_->scale = std::clamp(impl_->options.scale, 1, kMaxScale);
}

Win32Backend::~Win32Backend() {
  impl_->audio.reset();
  impl_->output.reset();
  // One at a time, the last first: a window's last messages may look for the others.
  while (!impl_->windows.empty()) impl_->windows.erase(std::prev(impl_->windows.end()));
}

int Win32Backend::scale() const { return impl_->scale; }

WindowId Win32Backend::createWindow(const WindowOptions& opts) { return impl_->create(opts, screenHeight()); }

void Win32Backend::destroyWindow(WindowId id) { impl_->windows.erase(id); }

void Win32Backend::showWindow(WindowId id, bool shown) {
  Win32Window& w = impl_->at(id);
  if (shown) impl_->show(w);
  else w.setVisible(false);
}

Rect Win32Backend::windowFrame(WindowId id) { return impl_->at(id).frame(); }

void Win32Backend::moveWindowFrame(WindowId id, int left, int top) { impl_->at(id).moveFrame(left, top); }

int Win32Backend::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32Backend::screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void Win32Backend::present(WindowId id, const Surface& client, const Rect& dirty) {
  impl_->at(id).present(client, dirty);
}

void Win32Backend::setCursor(Cursor c) {
  if (c == impl_->cursor) return;
  impl_->cursor = c;
  SetCursor(impl_->shape());
}

TextBitmap Win32Backend::renderText(const FontSpec& font, std::string_view utf8) { return impl_->text.render(font, utf8); }

Micros Win32Backend::now() { return impl_->pump.now(); }

bool Win32Backend::waitEvent(InputEvent& ev, Micros deadline) { return impl_->pump.wait(ev, deadline); }

bool Win32Backend::pollEvent(InputEvent& ev) { return impl_->pump.poll(ev); }

std::uint64_t Win32Backend::randomSeed() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return (std::uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) ^ std::uint64_t(c.QuadPart) ^
         (std::uint64_t(GetCurrentProcessId()) << 48);
}

MciDevice& Win32Backend::mci() {
  // Made when the game first talks to the player, while the play window loads.
  if (!impl_->audio) {
    impl_->output = std::make_unique<WaveOutput>();
    impl_->files = std::make_unique<Win32SoundFiles>(impl_->options.soundFolders);
    impl_->audio = std::make_unique<SoundPlayer>(*impl_->output, *impl_->files);
  }
  return *impl_->audio;
}

}  // namespace kh
