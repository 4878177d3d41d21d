#include "screenshot.h"

#include <zlib.h>

#include <stdexcept>

#include "test_paths.h"
#include "win/handles.h"

namespace testing_support {
namespace {

void AppendBigEndian(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBigEndian(out, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  AppendBigEndian(out, static_cast<uint32_t>(
                           crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

}  // namespace

ScreenImage CaptureScreen(const RECT& area) {
  ScreenImage image;
  image.width = area.right - area.left;
  image.height = area.bottom - area.top;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = image.width;
  bmi.bmiHeader.biHeight = -image.height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  win::UniqueMemoryDc memory(CreateCompatibleDC(screen));
  win::UniqueGdiObject bitmap(CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    win::SelectGuard select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
  }
  ReleaseDC(nullptr, screen);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  image.pixels.assign(p, p + static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  for (uint32_t& px : image.pixels) px &= 0x00FFFFFF;
  return image;
}

ScreenImage CaptureSettledScreen(const RECT& area, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  ScreenImage last = CaptureScreen(area);
  while (GetTickCount() - start < timeoutMs) {
    Sleep(100);
    ScreenImage next = CaptureScreen(area);
    if (next == last) return next;
    last = std::move(next);
  }
  return last;
}

void SavePng(const ScreenImage& image, const std::wstring& path) {
  std::string raw;
  raw.reserve(static_cast<size_t>(image.height) * (static_cast<size_t>(image.width) * 3 + 1));
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = image.At(x, y);
      raw += static_cast<char>(GetRValue(c));
      raw += static_cast<char>(GetGValue(c));
      raw += static_cast<char>(GetBValue(c));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 9) != Z_OK) {
    throw std::runtime_error("cannot compress a screenshot");
  }
  packed.resize(packedSize);

  std::string header;
  AppendBigEndian(header, static_cast<uint32_t>(image.width));
  AppendBigEndian(header, static_cast<uint32_t>(image.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", packed);
  AppendChunk(png, "IEND", "");
  WriteFileBytes(path, png);
}

}  // namespace testing_support
