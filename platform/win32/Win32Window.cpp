#include "Win32Window.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "Win32Util.h"

namespace kh::win32 {

// Where Windows' pen and touch service looks for what a window wants of it.
constexpr const wchar_t* kPenServiceProperty = L"MicrosoftTabletPenServiceProperty";

DpiFunctions DpiFunctions::load() {
  DpiFunctions f;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return f;
  // The manifest asks for the same; this covers a program started without it.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))) {
    set(reinterpret_cast<HANDLE>(-4));  // per monitor, version 2
  } else {
    SetProcessDPIAware();
  }
  f.adjustWindowRectExForDpi =
      reinterpret_cast<AdjustForDpi>(reinterpret_cast<void*>(GetProcAddress(user32, "AdjustWindowRectExForDpi")));
  f.getDpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  return f;
}

Dib::Dib(int width, int height) : w_(width), h_(height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down, like our rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (!dc_ || !bitmap_ || !bits_) {
    const DWORD err = GetLastError();
    this->~Dib();
    throw std::runtime_error("cannot make a picture for a window: " + errorText(err));
  }
  old_ = SelectObject(dc_, bitmap_);
  std::memset(bits_, 0, std::size_t(width) * std::size_t(height) * 4);
}

Dib::~Dib() {
  if (dc_ && old_) SelectObject(dc_, old_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  bits_ = nullptr;
}

namespace {

// The window icon from the game's own picture, its transparent colour see-through.
HICON makeIcon(const Surface& s, Pixel transparent) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = s.width();
  bi.bmiHeader.biHeight = -s.height();
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < s.pixels().size(); ++i)
    out[i] = s.pixels()[i] == transparent ? 0u : (0xff000000u | s.pixels()[i]);
  const std::vector<std::uint8_t> zeros(std::size_t((s.width() + 15) / 16 * 2) * std::size_t(s.height()), 0);
  HBITMAP mask = CreateBitmap(s.width(), s.height(), 1, 1, zeros.data());
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
  if (mask) DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

}  // namespace

Win32Window::Win32Window(const WindowClass& windowClass, std::vector<Win32Window*>& windows, WindowId id,
                         const WindowOptions& opts, int scale, const DpiFunctions& dpi, MessageHandler& handler)
    : windows_(windows),
      id_(id),
      dpi_(dpi),
      centred_(opts.centred),
      pictureW_(opts.clientWidth),
      pictureH_(opts.clientHeight),
      scale_(scale) {
  // The play window: a fixed single border, a caption and the control menu alone. The title
  // window: a dialog border and nothing else, kept off the taskbar.
  style_ = opts.titleBar ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU) : (WS_POPUP | WS_DLGFRAME);
  exStyle_ = opts.skipTaskbar ? WS_EX_TOOLWINDOW : 0;
  const SIZE outer = outerSize(pictureW_ * scale_, pictureH_ * scale_);
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (centred_) {
    x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
  }
  hwnd_ = CreateWindowExW(exStyle_, windowClass.name(), widen(opts.caption).c_str(), style_, x, y, outer.cx, outer.cy,
                          nullptr, nullptr, GetModuleHandleW(nullptr), &handler);
  if (!hwnd_) throw std::runtime_error("cannot create a window: " + errorText(GetLastError()));
  windows_.push_back(this);
  // On another monitor's DPI the frame differs: size it again for the one it is on.
  const SIZE fitted = outerSize(pictureW_ * scale_, pictureH_ * scale_);
  if (fitted.cx != outer.cx || fitted.cy != outer.cy)
    SetWindowPos(hwnd_, nullptr, 0, 0, fitted.cx, fitted.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A finger held still steers the game rather than becoming a right click, and a quick
  // stroke is not a flick (press and hold, flicks off).
  SetPropW(hwnd_, kPenServiceProperty, reinterpret_cast<HANDLE>(std::uintptr_t(0x00000001 | 0x00010000)));
  if (opts.icon && !opts.icon->empty() && (icon_ = makeIcon(*opts.icon, opts.iconTransparent))) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  }
}

Win32Window::~Win32Window() {
  // Its last messages are Windows' own.
  std::erase(windows_, this);
  if (hwnd_) RemovePropW(hwnd_, kPenServiceProperty);
  if (hwnd_) DestroyWindow(hwnd_);
  if (icon_) DestroyIcon(icon_);
}

SIZE Win32Window::outerSize(int clientW, int clientH) const {
  RECT r{0, 0, clientW, clientH};
  if (dpi_.adjustWindowRectExForDpi && dpi_.getDpiForWindow && hwnd_)
    dpi_.adjustWindowRectExForDpi(&r, style_, FALSE, exStyle_, dpi_.getDpiForWindow(hwnd_));
  else
    AdjustWindowRectEx(&r, style_, FALSE, exStyle_);
  return {r.right - r.left, r.bottom - r.top};
}

void Win32Window::show(bool shown) {
  if (!shown) {
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
  UpdateWindow(hwnd_);
}

void Win32Window::setScale(int scale) {
  scale_ = scale;
  if (fullscreen_) return;
  const SIZE outer = outerSize(pictureW_ * scale_, pictureH_ * scale_);
  // A centred window stays centred by its outer frame.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, outer.cx, outer.cy, (centred_ ? 0 : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::setFullscreen(bool on) {
  if (on == fullscreen_) return;
  if (on) {
    GetWindowRect(hwnd_, &windowed_);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& m = mi.rcMonitor;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, LONG_PTR((style_ & ~(WS_CAPTION | WS_BORDER | WS_DLGFRAME)) | WS_POPUP) |
                                            (IsWindowVisible(hwnd_) ? WS_VISIBLE : 0));
    fullscreen_ = true;
    SetWindowPos(hwnd_, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
  } else {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, LONG_PTR(style_) | (IsWindowVisible(hwnd_) ? WS_VISIBLE : 0));
    fullscreen_ = false;
    const SIZE outer = outerSize(pictureW_ * scale_, pictureH_ * scale_);
    SetWindowPos(hwnd_, nullptr, windowed_.left, windowed_.top, outer.cx, outer.cy,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
  }
  resized();
}

Rect Win32Window::frame() {
  if (fullscreen_) return {windowed_.left, windowed_.top, windowed_.right - windowed_.left, windowed_.bottom - windowed_.top};
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Window::moveFrame(int left, int top) {
  if (fullscreen_) {
    // Where it goes when it is a window again.
    OffsetRect(&windowed_, left - windowed_.left, top - windowed_.top);
    return;
  }
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Viewport Win32Window::view() {
  RECT c{};
  GetClientRect(hwnd_, &c);
  return Viewport::fit(pictureW_, pictureH_, c.right - c.left, c.bottom - c.top);
}

void Win32Window::present(const Surface& client, const Rect& dirty) {
  client_ = &client;
  draw(dirty);
}

void Win32Window::resized() {
  if (client_) draw(std::nullopt);
  else InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::draw(const std::optional<Rect>& dirty) {
  RECT c{};
  GetClientRect(hwnd_, &c);
  const int cw = c.right - c.left, ch = c.bottom - c.top;
  if (cw <= 0 || ch <= 0 || !client_) return;
  bool whole = !dirty;
  if (!dib_ || dib_->width() != cw || dib_->height() != ch) {
    dib_ = std::make_unique<Dib>(cw, ch);
    whole = true;
  }
  const Viewport v = Viewport::fit(pictureW_, pictureH_, cw, ch);
  if (whole) std::memset(dib_->bits(), 0, std::size_t(cw) * std::size_t(ch) * 4);
  const Rect r = v.shown(whole ? Rect{0, 0, client_->width(), client_->height()} : *dirty);
  if (r.w <= 0 || r.h <= 0) return;
  blitScaled(*client_, r, r.x, r.y, v, dib_->bits(), dib_->pitch());
  if (!IsWindowVisible(hwnd_)) return;
  const Rect d = whole ? Rect{0, 0, cw, ch} : v.toDevice(r);
  if (HDC dc = GetDC(hwnd_)) {
    BitBlt(dc, d.x, d.y, d.w, d.h, dib_->dc(), d.x, d.y, SRCCOPY);
    ReleaseDC(hwnd_, dc);
  }
}

void Win32Window::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (dc) {
    const RECT& p = ps.rcPaint;
    if (dib_) BitBlt(dc, p.left, p.top, p.right - p.left, p.bottom - p.top, dib_->dc(), p.left, p.top, SRCCOPY);
    else FillRect(dc, &p, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  EndPaint(hwnd_, &ps);
}

void Win32Window::dpiChanged(const RECT& suggested) {
  if (fullscreen_) return;
  // The same pixels at any DPI: only the frame around them changes.
  const SIZE outer = outerSize(pictureW_ * scale_, pictureH_ * scale_);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kh::win32
