#include "ui/page_control.h"

#include <stdexcept>

#include "ui/form.h"

namespace ui {

void Page::ParentShown() {
  if (OnShow) OnShow();
  Control::ParentShown();
}

void PageControl::Create(Control& parent, int id, const Rect& r) {
  RegisterOwnClass(L"TPageControl");
  CreateHandle(&parent, {.className = L"TPageControl",
                         .ownClass = true,
                         .style = WS_VISIBLE | WS_CLIPCHILDREN,
                         .rect = r,
                         .id = id});
}

void PageControl::AddPage(Page& page, int id, std::string_view tabCaption, const Font& font) {
  RegisterOwnClass(L"TTabSheet");
  const Rect whole{0, 0, Width(), Height()};
  page.SetFont(font);
  const bool first = pages_.empty();
  page.CreateHandle(this, {.className = L"TTabSheet",
                           .ownClass = true,
                           .style = static_cast<DWORD>(WS_CLIPCHILDREN | (first ? WS_VISIBLE : 0)),
                           .rect = whole,
                           .id = id,
                           .text = tabCaption});
  pages_.push_back(&page);
  if (first) active_ = 0;
}

void PageControl::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) throw std::out_of_range("ui: no such page");
  if (index == active_) return;
  Page* old = active_ >= 0 ? pages_[static_cast<size_t>(active_)] : nullptr;
  Page* now = pages_[static_cast<size_t>(index)];
  const bool focusWasOnOld = old && IsChild(old->Handle(), GetFocus());
  if (old) old->Hide();
  now->Show();
  active_ = index;
  if (IsWindowVisible(Handle())) now->ParentShown();
  if (focusWasOnOld) {
    Control* root = this;
    while (root->Parent()) root = root->Parent();
    if (auto* form = dynamic_cast<Form*>(root)) form->SelectFirst();
  }
}

}  // namespace ui
