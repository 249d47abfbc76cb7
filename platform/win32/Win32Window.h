#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "Platform.h"
#include "Viewport.h"
#include "WindowClass.h"

namespace kh::win32 {

// What the windows need from user32 beyond Windows 7: found at run time, absent on older systems.
struct DpiFunctions {
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  using DpiForWindow = UINT(WINAPI*)(HWND);
  AdjustForDpi adjustWindowRectExForDpi = nullptr;
  DpiForWindow getDpiForWindow = nullptr;
  static DpiFunctions load();  // and makes the process aware of each monitor's DPI
};

// A memory device context holding a 32-bit top-down DIB section: the window's pixels as
// the screen shows them, 0x00RRGGBB like our own.
class Dib {
 public:
  Dib() = default;
  Dib(int width, int height);
  ~Dib();
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  HDC dc() const { return dc_; }
  void* bits() const { return bits_; }
  int width() const { return w_; }
  int height() const { return h_; }
  int pitch() const { return w_ * 4; }
  explicit operator bool() const { return bits_ != nullptr; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int w_ = 0, h_ = 0;
};

// One top-level window: its frame, its picture enlarged by a whole scale into a DIB that
// GDI copies to the screen, and full screen when asked. Only what a window does: which
// scale, which window goes to the full screen and when is the backend's choice.
class Win32Window {
 public:
  // `handler` answers the window's messages from its creation on.
  Win32Window(const WindowClass& windowClass, const WindowOptions& opts, int scale, const DpiFunctions& dpi,
              MessageHandler& handler);
  ~Win32Window();
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool titled() const { return titled_; }
  int pictureHeight() const { return pictureH_; }
  // The height a frame with or without title bar adds to a window's client area.
  static int decorationHeight(bool titled);

  void setVisible(bool shown);
  bool visible() const;
  void activate();  // to the front, with the keyboard
  void setScale(int scale);
  void setFullscreen(bool on);
  bool fullscreen() const { return fullscreen_; }
  Rect frame() const;  // as a window, also while on the full screen
  void moveFrame(int left, int top);

  void present(const Surface& client, const Rect& dirty);
  void paint();                // WM_PAINT: the last picture again
  void resized();              // WM_SIZE: everything again at the new size
  void dpiChanged(const RECT& suggested);
  Viewport view() const;  // how the picture lies on the client area as it is now

 private:
  SIZE outerSize(int clientW, int clientH) const;
  void show(const std::optional<Rect>& dirty);

  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  const DpiFunctions& dpi_;
  bool titled_ = true;
  bool centred_ = false;
  DWORD style_ = 0, exStyle_ = 0;
  int pictureW_ = 0, pictureH_ = 0, scale_ = 1;
  bool fullscreen_ = false;
  RECT windowed_{};
  std::unique_ptr<Dib> dib_;
  const Surface* client_ = nullptr;
};

}  // namespace kh::win32
