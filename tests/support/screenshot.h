#pragma once
// Screenshots: what the screen shows in a rectangle, read back from the
// screen's device context (so other windows lying above are in it too, as
// the user would see them).
#include <windows.h>

#include <string>

#include "png_image.h"

namespace testing_support {

// The screen's pixels in `area` (screen coordinates), clipped to the screen.
// Throws setup::Error when nothing of it is on the screen.
Image CaptureScreen(const RECT& area);
Image CaptureWholeScreen();

// The screen area of `window` (its outer rectangle).
Image CaptureWindow(HWND window);

// Captures `area` until two captures in a row agree (the window has
// finished painting), or `timeout` has passed; returns the last capture.
Image CaptureSettled(const RECT& area, DWORD timeoutMs = 5000);

// Writes `image` as a PNG file.
void SavePng(const Image& image, const std::wstring& path);

}  // namespace testing_support
