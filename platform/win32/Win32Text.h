#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "Platform.h"

namespace kh::win32 {

// Labels through GDI: the font the game names when Windows has it, else the cut-down Lato
// Black the program carries (resource "KH_FONT"), registered for this process only.
class Win32Text {
 public:
  Win32Text();
  ~Win32Text();
  Win32Text(const Win32Text&) = delete;
  Win32Text& operator=(const Win32Text&) = delete;

  TextBitmap render(const FontSpec& font, std::string_view utf8);

 private:
  HFONT font(const FontSpec& want);
  HFONT create(const std::wstring& family, int pixels, int weight);
  bool registerOwnFont();

  HDC dc_ = nullptr;
  HANDLE ownFont_ = nullptr;
  bool ownFontTried_ = false;
  bool warned_ = false;
  std::map<std::pair<std::wstring, std::pair<int, int>>, HFONT> fonts_;
};

}  // namespace kh::win32
