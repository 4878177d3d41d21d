#pragma once
// Labels: static texts that size themselves to their text, and the link
// label that opens a web address.
#include <functional>
#include <string>

#include "ui/control.h"

namespace ui {

// A static text in its font's colour on its parent's background (so over
// the header it is transparent). Auto-sized: at creation and whenever its
// text or font changes, a plain label takes the size of its text and a
// wrapping label keeps its width and takes the height of its text broken
// into lines at that width. The size given at creation is the design's and
// is replaced by the measured one (the design measured with the design
// fonts, which the machine may draw a little differently). Sizes set later
// (SetWidth, SetHeight) hold until the text changes again.
class Label : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r, std::string_view text, bool wrap = false);
  // Off (before Create): the label keeps the size it is given.
  void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }
  // Sizes the label to its text as described above.
  void AdjustSize();

 protected:
  void CreateLabel(Control& parent, int id, const Rect& r, std::string_view text, bool wrap, DWORD extraStyle);
  void TextChanged() override;
  void FontChanged() override;

 private:
  bool wrap_ = false;
  bool autoSize_ = true;
};

// An underlined label with a hand cursor that opens its address with the
// shell's "open" verb when clicked. Its text is drawn in the current colour:
// the link colour, or the hover colour while the mouse is on it.
class LinkLabel : public Label {
 public:
  // The link colour starts as the font's colour.
  void Create(Control& parent, int id, const Rect& r, std::string_view text);

  void SetUrl(std::string gbk) { url_ = std::move(gbk); }
  const std::string& Url() const { return url_; }
  // Sets the link colour, and the current colour with it at once.
  void SetLinkColor(COLORREF c);
  COLORREF LinkColor() const { return linkColor_; }
  void SetHoverColor(COLORREF c) { hoverColor_ = c; }
  COLORREF CurrentColor() const { return current_; }

  // Opens the address when it is not blank after trimming (the untrimmed
  // address goes to the shell), then runs OnClick.
  void Click() override;
  // How the address is opened; by default ShellExecuteW "open", SW_SHOW.
  // Tests put their own here.
  std::function<void(const std::string& gbkUrl)> OpenUrl;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  COLORREF TextColor() const override { return current_; }

 private:
  void SetCurrentColor(COLORREF c);

  std::string url_;
  COLORREF linkColor_ = color::kBlue;
  COLORREF hoverColor_ = color::kHoverOrange;
  COLORREF current_ = color::kBlue;
  bool hover_ = false;
};

// A text is blank when it holds only bytes up to 0x20 (blanks and control
// characters).
bool IsBlank(std::string_view text);

}  // namespace ui
