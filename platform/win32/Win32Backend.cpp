#include "Win32Backend.h"

#include <windows.h>

#include <vector>

#include "MessagePump.h"
#include "MessageTranslation.h"
#include "WaveOutput.h"
#include "Win32SoundFiles.h"
#include "Win32Text.h"
#include "Win32Window.h"
#include "WindowClass.h"

namespace kh {

using namespace win32;

namespace {

int shiftState() {
  return shiftMask(GetKeyState(VK_SHIFT) & 0x8000, GetKeyState(VK_CONTROL) & 0x8000, GetKeyState(VK_MENU) & 0x8000);
}

}  // namespace

struct Win32Backend::Impl final : MessageHandler {
  DpiFunctions dpi = DpiFunctions::load();
  MessagePump pump;
  WindowClass windowClass;
  wchar_t highSurrogate = 0;
  Win32Text text;
  std::vector<Win32Window*> windows;  // the live ones, to find a message's window
  HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  HCURSOR cross = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
  HCURSOR cursor = arrow;

  Win32Window* byHandle(HWND h) const {
    for (Win32Window* w : windows)
      if (w->hwnd() == h) return w;
    return nullptr;
  }

  bool handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result) override;
};

// The window procedure: the window's own upkeep here, input through translateMessage.
bool Win32Backend::Impl::handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result) {
  Win32Window* win = byHandle(h);
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
      SetCursor(cursor);
      result = TRUE;
      return true;
    case 0x02E0:  // WM_DPICHANGED
      win->dpiChanged(*reinterpret_cast<const RECT*>(l));
      return true;
    // Windows' own loops: the window moved (by its caption or the keyboard), a menu, a
    // button of the caption held. Its handling of these two may keep the thread before it
    // says so, or without a word.
    case WM_NCLBUTTONDOWN:
    case WM_SYSCOMMAND:
      pump.hold(h, true);
      result = DefWindowProcW(h, m, w, l);
      pump.hold(h, false);
      return true;
    case WM_ENTERSIZEMOVE:
    case WM_ENTERMENULOOP:
      pump.hold(h, true);
      return false;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
      pump.hold(h, false);
      return false;
    case WM_MOVING:
      pump.heldStep();
      return false;
    case WM_TIMER:
      if (w != MessagePump::kHoldTimer) return false;
      pump.heldTimer();
      return true;
    default: break;
  }
  const Translated t = translateMessage(m, w, l, {win->id(), shiftState(), highSurrogate, GetMessageExtraInfo()});
  highSurrogate = t.highSurrogate;
  if (t.capture == Translated::Capture::Take) SetCapture(h);
  if (t.capture == Translated::Capture::Release) ReleaseCapture();
  if (t.input) pump.post(*t.input);
  return t.handled;
}

Win32Backend::Win32Backend(std::vector<std::wstring> soundFolders)
    : impl_(std::make_unique<Impl>()),
      sound_(std::make_unique<WaveOutput>()),
      files_(std::make_unique<Win32SoundFiles>(std::move(soundFolders))) {}

// The windows are the core's and gone by now.
Win32Backend::~Win32Backend() = default;

std::unique_ptr<DisplayWindow> Win32Backend::create(WindowId id, const WindowOptions& opts, int scale) {
  return std::make_unique<Win32Window>(impl_->windowClass, impl_->windows, id, opts, scale, impl_->dpi, *impl_);
}

int Win32Backend::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32Backend::screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

Micros Win32Backend::refreshPeriod() {
  // The primary display's rate; 0 and 1 stand for the hardware's default.
  HDC screen = GetDC(nullptr);
  const int hz = screen ? GetDeviceCaps(screen, VREFRESH) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return hz > 1 ? 1'000'000 / hz : 16'667;
}

// Windows draws both frames; the scale is chosen, as it always was, by the play window's
// title bar and borders.
WindowSystem::Frame Win32Backend::frameOf(bool titleBar) {
  return {0, titleBar ? GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME) : 0};
}

void Win32Backend::setCursor(Cursor c) {
  impl_->cursor = c == Cursor::Cross ? impl_->cross : impl_->arrow;
  SetCursor(impl_->cursor);
}

TextBitmap Win32Backend::render(const FontSpec& font, std::string_view utf8) { return impl_->text.render(font, utf8); }

Micros Win32Backend::now() { return impl_->pump.now(); }

bool Win32Backend::wait(RawInput& in, Micros deadline) { return impl_->pump.wait(in, deadline); }

bool Win32Backend::poll(RawInput& in) { return impl_->pump.poll(in); }

void Win32Backend::setPulse(Pulse* pulse) { impl_->pump.setPulse(pulse); }

std::uint64_t Win32Backend::randomSeed() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return (std::uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) ^ std::uint64_t(c.QuadPart) ^
         (std::uint64_t(GetCurrentProcessId()) << 48);
}

}  // namespace kh
