#include "tools/mksetup/resource_tree.h"

#include <algorithm>
#include <limits>

#include "base/bytes.h"
#include "base/error.h"

namespace setup::pe {
namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
// Real trees are three levels deep (type, name, language); the limits keep
// a damaged or hostile tree (loops, shared subtrees) from running away.
constexpr int kMaxDepth = 8;
constexpr size_t kMaxNodes = 1 << 20;

[[noreturn]] void Damaged(const std::string& what) { throw Error("Damaged resource directory: " + what); }

class TreeReader {
 public:
  TreeReader(std::span<const uint8_t> image, const PeHeaders& pe, DataDirectory directory)
      : image_(image), pe_(pe), root_(directory.rva) {}

  ResourceNode ReadDirectory(uint32_t offset, int depth) {
    if (depth > kMaxDepth) Damaged("it nests too deeply");
    const size_t at = At(offset, kDirectoryHeaderSize);
    ResourceNode dir;
    dir.characteristics = CheckedU32(image_, at);
    dir.timeDateStamp = CheckedU32(image_, at + 4);
    dir.majorVersion = CheckedU16(image_, at + 8);
    dir.minorVersion = CheckedU16(image_, at + 10);
    const size_t count = size_t{CheckedU16(image_, at + 12)} + CheckedU16(image_, at + 14);
    At(offset, static_cast<uint32_t>(kDirectoryHeaderSize + kDirectoryEntrySize * count));
    for (size_t i = 0; i < count; ++i) {
      if (++nodes_ > kMaxNodes) Damaged("too many entries");
      const size_t entry = at + kDirectoryHeaderSize + kDirectoryEntrySize * i;
      const uint32_t name = CheckedU32(image_, entry);
      const uint32_t target = CheckedU32(image_, entry + 4);
      ResourceEntry child;
      child.key = (name & kHighBit) ? ResourceKey::Name(ReadName(name & ~kHighBit)) : ResourceKey::Id(name);
      child.node = (target & kHighBit) ? ReadDirectory(target & ~kHighBit, depth + 1) : ReadData(target);
      dir.children.push_back(std::move(child));
    }
    return dir;
  }

 private:
  // The file offset of `size` bytes at `offset` from the directory's start.
  size_t At(uint32_t offset, uint32_t size) const {
    const uint64_t rva = uint64_t{root_} + offset;
    if (rva > std::numeric_limits<uint32_t>::max()) Damaged("an offset leaves the image");
    return FileOffsetOfRva(pe_, static_cast<uint32_t>(rva), size);
  }

  std::u16string ReadName(uint32_t offset) {
    const size_t at = At(offset, 2);
    const uint16_t length = CheckedU16(image_, at);
    At(offset, 2 + 2 * uint32_t{length});
    std::u16string name;
    for (size_t i = 0; i < length; ++i) name.push_back(static_cast<char16_t>(CheckedU16(image_, at + 2 + 2 * i)));
    return name;
  }

  ResourceNode ReadData(uint32_t offset) {
    const size_t at = At(offset, kDataEntrySize);
    const uint32_t rva = CheckedU32(image_, at);
    const uint32_t size = CheckedU32(image_, at + 4);
    // Leaves never share bytes in a real image, so together they fit in it.
    dataBytes_ += size;
    if (dataBytes_ > image_.size()) Damaged("its data adds up to more than the image");
    const size_t dataAt = size == 0 ? 0 : FileOffsetOfRva(pe_, rva, size);
    ResourceNode leaf;
    leaf.isData = true;
    leaf.data.assign(image_.begin() + static_cast<std::ptrdiff_t>(dataAt),
                     image_.begin() + static_cast<std::ptrdiff_t>(dataAt + size));
    leaf.codePage = CheckedU32(image_, at + 8);
    return leaf;
  }

  std::span<const uint8_t> image_;
  const PeHeaders& pe_;
  uint32_t root_;
  size_t nodes_ = 0;
  uint64_t dataBytes_ = 0;
};

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) { WriteInt32LE(out, at, static_cast<int32_t>(value)); }
void Put16(std::vector<uint8_t>& out, size_t at, uint16_t value) { WriteUInt16LE(out, at, value); }

}  // namespace

bool operator<(const ResourceKey& a, const ResourceKey& b) {
  if (a.isName != b.isName) return a.isName;
  return a.isName ? a.name < b.name : a.id < b.id;
}

bool operator==(const ResourceKey& a, const ResourceKey& b) {
  return a.isName == b.isName && (a.isName ? a.name == b.name : a.id == b.id);
}

ResourceNode* ResourceNode::Find(const ResourceKey& key) {
  for (ResourceEntry& e : children) {
    if (e.key == key) return &e.node;
  }
  return nullptr;
}

const ResourceNode* ResourceNode::Find(const ResourceKey& key) const {
  return const_cast<ResourceNode*>(this)->Find(key);
}

ResourceNode ReadResourceTree(std::span<const uint8_t> image, const PeHeaders& pe, DataDirectory directory) {
  return TreeReader(image, pe, directory).ReadDirectory(0, 0);
}

void SortResourceTree(ResourceNode& root) {
  std::stable_sort(root.children.begin(), root.children.end(),
                   [](const ResourceEntry& a, const ResourceEntry& b) { return a.key < b.key; });
  for (ResourceEntry& e : root.children) {
    if (!e.node.isData) SortResourceTree(e.node);
  }
}

std::vector<uint8_t> WriteResourceTree(const ResourceNode& root, uint32_t sectionRva) {
  // Number directories, leaves and names breadth first; the second pass
  // meets them in the same order.
  std::vector<const ResourceNode*> dirs{&root};
  std::vector<const ResourceNode*> leaves;
  std::vector<const std::u16string*> names;
  for (size_t i = 0; i < dirs.size(); ++i) {
    for (const ResourceEntry& e : dirs[i]->children) {
      if (e.key.isName) names.push_back(&e.key.name);
      (e.node.isData ? leaves : dirs).push_back(&e.node);
    }
  }

  std::vector<uint64_t> dirAt;
  uint64_t end = 0;
  for (const ResourceNode* d : dirs) {
    dirAt.push_back(end);
    end += kDirectoryHeaderSize + kDirectoryEntrySize * d->children.size();
  }
  const uint64_t leafEntriesAt = end;
  end += kDataEntrySize * leaves.size();
  std::vector<uint64_t> nameAt;
  for (const std::u16string* n : names) {
    if (n->size() > 0xFFFF) throw Error("A resource name is too long");
    nameAt.push_back(end);
    end += 2 + 2 * n->size();
  }
  std::vector<uint64_t> dataAt;
  for (const ResourceNode* leaf : leaves) {
    end = AlignUp(end, 8);
    dataAt.push_back(end);
    end += leaf->data.size();
  }
  if (end > std::numeric_limits<uint32_t>::max() - uint64_t{sectionRva}) {
    throw Error("The resources are too large for a PE image");
  }

  std::vector<uint8_t> out(static_cast<size_t>(end), 0);
  size_t nextDir = 1, nextLeaf = 0, nextName = 0;
  for (size_t i = 0; i < dirs.size(); ++i) {
    const ResourceNode& d = *dirs[i];
    const size_t at = static_cast<size_t>(dirAt[i]);
    const auto named = std::count_if(d.children.begin(), d.children.end(), [](const ResourceEntry& e) { return e.key.isName; });
    if (static_cast<size_t>(named) > 0xFFFF || d.children.size() - static_cast<size_t>(named) > 0xFFFF) {
      throw Error("A resource directory has too many entries");
    }
    Put32(out, at, d.characteristics);
    Put32(out, at + 4, d.timeDateStamp);
    Put16(out, at + 8, d.majorVersion);
    Put16(out, at + 10, d.minorVersion);
    Put16(out, at + 12, static_cast<uint16_t>(named));
    Put16(out, at + 14, static_cast<uint16_t>(d.children.size() - static_cast<size_t>(named)));
    for (size_t c = 0; c < d.children.size(); ++c) {
      const ResourceEntry& e = d.children[c];
      const size_t entry = at + kDirectoryHeaderSize + kDirectoryEntrySize * c;
      Put32(out, entry, e.key.isName ? kHighBit | static_cast<uint32_t>(nameAt[nextName++]) : e.key.id);
      Put32(out, entry + 4,
            e.node.isData ? static_cast<uint32_t>(leafEntriesAt + kDataEntrySize * nextLeaf++)
                          : kHighBit | static_cast<uint32_t>(dirAt[nextDir++]));
    }
  }
  for (size_t i = 0; i < leaves.size(); ++i) {
    const size_t entry = static_cast<size_t>(leafEntriesAt + kDataEntrySize * i);
    Put32(out, entry, sectionRva + static_cast<uint32_t>(dataAt[i]));
    Put32(out, entry + 4, static_cast<uint32_t>(leaves[i]->data.size()));
    Put32(out, entry + 8, leaves[i]->codePage);
    std::copy(leaves[i]->data.begin(), leaves[i]->data.end(), out.begin() + static_cast<std::ptrdiff_t>(dataAt[i]));
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const size_t at = static_cast<size_t>(nameAt[i]);
    Put16(out, at, static_cast<uint16_t>(names[i]->size()));
    for (size_t k = 0; k < names[i]->size(); ++k) Put16(out, at + 2 + 2 * k, static_cast<uint16_t>((*names[i])[k]));
  }
  return out;
}

}  // namespace setup::pe
