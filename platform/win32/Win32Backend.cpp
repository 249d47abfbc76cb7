#include "Win32Backend.h"

#include <windows.h>
#include <windowsx.h>
#include <mmsystem.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <map>
#include <stdexcept>

#include "Report.h"
#include "SoundPlayer.h"
#include "Viewport.h"
#include "WaveOutput.h"
#include "Win32Files.h"
#include "Win32Text.h"
#include "Win32Util.h"
#include "Win32Window.h"

namespace kh {

using namespace win32;

namespace {

constexpr const wchar_t* kWindowClass = L"KnuffelhatzWindow";

// The system timer at 1 ms while the game runs, so waits end when they should; Windows
// otherwise wakes a thread on its 15.6 ms tick.
struct FineTimerPeriod {
  bool on = timeBeginPeriod(1) == TIMERR_NOERROR;
  FineTimerPeriod() = default;
  FineTimerPeriod(const FineTimerPeriod&) = delete;
  FineTimerPeriod& operator=(const FineTimerPeriod&) = delete;
  ~FineTimerPeriod() {
    if (on) timeEndPeriod(1);
  }
};

// The window class, registered for as long as the backend lives.
struct WindowClass {
  ATOM atom = 0;
  explicit WindowClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kWindowClass;
    atom = RegisterClassExW(&wc);
    if (!atom) throw std::runtime_error("cannot register the window class: " + errorText(GetLastError()));
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ~WindowClass() { UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr)); }
};

Handle makeWaitTimer() {
  // High resolution where Windows has it (10 1803 on), else an ordinary one helped by the
  // 1 ms period.
  constexpr DWORD kHighResolution = 0x00000002;
  if (HANDLE h = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS)) return Handle(h);
  return Handle(CreateWaitableTimerW(nullptr, TRUE, nullptr));
}

int shiftState() {
  return ((GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0) | ((GetKeyState(VK_CONTROL) & 0x8000) ? 2 : 0) |
         ((GetKeyState(VK_MENU) & 0x8000) ? 4 : 0);
}

int buttonsOf(WPARAM w) {
  return ((w & MK_LBUTTON) ? 1 : 0) | ((w & MK_RBUTTON) ? 2 : 0) | ((w & MK_MBUTTON) ? 4 : 0);
}

}  // namespace

struct Win32Backend::Impl {
  Win32Options options;
  DpiFunctions dpi = DpiFunctions::load();
  FineTimerPeriod period;
  WindowClass windowClass{&Impl::windowProc};
  Handle waitTimer = makeWaitTimer();
  LARGE_INTEGER frequency{};
  std::map<WindowId, std::unique_ptr<Win32Window>> windows;
  WindowId next = 1;
  int scale = 1;
  bool fullscreen = false;  // the player's choice for the play window, for the whole run
  Cursor cursor = Cursor::Arrow;
  HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  HCURSOR cross = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
  std::deque<InputEvent> queue;
  wchar_t highSurrogate = 0;
  Win32Text text;
  std::unique_ptr<WaveOutput> output;
  std::unique_ptr<Win32SoundFiles> files;
  std::unique_ptr<SoundPlayer> audio;

  static LRESULT CALLBACK windowProc(HWND h, UINT m, WPARAM w, LPARAM l);
  bool handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result);
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
  void pump();
  void toggleFullscreen();
  Micros now() const {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    const auto f = frequency.QuadPart;
    return Micros((c.QuadPart / f) * 1000000 + ((c.QuadPart % f) * 1000000) / f);
  }
};

LRESULT CALLBACK Win32Backend::Impl::windowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE)
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  if (auto* impl = reinterpret_cast<Impl*>(GetWindowLongPtrW(h, GWLP_USERDATA))) {
    LRESULT result = 0;
    if (impl->handle(h, m, w, l, result)) return result;
  }
  return DefWindowProcW(h, m, w, l);
}

// Turns window messages into input events for the game's loop; nothing of the game runs in
// here, so a message that arrives inside a nested wait is simply queued.
bool Win32Backend::Impl::handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result) {
  auto [id, win] = byHandle(h);
  if (!win) return false;
  InputEvent ev;
  ev.window = id;
  auto mouse = [&](InputEvent::Type type, int button) {
    ev.type = type;
    win->toClient(GET_X_LPARAM(l), GET_Y_LPARAM(l), ev.x, ev.y);
    ev.button = button;
    ev.shift = shiftState();
    queue.push_back(ev);
    return true;
  };
  switch (m) {
    case WM_MOUSEMOVE: return mouse(InputEvent::Type::MouseMove, buttonsOf(w));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      // Like any control, the window keeps the mouse until the button is let go.
      SetCapture(h);
      return mouse(InputEvent::Type::MouseDown, m <= WM_LBUTTONDBLCLK ? 1 : m <= WM_RBUTTONDBLCLK ? 2 : 4);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
      return mouse(InputEvent::Type::MouseUp, m == WM_LBUTTONUP ? 1 : m == WM_RBUTTONUP ? 2 : 4);
    case WM_CHAR: {
      const auto c = wchar_t(w);
      if (c >= 0xd800 && c < 0xdc00) {
        highSurrogate = c;
        return true;
      }
      ev.type = InputEvent::Type::KeyChar;
      ev.key = c >= 0xdc00 && c < 0xe000 && highSurrogate ? 0x10000 + ((highSurrogate - 0xd800) << 10) + (c - 0xdc00) : c;
      highSurrogate = 0;
      queue.push_back(ev);
      return true;
    }
    case WM_KEYDOWN:
      if (w == VK_F11) {
        if (win->titled() && !(l & (1 << 30))) toggleFullscreen();
        return true;
      }
      return false;
    case WM_SYSKEYDOWN:
      if (w == VK_RETURN) {  // Alt+Enter
        if (win->titled() && !(l & (1 << 30))) toggleFullscreen();
        return true;
      }
      return false;
    case WM_SYSCHAR:
      return w == VK_RETURN;  // no beep for Alt+Enter
    case WM_CLOSE:
      ev.type = InputEvent::Type::Close;
      queue.push_back(ev);
      return true;
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
      SetCursor(cursor == Cursor::Cross ? cross : arrow);
      result = TRUE;
      return true;
    case 0x02E0:  // WM_DPICHANGED
      win->dpiChanged(*reinterpret_cast<const RECT*>(l));
      return true;
    default: return false;
  }
}

void Win32Backend::Impl::pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      InputEvent ev;
      ev.type = InputEvent::Type::Quit;
      queue.push_back(ev);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32Backend::Impl::toggleFullscreen() {
  fullscreen = !fullscreen;
  for (auto& [id, w] : windows)
    if (w->titled() && IsWindowVisible(w->hwnd())) w->setFullscreen(fullscreen);
}

Win32Backend::Win32Backend(Win32Options options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  if (impl_->options.scale > 0) impl_->scale = std::clamp(impl_->options.scale, 1, kMaxScale);
  QueryPerformanceFrequency(&impl_->frequency);
  if (!impl_->waitTimer) throw std::runtime_error("cannot make a timer: " + errorText(GetLastError()));
}

Win32Backend::~Win32Backend() {
  impl_->audio.reset();
  impl_->output.reset();
  impl_->windows.clear();
}

int Win32Backend::scale() const { return impl_->scale; }

WindowId Win32Backend::createWindow(const WindowOptions& opts) {
  if (impl_->options.scale <= 0) {
    // The largest scale at which every window of the program fits comfortably.
    const int decoration = opts.titleBar ? GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME) : 0;
    const int s = suggestedScale(opts.clientHeight, decoration, screenHeight());
    if (impl_->windows.empty() || s < impl_->scale) {
      impl_->scale = s;
      for (auto& [id, w] : impl_->windows) w->setScale(s);
    }
  }
  auto w = std::make_unique<Win32Window>(kWindowClass, opts, impl_->scale, impl_->dpi, impl_.get());
  const WindowId id = impl_->next++;
  impl_->windows.emplace(id, std::move(w));
  return id;
}

void Win32Backend::destroyWindow(WindowId id) { impl_->windows.erase(id); }

void Win32Backend::showWindow(WindowId id, bool shown) {
  Win32Window& w = impl_->at(id);
  if (!shown) {
    ShowWindow(w.hwnd(), SW_HIDE);
    return;
  }
  ShowWindow(w.hwnd(), SW_SHOW);
  if (w.titled()) w.setFullscreen(impl_->fullscreen);
  SetForegroundWindow(w.hwnd());
  SetFocus(w.hwnd());
  UpdateWindow(w.hwnd());
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
  SetCursor(c == Cursor::Cross ? impl_->cross : impl_->arrow);
}

TextBitmap Win32Backend::renderText(const FontSpec& font, std::string_view utf8) { return impl_->text.render(font, utf8); }

Micros Win32Backend::now() { return impl_->now(); }

bool Win32Backend::waitEvent(InputEvent& ev, Micros deadline) {
  for (;;) {
    if (pollEvent(ev)) return true;
    const Micros t = now();
    if (t >= deadline) return false;
    DWORD count = 0;
    HANDLE timer = impl_->waitTimer.get();
    if (deadline != INT64_MAX) {
      LARGE_INTEGER due;
      due.QuadPart = -std::min<Micros>(deadline - t, INT64_MAX / 20) * 10;  // relative, in 100 ns
      if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) count = 1;
    }
    const DWORD ms = count ? INFINITE : deadline == INT64_MAX ? INFINITE : DWORD(std::min<Micros>((deadline - t + 999) / 1000, INT_MAX));
    MsgWaitForMultipleObjectsEx(count, count ? &timer : nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

bool Win32Backend::pollEvent(InputEvent& ev) {
  if (impl_->queue.empty()) impl_->pump();
  if (impl_->queue.empty()) return false;
  ev = impl_->queue.front();
  impl_->queue.pop_front();
  return true;
}

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
