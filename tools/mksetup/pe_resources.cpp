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

// The sections from `tailStart` on are laid out anew behind the others.
struct SectionPlan {
  size_t tailStart = 0;
  std::optional<size_t> oldResources;  // rebuilt in place, when among them
};

// The tail is the run of last sections that each hold only resources or
// base relocations. When the resource section is in it, it is rebuilt in
// place and the others move behind it; otherwise nothing moves and the
// resources get a new section at the end.
SectionPlan PlanSections(std::span<const uint8_t> image, const PeHeaders& pe) {
  const size_t count = pe.sections.size();
  SectionPlan plan{count, std::nullopt};
  while (plan.tailStart > 0 && IsMovable(pe, pe.sections[plan.tailStart - 1])) --plan.tailStart;
  for (size_t i = plan.tailStart; i < count; ++i) {
    if (HoldsOnly(pe, pe.sections[i], pe::kResourceDirectory)) plan.oldResources = i;
  }
  if (!plan.oldResources) {
    plan.tailStart = count;
    RequireRoomForSectionHeader(image, pe);
  }
  return plan;
}

Section ResourceSectionHeader(const PeHeaders& pe, const SectionPlan& plan) {
  if (plan.oldResources) return pe.sections[*plan.oldResources];
  Section s;
  s.name = {'.', 'r', 's', 'r', 'c'};
  s.characteristics = kNewResourceSectionFlags;
  return s;
}

// Points the data directories that lay in `old` at its new place.
void MoveDirectories(const PeHeaders& pe, const Section& old, const Section& moved, std::vector<DataDirectory>& dirs) {
  for (size_t d = 0; d < dirs.size(); ++d) {
    if (static_cast<int>(d) == pe::kSecurityDirectory || static_cast<int>(d) == pe::kResourceDirectory) continue;
    if (pe.directories[d].rva != 0 && old.Contains(pe.directories[d].rva)) {
      dirs[d].rva = pe.directories[d].rva - old.virtualAddress + moved.virtualAddress;
    }
  }
}

// Appends whatever followed the sections (a symbol table, say), but not a
// signature, which no longer matches. Returns the symbol table's new offset.
uint32_t AppendOverlay(std::vector<uint8_t>& out, std::span<const uint8_t> image, const PeHeaders& pe) {
  const uint64_t oldEnd = pe.RawEnd();
  const uint64_t newEnd = out.size();
  const DataDirectory certificate = pe.Directory(pe::kSecurityDirectory);
  const uint64_t certificateEnd = uint64_t{certificate.rva} + certificate.size;
  const bool certificateInOverlay = certificate.rva != 0 && certificate.rva >= oldEnd && certificateEnd <= image.size();
  const auto append = [&](uint64_t from, uint64_t to) {
    if (from < to) {
      out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(from), image.begin() + static_cast<std::ptrdiff_t>(to));
    }
  };
  if (certificateInOverlay) {
    append(oldEnd, certificate.rva);
    append(certificateEnd, image.size());
  } else {
    append(oldEnd, image.size());
  }
  if (out.size() > kMaxImage) throw Error("The installer would be larger than 4 GiB");

  const uint32_t symbols = pe.pointerToSymbolTable;
  if (symbols == 0 || symbols < oldEnd) return symbols;
  uint64_t moved = newEnd + (symbols - oldEnd);
  if (certificateInOverlay && certificateEnd <= symbols) moved -= certificate.size;
  return static_cast<uint32_t>(moved);
}

// SizeOfInitializedData changed by what left and what came, so that it
// keeps whatever the linker counted in it.
uint32_t InitializedDataSize(const PeHeaders& pe, size_t tailStart, const std::vector<Section>& placed) {
  int64_t size = pe.sizeOfInitializedData;
  for (size_t i = tailStart; i < pe.sections.size(); ++i) {
    if (pe.sections[i].characteristics & pe::kSectionInitializedData) size -= pe.sections[i].sizeOfRawData;
  }
  for (const Section& s : placed) {
    if (s.characteristics & pe::kSectionInitializedData) size += s.sizeOfRawData;
  }
  return static_cast<uint32_t>(std::clamp<int64_t>(size, 0, std::numeric_limits<uint32_t>::max()));
}

}  // namespace

std::vector<uint8_t> AddRcdataResources(std::span<const uint8_t> peImage, const std::vector<NamedResource>& resources) {
  const PeHeaders pe = pe::ReadPeHeaders(peImage);
  if (pe.directories.size() <= pe::kResourceDirectory) throw Error("The executable has no resource directory entry");
  ResourceNode tree = ReadResourcesOrEmpty(peImage, pe);
  for (const NamedResource& r : resources) PutRcdata(tree, r);
  pe::SortResourceTree(tree);
  const SectionPlan plan = PlanSections(peImage, pe);

  // The headers and the sections before the tail stay byte for byte.
  uint64_t keptRawEnd = pe.sizeOfHeaders;
  uint64_t keptVirtualEnd = pe.sizeOfHeaders;
  for (size_t i = 0; i < plan.tailStart; ++i) {
    const Section& s = pe.sections[i];
    if (s.sizeOfRawData > 0) keptRawEnd = std::max(keptRawEnd, s.RawEnd());
    keptVirtualEnd = std::max(keptVirtualEnd, s.VirtualEnd());
  }
  std::vector<uint8_t> out(peImage.begin(), peImage.begin() + static_cast<std::ptrdiff_t>(keptRawEnd));
  std::vector<DataDirectory> dirs = pe.directories;
  SectionAppender appender(out, pe, keptVirtualEnd);
  std::vector<Section> placed;

  Section resourceSection = ResourceSectionHeader(pe, plan);
  const uint32_t resourceRva = appender.NextRva();
  const std::vector<uint8_t> resourceBytes = pe::WriteResourceTree(tree, resourceRva);
  resourceSection.virtualSize = static_cast<uint32_t>(resourceBytes.size());
  placed.push_back(appender.Append(resourceSection, resourceBytes));
  dirs[pe::kResourceDirectory] = {resourceRva, resourceSection.virtualSize};

  for (size_t i = plan.tailStart; i < pe.sections.size(); ++i) {
    if (i == plan.oldResources) continue;
    const Section& old = pe.sections[i];
    const auto bytes = old.sizeOfRawData ? peImage.subspan(old.pointerToRawData, old.sizeOfRawData) : std::span<const uint8_t>{};
    placed.push_back(appender.Append(old, bytes));
    MoveDirectories(pe, old, placed.back(), dirs);
  }
  const uint32_t symbols = AppendOverlay(out, peImage, pe);
  if (dirs.size() > pe::kSecurityDirectory) dirs[pe::kSecurityDirectory] = {};

  WriteUInt16LE(out, pe.NumberOfSectionsAt(), static_cast<uint16_t>(plan.tailStart + placed.size()));
  for (size_t i = 0; i < placed.size(); ++i) pe::WriteSectionHeader(out, pe.SectionHeaderAt(plan.tailStart + i), placed[i]);
  Put32(out, pe.PointerToSymbolTableAt(), symbols);
  Put32(out, pe.SizeOfInitializedDataAt(), InitializedDataSize(pe, plan.tailStart, placed));
  Put32(out, pe.SizeOfImageAt(), appender.NextRva());
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
