#include "ui/image_loading.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "base/error.h"

namespace ui {
namespace {

// libjpeg reports errors through a callback that must not return; it jumps
// back to DecodePixels instead of letting the library end the process.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

struct DecodedPixels {
  int width = 0;
  int height = 0;
  size_t stride = 0;          // bytes per row, a multiple of 4 as DIBs want
  std::vector<uint8_t> bgr;   // rows top-down, blue-green-red
};

// Decodes into `out`. Returns false with libjpeg's reason in errors.message.
// No object with a destructor lives in this frame between setjmp and the
// jumps back to it; `out` belongs to the caller.
bool DecodePixels(const uint8_t* data, size_t size, DecodedPixels* out, JpegErrors* errors) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&errors->manager);
  errors->manager.error_exit = OnJpegError;
  errors->manager.output_message = IgnoreJpegMessage;
  if (setjmp(errors->jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGR;  // the byte order of a 24-bit DIB
  jpeg_start_decompress(&info);
  out->width = static_cast<int>(info.output_width);
  out->height = static_cast<int>(info.output_height);
  out->stride = (static_cast<size_t>(info.output_width) * 3 + 3) & ~static_cast<size_t>(3);
  out->bgr.resize(out->stride * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out->bgr.data() + out->stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

HMODULE OwnModule() { return GetModuleHandleW(nullptr); }

}  // namespace

win::UniqueGdiObject LoadBitmapResource(int id) {
  HANDLE bitmap = LoadImageW(OwnModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!bitmap) throw setup::Error("missing bitmap resource " + std::to_string(id));
  return win::UniqueGdiObject(static_cast<HGDIOBJ>(bitmap));
}

std::span<const uint8_t> RcDataResource(int id) {
  HRSRC found = FindResourceW(OwnModule(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL loaded = found ? LoadResource(OwnModule(), found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw setup::Error("missing data resource " + std::to_string(id));
  return {static_cast<const uint8_t*>(data), SizeofResource(OwnModule(), found)};
}

win::UniqueGdiObject DecodeJpeg(std::span<const uint8_t> jpeg) {
  DecodedPixels pixels;
  JpegErrors errors{};
  if (!DecodePixels(jpeg.data(), jpeg.size(), &pixels, &errors)) {
    throw setup::Error(std::string("cannot decode a JPEG picture: ") + errors.message);
  }
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = pixels.width;
  bmi.bmiHeader.biHeight = -pixels.height;  // top-down rows, as decoded
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::UniqueGdiObject bitmap(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) throw setup::Error("cannot make a bitmap for a JPEG picture");
  std::memcpy(bits, pixels.bgr.data(), pixels.bgr.size());
  return bitmap;
}

SIZE BitmapSize(HGDIOBJ bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

}  // namespace ui
