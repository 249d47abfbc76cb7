#include "Win32Text.h"

#include <cmath>
#include <cwctype>

#include "Report.h"
#include "Win32Util.h"

namespace kh::win32 {

namespace {

constexpr const wchar_t* kOwnFamily = L"Lato Black";

bool sameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}


}  // namespace

Win32Text::Win32Text() : dc_(CreateCompatibleDC(nullptr)) {}

Win32Text::~Win32Text() {
  for (auto& [key, f] : fonts_)
    if (f) DeleteObject(f);
  if (dc_) DeleteDC(dc_);
  if (ownFont_) RemoveFontMemResourceEx(ownFont_);
}

HFONT Win32Text::create(const std::wstring& family, int pixels, int weight) {
  return CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family.c_str());
}

bool Win32Text::registerOwnFont() {
  if (ownFontTried_) return ownFont_ != nullptr;
  ownFontTried_ = true;
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(self, L"KH_FONT", MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL data = res ? LoadResource(self, res) : nullptr;
  void* bytes = data ? LockResource(data) : nullptr;
  DWORD count = 0;
  if (bytes) ownFont_ = AddFontMemResourceEx(bytes, SizeofResource(self, res), nullptr, &count);
  return ownFont_ != nullptr;
}

HFONT Win32Text::font(const FontSpec& want) {
  const std::wstring family = widen(want.family);
  const int pixels = int(std::lround(want.points * 96.0 / 72.0));
  auto& f = fonts_[{family, {pixels, want.weight}}];
  if (f) return f;
  f = create(family, pixels, want.weight);
  // GDI always gives some font; only the one asked for, by name, will do.
  wchar_t face[LF_FACESIZE] = {};
  HGDIOBJ old = SelectObject(dc_, f);
  GetTextFaceW(dc_, LF_FACESIZE, face);
  SelectObject(dc_, old);
  if (sameName(face, family)) return f;
  if (registerOwnFont()) {
    DeleteObject(f);
    f = create(kOwnFamily, pixels, want.weight);
  } else if (!warned_) {
    warned_ = true;
    reportProblem("no font \"" + narrow(family) + "\" and none built in; labels use \"" + narrow(face) + "\"");
  }
  return f;
}

TextBitmap Win32Text::render(const FontSpec& want, std::string_view utf8) {
  TextBitmap out;
  if (!dc_ || utf8.empty()) return out;
  const std::wstring text = widen(utf8);
  HFONT f = font(want);
  HGDIOBJ oldFont = SelectObject(dc_, f);
  SIZE size{};
  GetTextExtentPoint32W(dc_, text.c_str(), int(text.size()), &size);
  if (size.cx <= 0 || size.cy <= 0) {
    SelectObject(dc_, oldFont);
    return out;
  }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size.cx;
  bi.bmiHeader.biHeight = -size.cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ oldBitmap = SelectObject(dc_, bitmap);
    // White on black: the green channel is the coverage, in grey, never in colour fringes.
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(255, 255, 255));
    TextOutW(dc_, 0, 0, text.c_str(), int(text.size()));
    GdiFlush();
    out.width = size.cx;
    out.height = size.cy;
    out.coverage.resize(std::size_t(size.cx) * std::size_t(size.cy));
    const auto* px = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < out.coverage.size(); ++i) out.coverage[i] = std::uint8_t(px[i] >> 8);
    SelectObject(dc_, oldBitmap);
  }
  if (bitmap) DeleteObject(bitmap);
  SelectObject(dc_, oldFont);
  return out;
}

}  // namespace kh::win32
