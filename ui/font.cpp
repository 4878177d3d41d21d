#include "ui/font.h"

#include <map>
#include <tuple>

#include "win/handles.h"

namespace ui {

HFONT FontHandle(const Font& font) {
  using Key = std::tuple<std::wstring, int, bool, bool, BYTE>;
  static std::map<Key, win::UniqueGdiObject> cache;
  const Key key{font.face, font.pixelHeight, font.bold, font.underline, font.charset};
  auto it = cache.find(key);
  if (it == cache.end()) {
    // A negative height asks for the character height, not the cell height.
    HFONT h = CreateFontW(-font.pixelHeight, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                          font.underline, FALSE, font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
    it = cache.emplace(key, win::UniqueGdiObject(h)).first;
  }
  return static_cast<HFONT>(it->second.get());
}

HBRUSH SolidBrush(COLORREF c) {
  static std::map<COLORREF, win::UniqueGdiObject> cache;
  auto it = cache.find(c);
  if (it == cache.end()) it = cache.emplace(c, win::UniqueGdiObject(CreateSolidBrush(c))).first;
  return static_cast<HBRUSH>(it->second.get());
}

}  // namespace ui
