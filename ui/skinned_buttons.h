#pragma once
// The skinned push buttons: owner-drawn BUTTONs that draw their own face.
#include "ui/control.h"
#include "win/handles.h"

namespace ui {

// What the two skinned buttons share: owner drawing, a double click that
// counts as a second click (as on a standard button), Enter clicking the
// focused button, and tracking of the mouse over it.
class OwnerDrawnButton : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r, std::string_view text);
  bool Hover() const { return hover_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // Paints the whole button into `dc` (a buffer of the button's size).
  virtual void Draw(HDC dc, const RECT& rc, UINT state) = 0;

 private:
  bool hover_ = false;
};

// A push button in the "BlueGlass" look: rounded, a glassy face of white
// over pale blue, a blue rim; brighter under the mouse, darker when
// pressed, grey when disabled. Corners show the parent's background.
class SkinButton : public OwnerDrawnButton {
 protected:
  void Draw(HDC dc, const RECT& rc, UINT state) override;
};

// A button that is a picture: the normal one, or the hover one while the
// mouse is on it, drawn unscaled in the middle of the button; a hand
// cursor, no focus rectangle.
class PictureButton : public OwnerDrawnButton {
 public:
  void SetPictures(win::UniqueGdiObject normal, win::UniqueGdiObject hover);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Draw(HDC dc, const RECT& rc, UINT state) override;

 private:
  win::UniqueGdiObject normalPicture_;
  win::UniqueGdiObject hoverPicture_;
};

}  // namespace ui
