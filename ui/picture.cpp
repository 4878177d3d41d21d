#include "ui/picture.h"

#include "ui/image_loading.h"

namespace ui {

void Picture::Create(Control& parent, int id, const Rect& r) {
  RegisterOwnClass(L"TImage");
  CreateHandle(&parent, {.className = L"TImage", .ownClass = true, .style = WS_VISIBLE, .rect = r, .id = id});
}

void Picture::SetBitmap(win::UniqueGdiObject bitmap) {
  bitmap_ = std::move(bitmap);
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void Picture::Paint(HDC dc) { DrawBitmap(dc, bitmap_.get(), 0, 0); }

void DrawBitmap(HDC dc, HGDIOBJ bitmap, int x, int y) {
  if (!bitmap) return;
  const SIZE size = BitmapSize(bitmap);
  win::UniqueMemoryDc source(CreateCompatibleDC(dc));
  win::SelectGuard select(source.get(), bitmap);
  BitBlt(dc, x, y, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
}

}  // namespace ui
