#include "tools/mksetup/pe_resources.h"

#include <algorithm>
#include <limits>

#include "base/bytes.h"
#include "base/error.h"
#include "tools/mksetup/pe_image.h"
#include "tools/mksetup/resource_tree.h"

namespace setup {
namespace {

using pe::DataDirectory;
using pe::PeHeaders;
using pe::ResourceKey;
using pe::ResourceNode;
using pe::Section;

constexpr uint32_t kNewResourceSectionFlags = 0x40000040;  // initialized data, readable
constexpr uint64_t kMaxImage = std::numeric_limits<uint32_t>::max();

std::u16string ResourceName(std::string_view name) {
  if (name.empty()) throw Error("A resource name may not be empty");
  std::u16string upper;
  for (const char c : name) {
    if (c < 0x21 || c > 0x7E) throw Error("Resource name \"" + std::string(name) + "\" is not plain ASCII");
    upper.push_back(static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  }
  return upper;
}

ResourceNode ReadResourcesOrEmpty(std::span<const uint8_t> image, const PeHeaders& pe) {
  const DataDirectory dir = pe.Directory(pe::kResourceDirectory);
  if (dir.rva == 0) return {};
  return pe::ReadResourceTree(image, pe, dir);
}

// The directory below `parent` for `key`, added when missing.
ResourceNode& SubDirectory(ResourceNode& parent, const ResourceKey& key) {
  if (ResourceNode* found = parent.Find(key)) {
    if (found->isData) throw Error("Damaged resource directory: data where a directory belongs");
    return *found;
  }
  parent.children.push_back({key, {}});
  return parent.children.back().node;
}

// Puts `resource` under RCDATA with one language-neutral leaf, replacing
// every language of an earlier resource of that name.
void PutRcdata(ResourceNode& root, const NamedResource& resource) {
  ResourceNode& type = SubDirectory(root, ResourceKey::Id(pe::kRcdataType));
  const ResourceKey key = ResourceKey::Name(ResourceName(resource.name));
  ResourceNode& named = SubDirectory(type, key);
  named.children.clear();
  ResourceNode leaf;
  leaf.isData = true;
  leaf.data = resource.bytes;
  named.children.push_back({ResourceKey::Id(0), std::move(leaf)});
}

// Whether `s` begins with data directory `index` and holds no other one:
// such a section is reached only through that directory, so it can move.
bool HoldsOnly(const PeHeaders& pe, const Section& s, int index) {
  const DataDirectory own = pe.Directory(index);
  if (own.rva == 0 || own.rva != s.virtualAddress) return false;
  for (size_t i = 0; i < pe.directories.size(); ++i) {
    if (static_cast<int>(i) == index || static_cast<int>(i) == pe::kSecurityDirectory) continue;
    if (pe.directories[i].rva != 0 && s.Contains(pe.directories[i].rva)) return false;
  }
  return true;
}

bool IsMovable(const PeHeaders& pe, const Section& s) {
  return HoldsOnly(pe, s, pe::kResourceDirectory) || HoldsOnly(pe, s, pe::kBaseRelocDirectory);
}

// A new section header goes right after the table, in zero bytes of the
// headers before any section's data.
void RequireRoomForSectionHeader(std::span<const uint8_t> image, const PeHeaders& pe) {
  const size_t at = pe.SectionHeaderAt(pe.sections.size());
  uint64_t limit = pe.sizeOfHeaders;
  for (const Section& s : pe.sections) {
    if (s.sizeOfRawData > 0) limit = std::min<uint64_t>(limit, s.pointerToRawData);
  }
  const bool fits = at + pe::kSectionHeaderSize <= limit &&
                    std::all_of(image.begin() + static_cast<std::ptrdiff_t>(at),
                                image.begin() + static_cast<std::ptrdiff_t>(at + pe::kSectionHeaderSize),
                                [](uint8_t b) { return b == 0; });
  if (!fits || pe.sections.size() >= 0xFFFF) throw Error("The executable has no room for another section header");
}

// Lays sections out one after another behind the kept part of the image.
class SectionAppender {
 public:
  SectionAppender(std::vector<uint8_t>& out, const PeHeaders& pe, uint64_t virtualEnd)
      : out_(out), pe_(pe), nextRva_(pe::AlignUp(virtualEnd, pe.sectionAlignment)) {}

  uint32_t NextRva() const { return static_cast<uint32_t>(nextRva_); }

  Section Append(Section s, std::span<const uint8_t> bytes) {
    out_.resize(pe::AlignUp(out_.size(), pe_.fileAlignment), 0);
    s.pointerToRawData = static_cast<uint32_t>(out_.size());
    s.virtualAddress = static_cast<uint32_t>(nextRva_);
    s.sizeOfRawData = static_cast<uint32_t>(pe::AlignUp(bytes.size(), pe_.fileAlignment));
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    out_.resize(s.pointerToRawData + uint64_t{s.sizeOfRawData}, 0);
    nextRva_ = pe::AlignUp(s.VirtualEnd(), pe_.sectionAlignment);
    if (nextRva_ > kMaxImage || out_.size() > kMaxImage) throw Error("The installer would be larger than 4 GiB");
    return s;
  }

 private:
  std::vector<uint8_t>& out_;
  const PeHeaders& pe_;
  uint64_t nextRva_;
};

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) { WriteInt32LE(out, at, static_cast<int32_t>(value)); }

}  // namespace

std::vector<uint8_t> AddRcdataResources(std::span<const uint8_t> peImage, const std::vector<NamedResource>& resources) {
  const PeHeaders pe = pe::ReadPeHeaders(peImage);
  if (pe.directories.size() <= pe::kResourceDirectory) throw Error("The executable has no resource directory entry");
  ResourceNode tree = ReadResourcesOrEmpty(peImage, pe);
  for (const NamedResource& r : resources) PutRcdata(tree, r);
  pe::SortResourceTree(tree);

  // The tail: the last sections, as long as each holds only resources or
  // base relocations. When the resource section is among them, it is
  // rebuilt in place and the others move behind it; otherwise nothing moves
  // and the new resources get a section of their own at the end.
  const size_t count = pe.sections.size();
  size_t tailStart = count;
  while (tailStart > 0 && IsMovable(pe, pe.sections[tailStart - 1])) --tailStart;
  std::optional<size_t> oldResources;
  for (size_t i = tailStart; i < count; ++i) {
    if (HoldsOnly(pe, pe.sections[i], pe::kResourceDirectory)) oldResources = i;
  }
  if (!oldResources) {
    tailStart = count;
    RequireRoomForSectionHeader(peImage, pe);
  }

  uint64_t keptRawEnd = pe.sizeOfHeaders;
  uint64_t keptVirtualEnd = pe.sizeOfHeaders;
  for (size_t i = 0; i < tailStart; ++i) {
    const Section& s = pe.sections[i];
    if (s.sizeOfRawData > 0) keptRawEnd = std::max(keptRawEnd, s.RawEnd());
    keptVirtualEnd = std::max(keptVirtualEnd, s.VirtualEnd());
  }
  std::vector<uint8_t> out(peImage.begin(), peImage.begin() + static_cast<std::ptrdiff_t>(keptRawEnd));
  std::vector<DataDirectory> dirs = pe.directories;
  SectionAppender appender(out, pe, keptVirtualEnd);
  std::vector<Section> placed;

  Section resourceSection;
  if (oldResources) {
    resourceSection = pe.sections[*oldResources];
  } else {
    resourceSection.name = {'.', 'r', 's', 'r', 'c'};
    resourceSection.characteristics = kNewResourceSectionFlags;
  }
  const uint32_t resourceRva = appender.NextRva();
  const std::vector<uint8_t> resourceBytes = pe::WriteResourceTree(tree, resourceRva);
  resourceSection.virtualSize = static_cast<uint32_t>(resourceBytes.size());
  placed.push_back(appender.Append(resourceSection, resourceBytes));
  dirs[pe::kResourceDirectory] = {resourceRva, resourceSection.virtualSize};

  for (size_t i = tailStart; i < count; ++i) {
    if (i == oldResources) continue;
    const Section& old = pe.sections[i];
    const auto bytes = old.sizeOfRawData ? peImage.subspan(old.pointerToRawData, old.sizeOfRawData) : std::span<const uint8_t>{};
    placed.push_back(appender.Append(old, bytes));
    for (size_t d = 0; d < dirs.size(); ++d) {
      if (static_cast<int>(d) == pe::kSecurityDirectory || static_cast<int>(d) == pe::kResourceDirectory) continue;
      if (pe.directories[d].rva != 0 && old.Contains(pe.directories[d].rva)) {
        dirs[d].rva = pe.directories[d].rva - old.virtualAddress + placed.back().virtualAddress;
      }
    }
  }

  // Whatever followed the sections (a symbol table, say) follows them
  // again; a signature does not, since it no longer matches.
  const uint64_t oldRawEnd = pe.RawEnd();
  const uint64_t newRawEnd = out.size();
  const DataDirectory certificate = pe.Directory(pe::kSecurityDirectory);
  const uint64_t certificateEnd = uint64_t{certificate.rva} + certificate.size;
  const bool certificateInOverlay = certificate.rva != 0 && certificate.rva >= oldRawEnd && certificateEnd <= peImage.size();
  const auto appendOverlay = [&](uint64_t from, uint64_t to) {
    if (from < to) out.insert(out.end(), peImage.begin() + static_cast<std::ptrdiff_t>(from), peImage.begin() + static_cast<std::ptrdiff_t>(to));
  };
  if (certificateInOverlay) {
    appendOverlay(oldRawEnd, certificate.rva);
    appendOverlay(certificateEnd, peImage.size());
  } else {
    appendOverlay(oldRawEnd, peImage.size());
  }
  if (out.size() > kMaxImage) throw Error("The installer would be larger than 4 GiB");
  uint32_t symbols = pe.pointerToSymbolTable;
  if (symbols != 0 && symbols >= oldRawEnd) {
    uint64_t moved = newRawEnd + (symbols - oldRawEnd);
    if (certificateInOverlay && certificateEnd <= symbols) moved -= certificate.size;
    symbols = static_cast<uint32_t>(moved);
  }

  int64_t initializedData = pe.sizeOfInitializedData;
  for (size_t i = tailStart; i < count; ++i) {
    if (pe.sections[i].characteristics & pe::kSectionInitializedData) initializedData -= pe.sections[i].sizeOfRawData;
  }
  for (const Section& s : placed) {
    if (s.characteristics & pe::kSectionInitializedData) initializedData += s.sizeOfRawData;
  }

  WriteUInt16LE(out, pe.NumberOfSectionsAt(), static_cast<uint16_t>(tailStart + placed.size()));
  for (size_t i = 0; i < placed.size(); ++i) pe::WriteSectionHeader(out, pe.SectionHeaderAt(tailStart + i), placed[i]);
  Put32(out, pe.PointerToSymbolTableAt(), symbols);
  Put32(out, pe.SizeOfInitializedDataAt(),
        static_cast<uint32_t>(std::clamp<int64_t>(initializedData, 0, std::numeric_limits<uint32_t>::max())));
  Put32(out, pe.SizeOfImageAt(), appender.NextRva());
  if (dirs.size() > pe::kSecurityDirectory) dirs[pe::kSecurityDirectory] = {};
  for (size_t d = 0; d < dirs.size(); ++d) {
    Put32(out, pe.DirectoryAt(static_cast<int>(d)), dirs[d].rva);
    Put32(out, pe.DirectoryAt(static_cast<int>(d)) + 4, dirs[d].size);
  }
  Put32(out, pe.CheckSumAt(), pe::PeChecksum(out, pe.CheckSumAt()));
  return out;
}

std::optional<std::vector<uint8_t>> FindRcdataResource(std::span<const uint8_t> peImage, std::string_view name) {
  const PeHeaders pe = pe::ReadPeHeaders(peImage);
  const ResourceNode tree = ReadResourcesOrEmpty(peImage, pe);
  const ResourceNode* type = tree.Find(ResourceKey::Id(pe::kRcdataType));
  const ResourceNode* named = type ? type->Find(ResourceKey::Name(ResourceName(name))) : nullptr;
  if (!named) return std::nullopt;
  if (named->isData) return named->data;
  if (named->children.empty() || !named->children.front().node.isData) return std::nullopt;
  return named->children.front().node.data;
}

}  // namespace setup
