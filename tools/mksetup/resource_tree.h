#pragma once
// The resource directory of a PE image as a tree in memory: read from an
// image, changed, and laid out again as the bytes of a resource section.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/mksetup/pe_image.h"

namespace setup::pe {

inline constexpr uint32_t kRcdataType = 10;

// The key of a directory entry: a string name or an integer ID.
struct ResourceKey {
  bool isName = false;
  std::u16string name;  // when isName
  uint32_t id = 0;      // otherwise

  static ResourceKey Id(uint32_t id) { return {false, {}, id}; }
  static ResourceKey Name(std::u16string name) { return {true, std::move(name), 0}; }
};

// Entries with string names come first, sorted by their UTF-16 code units,
// then entries with IDs in ascending order: the order that the loader's
// binary search expects (it looks names up in upper case).
bool operator<(const ResourceKey& a, const ResourceKey& b);
bool operator==(const ResourceKey& a, const ResourceKey& b);

struct ResourceEntry;

// A directory (type, name or language level) or a data leaf.
struct ResourceNode {
  bool isData = false;
  // Directory: its header fields and entries.
  uint32_t characteristics = 0;
  uint32_t timeDateStamp = 0;
  uint16_t majorVersion = 0;
  uint16_t minorVersion = 0;
  std::vector<ResourceEntry> children;
  // Data leaf.
  std::vector<uint8_t> data;
  uint32_t codePage = 0;

  // The child with this key, or nullptr.
  ResourceNode* Find(const ResourceKey& key);
  const ResourceNode* Find(const ResourceKey& key) const;
};

struct ResourceEntry {
  ResourceKey key;
  ResourceNode node;
};

// Reads the tree at `directory`. Throws setup::Error for offsets outside the
// image, a tree deeper than any real one, loops and leaves that overlap.
ResourceNode ReadResourceTree(std::span<const uint8_t> image, const PeHeaders& pe, DataDirectory directory);

// Puts every directory's entries in the loader's order (see ResourceKey).
void SortResourceTree(ResourceNode& root);

// The bytes of a resource section placed at `sectionRva` holding the tree,
// entries in their stored order: directories, data entries, names, then the
// data, each blob aligned to 8 bytes.
std::vector<uint8_t> WriteResourceTree(const ResourceNode& root, uint32_t sectionRva);

}  // namespace setup::pe
