#pragma once
// The headers of a PE image (PE32 or PE32+) as far as the resource writer
// needs them: where the fields that it changes live, the sections and the
// data directories. Every read is bounds-checked; an image whose headers do
// not hold together is a setup::Error, never a read outside the buffer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace setup::pe {

inline constexpr int kResourceDirectory = 2;
inline constexpr int kSecurityDirectory = 4;  // a file offset, not an RVA
inline constexpr int kBaseRelocDirectory = 5;

inline constexpr uint32_t kSectionInitializedData = 0x00000040;
inline constexpr size_t kSectionHeaderSize = 40;

// Little-endian reads that throw setup::Error when the bytes are not all
// inside `bytes`.
uint16_t CheckedU16(std::span<const uint8_t> bytes, uint64_t at);
uint32_t CheckedU32(std::span<const uint8_t> bytes, uint64_t at);

// x rounded up to a multiple of `alignment` (a power of two).
inline uint64_t AlignUp(uint64_t x, uint64_t alignment) { return (x + alignment - 1) & ~(alignment - 1); }

struct Section {
  std::array<uint8_t, 8> name{};
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t sizeOfRawData = 0;
  uint32_t pointerToRawData = 0;
  uint32_t characteristics = 0;

  // Where the section ends in memory (before rounding to the alignment).
  uint64_t VirtualEnd() const { return uint64_t{virtualAddress} + (virtualSize > sizeOfRawData ? virtualSize : sizeOfRawData); }
  // Where its bytes end in the file (its start when it has none).
  uint64_t RawEnd() const { return uint64_t{pointerToRawData} + sizeOfRawData; }
  bool Contains(uint32_t rva) const { return rva >= virtualAddress && rva < VirtualEnd(); }
};

struct DataDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

struct PeHeaders {
  bool pe32Plus = false;
  size_t coffHeader = 0;      // the COFF file header, right after "PE\0\0"
  size_t optionalHeader = 0;
  size_t sectionTable = 0;
  size_t directoryTable = 0;  // the first data directory
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t sizeOfInitializedData = 0;
  uint32_t pointerToSymbolTable = 0;
  std::vector<DataDirectory> directories;  // NumberOfRvaAndSizes entries
  std::vector<Section> sections;

  // File offsets of the fields the writer changes.
  size_t NumberOfSectionsAt() const { return coffHeader + 2; }
  size_t PointerToSymbolTableAt() const { return coffHeader + 8; }
  size_t SizeOfInitializedDataAt() const { return optionalHeader + 8; }
  size_t SizeOfImageAt() const { return optionalHeader + 56; }
  size_t CheckSumAt() const { return optionalHeader + 64; }
  size_t DirectoryAt(int index) const { return directoryTable + 8 * static_cast<size_t>(index); }
  size_t SectionHeaderAt(size_t index) const { return sectionTable + kSectionHeaderSize * index; }

  DataDirectory Directory(int index) const {
    return static_cast<size_t>(index) < directories.size() ? directories[static_cast<size_t>(index)] : DataDirectory{};
  }
  // Where the headers and every section's bytes end in the file.
  uint64_t RawEnd() const;
};

// Reads and checks the headers: the DOS and PE signatures, a PE32 or PE32+
// optional header, power-of-two alignments, a section table inside the
// headers and every section's bytes inside the file.
PeHeaders ReadPeHeaders(std::span<const uint8_t> image);

// The file offset of the `size` bytes at `rva`; they must lie inside one
// section's bytes in the file.
size_t FileOffsetOfRva(const PeHeaders& pe, uint32_t rva, uint32_t size);

// The image checksum as CheckSumMappedFile computes it: a 16-bit one's-
// complement sum of the file with the checksum field counted as zero, plus
// the file's length.
uint32_t PeChecksum(std::span<const uint8_t> image, size_t checkSumAt);

// Writes name, sizes, addresses and characteristics of a section header;
// relocation and line-number fields become zero.
void WriteSectionHeader(std::span<uint8_t> image, size_t at, const Section& section);

}  // namespace setup::pe
