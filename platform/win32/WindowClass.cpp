#include "WindowClass.h"

#include <stdexcept>

#include "Win32Util.h"

namespace kh::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"KnuffelhatzWindow";

LRESULT CALLBACK windowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE)
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  if (auto* handler = reinterpret_cast<MessageHandler*>(GetWindowLongPtrW(h, GWLP_USERDATA))) {
    LRESULT result = 0;
    if (handler->handle(h, m, w, l, result)) return result;
  }
  return DefWindowProcW(h, m, w, l);
}

}  // namespace

WindowClass::WindowClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &windowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) throw std::runtime_error("cannot register the window class: " + errorText(GetLastError()));
}

WindowClass::~WindowClass() { UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr)); }

const wchar_t* WindowClass::name() const { return kWindowClass; }

}  // namespace kh::win32
