#pragma once
// Fonts, colours and brushes of the widget layer. Sizes are pixels at 96
// dots per inch and are never scaled (the manifest declares no DPI
// awareness, and the layout is drawn in design pixels).
#include <windows.h>

#include <string>

namespace ui {

namespace color {
inline constexpr COLORREF kGray = RGB(128, 128, 128);
inline constexpr COLORREF kHeaderBlue = RGB(133, 155, 222);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kHoverOrange = RGB(255, 153, 0);
}  // namespace color

// A font as the layout describes it: face, character height in pixels
// (9 pt = 12 px, 12 pt = 16 px), weight, underline, character set, and the
// colour its text is drawn in.
struct Font {
  std::wstring face = L"宋体";
  int pixelHeight = 12;
  bool bold = false;
  bool underline = false;
  BYTE charset = GB2312_CHARSET;
  COLORREF color = color::kGray;

  Font& Face(std::wstring f) { face = std::move(f); return *this; }
  Font& Height(int px) { pixelHeight = px; return *this; }
  Font& Bold(bool b = true) { bold = b; return *this; }
  Font& Underline(bool u = true) { underline = u; return *this; }
  Font& Charset(BYTE c) { charset = c; return *this; }
  Font& Color(COLORREF c) { color = c; return *this; }

  bool operator==(const Font&) const = default;
};

// The GDI font for `font` (its colour aside): created once per process and
// kept until the process ends, so windows may hold it without owning it.
HFONT FontHandle(const Font& font);

// A solid brush of `c`, created once per process and kept likewise.
HBRUSH SolidBrush(COLORREF c);

}  // namespace ui
