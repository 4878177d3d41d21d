#pragma once
// A picture: a bitmap drawn unscaled from the control's top-left corner and
// clipped to the control; where it does not reach, the parent shows.
#include "ui/control.h"
#include "win/handles.h"

namespace ui {

class Picture : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r);
  void SetBitmap(win::UniqueGdiObject bitmap);
  HGDIOBJ Bitmap() const { return bitmap_.get(); }

 protected:
  void Paint(HDC dc) override;

 private:
  win::UniqueGdiObject bitmap_;
};

// Draws `bitmap` unscaled with its top-left corner at (x, y).
void DrawBitmap(HDC dc, HGDIOBJ bitmap, int x, int y);

}  // namespace ui
