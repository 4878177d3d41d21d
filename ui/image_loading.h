#pragma once
// Pictures for the window: bitmaps from the executable's resources, and
// JPEG data decoded with libjpeg into a 24-bit DIB section.
#include <windows.h>

#include <cstdint>
#include <span>

#include "win/handles.h"

namespace ui {

// The BITMAP resource `id` of the executable, as a DIB section. Throws
// setup::Error when it is missing.
win::UniqueGdiObject LoadBitmapResource(int id);

// The bytes of the RCDATA resource `id` of the executable. Throws
// setup::Error when it is missing.
std::span<const uint8_t> RcDataResource(int id);

// Decodes a JPEG (baseline or progressive, colour or grey) into a 24-bit
// top-down DIB section of the picture's own size. Throws setup::Error with
// libjpeg's reason for data it cannot decode.
win::UniqueGdiObject DecodeJpeg(std::span<const uint8_t> jpeg);

// The size of a bitmap in pixels; {0, 0} for none.
SIZE BitmapSize(HGDIOBJ bitmap);

}  // namespace ui
