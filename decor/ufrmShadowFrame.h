#pragma once
// The soft light-blue drop shadow of the borderless main window, and the
// window's rounded outline.
//
// The shadow is its own top-level window: layered (per-pixel alpha),
// click-through, never activated, without a taskbar button, placed directly
// below the window it follows (its owner form) in the Z-order. It follows
// by subclassing the owner form's window procedure: every message reaches
// the owner's own handling first, and after a change of the owner's window
// position the shadow moves along, redraws when the size changed, and shows
// or hides itself:
//   shown   while active, attached, and the owner is visible and neither
//           minimised nor maximised;
//   hidden  otherwise. Hiding the owner hides the shadow, showing the owner
//           shows it again; a detached shadow is hidden too.
// The picture itself is made by decor/shadow_pixels.h.
#include <windows.h>

#include <memory>

#include "decor/shadow_pixels.h"

namespace setup {

class TFormShadow {
 public:
  // `ownerOfShadow` becomes the Win32 owner of the shadow's window: the
  // application's hidden top-level window, which also owns the form the
  // shadow follows. It must not be that form itself (the shadow has to stay
  // below it); null gives an unowned shadow window. No window is created
  // until the shadow first needs one.
  explicit TFormShadow(HWND ownerOfShadow);
  TFormShadow(const TFormShadow&) = delete;
  TFormShadow& operator=(const TFormShadow&) = delete;
  // Detaches (the owner form gets its own handling back) and destroys the
  // shadow's window.
  ~TFormShadow();

  // Follows `form` from now on, or nobody when null. Attaching to the
  // current owner form does nothing. The previous owner form gets its own
  // window procedure back. Takes effect at once (RefreshOwner).
  void Attach(HWND form);
  // The shadow draws and shows only while active (initially not). Takes
  // effect at once; setting the current value does nothing.
  void SetActive(bool value);
  // Makes the owner form send itself its position messages again, so that
  // the shadow places, redraws and shows or hides itself now.
  void RefreshOwner();

  bool Active() const { return active_; }
  HWND OwnerForm() const { return ownerForm_; }
  // The shadow's own window; null until first needed.
  HWND Handle() const { return handle_; }
  // The picture last handed to the system (empty before the first drawing).
  const ShadowPixels& Bitmap() const { return bitmap_; }

 private:
  static LRESULT CALLBACK OwnerSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK ShadowWndProc(HWND, UINT, WPARAM, LPARAM);

  LRESULT OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OwnerPosChanging(const WINDOWPOS& pos);
  void OwnerPosChanged(const WINDOWPOS& pos);
  void OwnerDestroyed();
  void RebuildShadow();
  void PresentShadow();
  HWND EnsureHandle();
  void Hide();

  HWND ownerOfShadow_;
  HWND ownerForm_ = nullptr;
  bool subclassed_ = false;
  bool active_ = false;
  bool dirty_ = true;
  HWND handle_ = nullptr;
  ShadowPixels bitmap_;
};

// Gives `window` its rounded outline: the region CreateRoundRectRgn(1, 1,
// width - 1, height - 1, 8, 8) in window coordinates, from the window's
// outer size, applied with redrawing. Cuts one pixel off every side and
// rounds the corners.
void ApplyRoundedOutline(HWND window);

// The last steps of the main window's start-up: a shadow owned by
// `ownerOfShadow`, attached to `mainWindow` and switched on, then the
// rounded outline. The caller (the application object) keeps the shadow
// and destroys it before the main window.
std::unique_ptr<TFormShadow> DecorateMainWindow(HWND ownerOfShadow, HWND mainWindow);

}  // namespace setup
