#pragma once
#include <windows.h>

namespace kh::win32 {

// Whoever answers the messages of the windows it is handed to at creation (CreateWindowEx's
// last argument). True when it dealt with the message, `result` then being its answer.
class MessageHandler {
 public:
  virtual bool handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& result) = 0;

 protected:
  ~MessageHandler() = default;
};

// The game's window class, registered for as long as this lives. Its window procedure gives
// each message to the window's MessageHandler, else to Windows.
class WindowClass {
 public:
  WindowClass();
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  const wchar_t* name() const;
};

}  // namespace kh::win32
