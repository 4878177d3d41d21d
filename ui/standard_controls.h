#pragma once
// The plain controls of the layout: panel, bevel, edit box, check box,
// progress bar and the standard push button.
#include "ui/control.h"

namespace ui {

// A filled area with the default raised 1-pixel edge; a container.
class Panel : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r, COLORREF color);
  COLORREF BackgroundColor() const override { return color_; }

 protected:
  void Paint(HDC dc) override;

 private:
  COLORREF color_ = 0;
};

// A lowered box: shadow on its top and left, highlight on its bottom and
// right. Two pixels high it is a horizontal rule.
class Bevel : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r);

 protected:
  void Paint(HDC dc) override;
};

// A single-line edit box with a flat 1-pixel border.
class Edit : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r, std::string_view text);
  COLORREF BackgroundColor() const override { return GetSysColor(COLOR_WINDOW); }
  // While the box has the focus, the first installed input method of this
  // language (e.g. 0x0804, Simplified Chinese) is the keyboard layout; the
  // previous layout comes back when the focus leaves. 0: no preference.
  void SetImeLanguage(LANGID language) { imeLanguage_ = language; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LANGID imeLanguage_ = 0;
  HKL previousLayout_ = nullptr;
};

// A check box with the classic three-dimensional box.
class CheckBox : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r, std::string_view text, bool checked);
  bool Checked() const;
  void SetChecked(bool checked);
};

// A smooth (continuous) progress bar, range 0 to 100, step 1.
class ProgressBar : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r);
  void SetPosition(int position);
  int Position() const;
};

// A standard push button; Enter clicks it while it has the focus.
class Button : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r, std::string_view text);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace ui
