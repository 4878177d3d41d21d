#pragma once
// A page control whose tabs are never shown: pages change only by code.
#include <functional>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace ui {

// One page: a container covering its page control. Its window text is its
// (never shown) tab caption.
class Page : public Control {
 public:
  // Runs when the page becomes the visible page: when it is made active
  // while its form is visible, or when its form is shown with it active.
  std::function<void()> OnShow;

 protected:
  void ParentShown() override;

 private:
  friend class PageControl;
};

class PageControl : public Control {
 public:
  void Create(Control& parent, int id, const Rect& r);
  // Adds `page` with its own font; the first page added is the active one.
  void AddPage(Page& page, int id, std::string_view tabCaption, const Font& font);

  int PageCount() const { return static_cast<int>(pages_.size()); }
  Page& PageAt(int index) { return *pages_.at(static_cast<size_t>(index)); }
  int ActivePage() const { return active_; }
  // Hides the active page, shows page `index` and, when the form is
  // visible, runs its OnShow. The active page again does nothing. Throws
  // std::out_of_range for an index that is not a page.
  void SetActivePage(int index);

 private:
  std::vector<Page*> pages_;
  int active_ = -1;
};

}  // namespace ui
