#include "tools/mksetup/pe_image.h"

#include <algorithm>
#include <string>

#include "base/bytes.h"
#include "base/error.h"

namespace setup::pe {
namespace {

constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr uint32_t kMaxDirectories = 16;

bool IsPowerOfTwo(uint32_t x) { return x != 0 && (x & (x - 1)) == 0; }

void Require(bool condition, const std::string& what) {
  if (!condition) throw Error("Not a valid PE image: " + what);
}

Section ReadSection(std::span<const uint8_t> image, size_t at) {
  Section s;
  std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(at), 8, s.name.begin());
  s.virtualSize = CheckedU32(image, at + 8);
  s.virtualAddress = CheckedU32(image, at + 12);
  s.sizeOfRawData = CheckedU32(image, at + 16);
  s.pointerToRawData = CheckedU32(image, at + 20);
  s.characteristics = CheckedU32(image, at + 36);
  return s;
}

}  // namespace

uint16_t CheckedU16(std::span<const uint8_t> bytes, uint64_t at) {
  if (bytes.size() < 2 || at > bytes.size() - 2) throw Error("Not a valid PE image: it ends too early");
  return ReadUInt16LE(bytes, static_cast<size_t>(at));
}

uint32_t CheckedU32(std::span<const uint8_t> bytes, uint64_t at) {
  if (bytes.size() < 4 || at > bytes.size() - 4) throw Error("Not a valid PE image: it ends too early");
  return ReadUInt32LE(bytes, static_cast<size_t>(at));
}

uint64_t PeHeaders::RawEnd() const {
  uint64_t end = sizeOfHeaders;
  for (const Section& s : sections) {
    if (s.sizeOfRawData > 0) end = std::max(end, s.RawEnd());
  }
  return end;
}

PeHeaders ReadPeHeaders(std::span<const uint8_t> image) {
  Require(image.size() >= 64 && image[0] == 'M' && image[1] == 'Z', "no MZ header");
  const uint32_t peAt = CheckedU32(image, 0x3c);
  Require(CheckedU32(image, peAt) == 0x00004550, "no PE signature");

  PeHeaders pe;
  pe.coffHeader = size_t{peAt} + 4;
  const uint16_t sectionCount = CheckedU16(image, pe.coffHeader + 2);
  pe.pointerToSymbolTable = CheckedU32(image, pe.coffHeader + 8);
  const uint16_t optionalSize = CheckedU16(image, pe.coffHeader + 16);
  pe.optionalHeader = pe.coffHeader + 20;
  pe.sectionTable = pe.optionalHeader + optionalSize;

  const uint16_t magic = CheckedU16(image, pe.optionalHeader);
  Require(magic == kPe32Magic || magic == kPe32PlusMagic, "unknown optional header");
  pe.pe32Plus = magic == kPe32PlusMagic;
  const size_t directoryCountAt = pe.optionalHeader + (pe.pe32Plus ? 108 : 92);
  pe.directoryTable = directoryCountAt + 4;
  Require(optionalSize >= pe.directoryTable - pe.optionalHeader, "optional header too small");

  pe.sizeOfInitializedData = CheckedU32(image, pe.optionalHeader + 8);
  pe.sectionAlignment = CheckedU32(image, pe.optionalHeader + 32);
  pe.fileAlignment = CheckedU32(image, pe.optionalHeader + 36);
  pe.sizeOfHeaders = CheckedU32(image, pe.optionalHeader + 60);
  Require(IsPowerOfTwo(pe.sectionAlignment) && IsPowerOfTwo(pe.fileAlignment) &&
              pe.fileAlignment <= pe.sectionAlignment && pe.sectionAlignment <= 0x10000000,
          "bad alignment");

  const uint32_t directoryCount = std::min(CheckedU32(image, directoryCountAt), kMaxDirectories);
  Require(pe.directoryTable + 8 * size_t{directoryCount} <= pe.sectionTable, "data directories outside the optional header");
  for (uint32_t i = 0; i < directoryCount; ++i) {
    const size_t at = pe.directoryTable + 8 * size_t{i};
    pe.directories.push_back({CheckedU32(image, at), CheckedU32(image, at + 4)});
  }

  const uint64_t tableEnd = pe.sectionTable + kSectionHeaderSize * uint64_t{sectionCount};
  Require(tableEnd <= pe.sizeOfHeaders && pe.sizeOfHeaders <= image.size(), "section table outside the headers");
  for (size_t i = 0; i < sectionCount; ++i) {
    const Section s = ReadSection(image, pe.SectionHeaderAt(i));
    Require(s.sizeOfRawData == 0 || s.RawEnd() <= image.size(), "section " + std::to_string(i) + " lies outside the file");
    pe.sections.push_back(s);
  }
  return pe;
}

size_t FileOffsetOfRva(const PeHeaders& pe, uint32_t rva, uint32_t size) {
  for (const Section& s : pe.sections) {
    if (rva < s.virtualAddress) continue;
    const uint64_t inSection = uint64_t{rva} - s.virtualAddress;
    if (inSection + size <= s.sizeOfRawData) return static_cast<size_t>(s.pointerToRawData + inSection);
  }
  throw Error("Not a valid PE image: address " + std::to_string(rva) + " (" + std::to_string(size) +
              " bytes) lies outside the file");
}

uint32_t PeChecksum(std::span<const uint8_t> image, size_t checkSumAt) {
  // The checksum field counts as zero, whatever it holds; an odd last byte
  // is padded with a zero.
  const auto byteAt = [&](size_t k) -> uint32_t {
    return k >= image.size() || (k >= checkSumAt && k - checkSumAt < 4) ? 0 : image[k];
  };
  uint64_t sum = 0;
  for (size_t i = 0; i < image.size(); i += 2) {
    sum += byteAt(i) | byteAt(i + 1) << 8;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}

void WriteSectionHeader(std::span<uint8_t> image, size_t at, const Section& s) {
  std::copy(s.name.begin(), s.name.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
  WriteInt32LE(image, at + 8, static_cast<int32_t>(s.virtualSize));
  WriteInt32LE(image, at + 12, static_cast<int32_t>(s.virtualAddress));
  WriteInt32LE(image, at + 16, static_cast<int32_t>(s.sizeOfRawData));
  WriteInt32LE(image, at + 20, static_cast<int32_t>(s.pointerToRawData));
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at) + 24, 12, uint8_t{0});
  WriteInt32LE(image, at + 36, static_cast<int32_t>(s.characteristics));
}

}  // namespace setup::pe
