// The PE resource writer on the real installer stubs (PE32+ from the win64
// build, PE32 from the win32 build), cross-checked with icoutils' wrestool
// and binutils' objdump, and on damaged images.
#include "tools/mksetup/pe_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"
#include "tools/mksetup/installer_builder.h"
#include "tools/mksetup/pe_image.h"
#include "test_files.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

using testing_support::HaveTool;
using testing_support::RunCommand;
using testing_support::StubOfBuild;
using testing_support::TempDir;
using testing_support::TinyPeImage;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
std::string Text(const std::vector<uint8_t>& b) { return {b.begin(), b.end()}; }

std::vector<uint8_t> Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

struct Stub {
  const char* build;    // the build folder beside build/native
  const char* objdump;  // binutils of that target
};

void PrintTo(const Stub& stub, std::ostream* out) { *out << stub.build; }

class PeResourcesOnStub : public testing::TestWithParam<Stub> {
 protected:
  void SetUp() override {
    const fs::path path = StubOfBuild(GetParam().build);
    if (!fs::exists(path)) GTEST_SKIP() << path << " is not built yet";
    stub_ = ReadWholeFile(path);
  }

  fs::path Save(const std::vector<uint8_t>& image, const std::string& name) {
    const fs::path path = dir_.path() / name;
    WriteFileReplacing(path, image, 0644);
    return path;
  }

  // wrestool's extraction of one resource, raw.
  std::string Extract(const fs::path& file, const std::string& type, const std::string& name) {
    return RunCommand("wrestool -x --raw --type=" + type + " --name=" + name + " '" + file.string() + "'").output;
  }

  std::vector<uint8_t> stub_;
  TempDir dir_;
};

const std::vector<NamedResource> kPackage = {{"SETUPINI", Noise(661, 1)}, {"SETUPPACK", Noise(300001, 2)}};

TEST_P(PeResourcesOnStub, OurChecksumEqualsTheLinkers) {
  const pe::PeHeaders pe = pe::ReadPeHeaders(stub_);
  EXPECT_EQ(pe::PeChecksum(stub_, pe.CheckSumAt()), ReadUInt32LE(stub_, pe.CheckSumAt()));
}

TEST_P(PeResourcesOnStub, WrestoolFindsNewResourcesAndKeepsTheStubs) {
  if (!HaveTool("wrestool")) GTEST_SKIP() << "wrestool (icoutils) is not installed";
  const fs::path stub = Save(stub_, "stub.exe");
  const fs::path out = Save(AddRcdataResources(stub_, kPackage), "out.exe");

  const std::string listing = RunCommand("wrestool -l '" + out.string() + "'").output;
  EXPECT_NE(listing.find("--type=10 --name='SETUPINI' --language=0"), std::string::npos) << listing;
  EXPECT_NE(listing.find("--type=10 --name='SETUPPACK' --language=0"), std::string::npos) << listing;
  EXPECT_EQ(Extract(out, "10", "SETUPINI"), Text(kPackage[0].bytes));
  EXPECT_EQ(Extract(out, "10", "SETUPPACK"), Text(kPackage[1].bytes));
  // The stub's manifest and version information, byte for byte.
  for (const char* type : {"24", "16"}) {
    const std::string original = Extract(stub, type, "1");
    EXPECT_FALSE(original.empty()) << "type " << type;
    EXPECT_EQ(Extract(out, type, "1"), original) << "type " << type;
  }
}

TEST_P(PeResourcesOnStub, HeadersStayConsistent) {
  const std::vector<uint8_t> out = AddRcdataResources(stub_, kPackage);
  const pe::PeHeaders before = pe::ReadPeHeaders(stub_);
  const pe::PeHeaders after = pe::ReadPeHeaders(out);

  // The stub has .rsrc then .reloc: .rsrc is rebuilt where it was and the
  // relocations move, unchanged, behind it.
  ASSERT_EQ(after.sections.size(), before.sections.size());
  const pe::Section& rsrc = after.sections[after.sections.size() - 2];
  const pe::Section& reloc = after.sections.back();
  const pe::Section& oldReloc = before.sections.back();
  EXPECT_EQ(rsrc.virtualAddress, before.sections[before.sections.size() - 2].virtualAddress);
  EXPECT_EQ(after.Directory(pe::kResourceDirectory).rva, rsrc.virtualAddress);
  EXPECT_EQ(after.Directory(pe::kBaseRelocDirectory).rva, reloc.virtualAddress);
  EXPECT_EQ(after.Directory(pe::kBaseRelocDirectory).size, before.Directory(pe::kBaseRelocDirectory).size);
  EXPECT_GE(reloc.virtualAddress, rsrc.VirtualEnd());
  EXPECT_TRUE(std::equal(out.begin() + reloc.pointerToRawData, out.begin() + reloc.pointerToRawData + reloc.sizeOfRawData,
                         stub_.begin() + oldReloc.pointerToRawData));

  EXPECT_EQ(ReadUInt32LE(out, after.SizeOfImageAt()), pe::AlignUp(reloc.VirtualEnd(), after.sectionAlignment));
  EXPECT_EQ(after.sizeOfInitializedData - before.sizeOfInitializedData,
            rsrc.sizeOfRawData - before.sections[before.sections.size() - 2].sizeOfRawData);
  EXPECT_EQ(out.size(), reloc.RawEnd());
  EXPECT_EQ(ReadUInt32LE(out, after.CheckSumAt()), pe::PeChecksum(out, after.CheckSumAt()));
  EXPECT_NE(ReadUInt32LE(out, after.CheckSumAt()), ReadUInt32LE(stub_, before.CheckSumAt()));
}

// Everything objdump reads of the imports is the same before and after.
TEST_P(PeResourcesOnStub, ObjdumpSeesTheSameImports) {
  const std::string objdump = GetParam().objdump;
  if (!HaveTool(objdump)) GTEST_SKIP() << objdump << " is not installed";
  const auto imports = [&](const fs::path& file) {
    const std::string all = RunCommand(objdump + " -p '" + file.string() + "'").output;
    const size_t begin = all.find("The Import Tables");
    const size_t end = all.find("\nThe ", begin + 1);
    return begin == std::string::npos ? std::string() : all.substr(begin, end - begin);
  };
  const std::string before = imports(Save(stub_, "stub.exe"));
  EXPECT_FALSE(before.empty());
  EXPECT_EQ(imports(Save(AddRcdataResources(stub_, kPackage), "out.exe")), before);
}

TEST_P(PeResourcesOnStub, SameInputSameBytes) {
  EXPECT_EQ(AddRcdataResources(stub_, kPackage), AddRcdataResources(stub_, kPackage));
}

TEST_P(PeResourcesOnStub, PackingAgainReplacesTheResources) {
  const std::vector<uint8_t> first = AddRcdataResources(stub_, kPackage);
  const std::vector<uint8_t> again = AddRcdataResources(first, {{"setupini", Bytes("new record")}});
  EXPECT_EQ(FindRcdataResource(again, "SETUPINI"), Bytes("new record"));
  EXPECT_EQ(FindRcdataResource(again, "SETUPPACK"), kPackage[1].bytes);
  EXPECT_EQ(pe::ReadPeHeaders(again).sections.size(), pe::ReadPeHeaders(stub_).sections.size());
  // Packing the same resources again gives the first installer back.
  EXPECT_EQ(AddRcdataResources(again, {kPackage[0]}), first);
  if (HaveTool("wrestool")) {
    const std::string listing = RunCommand("wrestool -l '" + Save(again, "again.exe").string() + "'").output;
    EXPECT_EQ(listing.find("SETUPINI"), listing.rfind("SETUPINI")) << listing;
  }
}

// A stub without resources gets a section of its own; nothing moves.
TEST_P(PeResourcesOnStub, StubWithoutResourcesGetsANewSection) {
  std::vector<uint8_t> bare = stub_;
  const pe::PeHeaders pe = pe::ReadPeHeaders(bare);
  WriteInt32LE(bare, pe.DirectoryAt(pe::kResourceDirectory), 0);
  WriteInt32LE(bare, pe.DirectoryAt(pe::kResourceDirectory) + 4, 0);
  EXPECT_FALSE(FindRcdataResource(bare, "SETUPINI").has_value());

  const std::vector<uint8_t> out = AddRcdataResources(bare, kPackage);
  const pe::PeHeaders after = pe::ReadPeHeaders(out);
  ASSERT_EQ(after.sections.size(), pe.sections.size() + 1);
  EXPECT_EQ(after.Directory(pe::kResourceDirectory).rva, after.sections.back().virtualAddress);
  EXPECT_EQ(after.Directory(pe::kBaseRelocDirectory).rva, pe.Directory(pe::kBaseRelocDirectory).rva);
  EXPECT_EQ(FindRcdataResource(out, "SETUPPACK"), kPackage[1].bytes);
  EXPECT_EQ(ReadUInt32LE(out, after.CheckSumAt()), pe::PeChecksum(out, after.CheckSumAt()));
  if (HaveTool("wrestool")) {
    EXPECT_EQ(Extract(Save(out, "bare.exe"), "10", "SETUPINI"), Text(kPackage[0].bytes));
  }
}

TEST_P(PeResourcesOnStub, SignatureIsDropped) {
  std::vector<uint8_t> signed_ = stub_;
  const pe::PeHeaders pe = pe::ReadPeHeaders(signed_);
  const std::vector<uint8_t> certificate = Noise(0x300, 3);
  WriteInt32LE(signed_, pe.DirectoryAt(pe::kSecurityDirectory), static_cast<int32_t>(signed_.size()));
  WriteInt32LE(signed_, pe.DirectoryAt(pe::kSecurityDirectory) + 4, static_cast<int32_t>(certificate.size()));
  signed_.insert(signed_.end(), certificate.begin(), certificate.end());

  const std::vector<uint8_t> out = AddRcdataResources(signed_, kPackage);
  const pe::PeHeaders after = pe::ReadPeHeaders(out);
  EXPECT_EQ(after.Directory(pe::kSecurityDirectory).rva, 0u);
  EXPECT_EQ(after.Directory(pe::kSecurityDirectory).size, 0u);
  EXPECT_EQ(out.size(), after.RawEnd());
  EXPECT_EQ(out, AddRcdataResources(stub_, kPackage));
}

// Cut short or with damaged header bytes, the stub gives an error or a
// consistent image, and never a read outside the buffer (ASan watches).
TEST_P(PeResourcesOnStub, DamagedCopiesFailCleanly) {
  for (size_t size = 0; size < stub_.size(); size += stub_.size() / 97 + 1) {
    const std::vector<uint8_t> cut(stub_.begin(), stub_.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(AddRcdataResources(cut, kPackage), Error) << "cut at " << size;
  }
  const std::vector<NamedResource> small = {{"SETUPPACK", Bytes("payload")}};
  std::mt19937 random(4);
  const pe::PeHeaders pe = pe::ReadPeHeaders(stub_);
  const pe::Section& rsrc = pe.sections[pe.sections.size() - 2];
  for (int i = 0; i < 400; ++i) {
    std::vector<uint8_t> damaged = stub_;
    // Headers, or the resource directory's first bytes.
    const size_t at = i % 2 ? random() % pe.sizeOfHeaders : rsrc.pointerToRawData + random() % 0x100;
    damaged[at] = static_cast<uint8_t>(random());
    try {
      const std::vector<uint8_t> out = AddRcdataResources(damaged, small);
      EXPECT_EQ(FindRcdataResource(out, "SETUPPACK"), small[0].bytes) << "byte " << at;
    } catch (const Error&) {
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stubs, PeResourcesOnStub,
                         testing::Values(Stub{"win64", "x86_64-w64-mingw32-objdump"}, Stub{"win32", "i686-w64-mingw32-objdump"}),
                         [](const testing::TestParamInfo<Stub>& info) { return std::string(info.param.build); });

// A symbol table after the sections stays after them, its pointer moved.
TEST(PeResources, DataAfterTheSectionsFollowsThem) {
  std::vector<uint8_t> image = TinyPeImage();
  const std::vector<uint8_t> symbols = Noise(72, 5);
  WriteInt32LE(image, 0x84 + 8, static_cast<int32_t>(image.size()));
  image.insert(image.end(), symbols.begin(), symbols.end());

  const std::vector<uint8_t> out = AddRcdataResources(image, {{"SETUPINI", Noise(3000, 6)}});
  const pe::PeHeaders pe = pe::ReadPeHeaders(out);
  ASSERT_EQ(out.size(), pe.RawEnd() + symbols.size());
  EXPECT_EQ(pe.pointerToSymbolTable, pe.RawEnd());
  EXPECT_TRUE(std::equal(symbols.begin(), symbols.end(), out.begin() + static_cast<std::ptrdiff_t>(pe.RawEnd())));
}

struct DamagedImage {
  const char* name;
  std::vector<uint8_t> image;
  const char* message;  // part of the error's text
};

TEST(PeResources, TinyImageTakesResources) {
  const std::vector<uint8_t> out = AddRcdataResources(TinyPeImage(), {{"SETUPINI", Bytes("abc")}});
  EXPECT_EQ(FindRcdataResource(out, "SETUPINI"), Bytes("abc"));
  EXPECT_FALSE(FindRcdataResource(out, "OTHER").has_value());
}

TEST(PeResources, DamagedImagesAreRefused) {
  const auto with = [](auto change) {
    std::vector<uint8_t> image = TinyPeImage();
    change(image);
    return image;
  };
  const size_t opt = 0x84 + 20, rsrc = 0x400;
  const std::vector<DamagedImage> cases = {
      {"empty", {}, "no MZ header"},
      {"MZ only", Bytes("MZ"), "no MZ header"},
      {"no PE signature", with([](auto& i) { i[0x80] = 'X'; }), "no PE signature"},
      {"PE header beyond the end", with([](auto& i) { WriteInt32LE(i, 0x3c, 0x7FFFFFF0); }), "ends too early"},
      {"unknown optional header", with([&](auto& i) { WriteUInt16LE(i, opt, 0x107); }), "unknown optional header"},
      {"optional header too small", with([](auto& i) { WriteUInt16LE(i, 0x84 + 16, 100); }), "optional header too small"},
      {"section table beyond the headers", with([](auto& i) { WriteUInt16LE(i, 0x84 + 2, 60000); }), "section table outside the headers"},
      {"file alignment 0", with([&](auto& i) { WriteInt32LE(i, opt + 36, 0); }), "bad alignment"},
      {"section beyond the file", with([&](auto& i) { WriteInt32LE(i, opt + 240 + 40 + 20, 0x7FFFFF00); }), "section 1 lies outside the file"},
      {"resources outside every section", with([&](auto& i) { WriteInt32LE(i, opt + 112 + 16, 0x9000); }), "address 36864 (16 bytes) lies outside"},
      {"directory entry count beyond the section",
       with([&](auto& i) { WriteUInt16LE(i, rsrc + 14, 0xFFFF); }), "lies outside the file"},
      {"subdirectory offset out of range", with([&](auto& i) {
         WriteUInt16LE(i, rsrc + 14, 1);
         WriteInt32LE(i, rsrc + 16, 10);
         WriteInt32LE(i, rsrc + 20, static_cast<int32_t>(0x80000000u | 0x7FFFFF00u));
       }), "lies outside the file"},
      {"directory that contains itself", with([&](auto& i) {
         WriteUInt16LE(i, rsrc + 14, 1);
         WriteInt32LE(i, rsrc + 16, 10);
         WriteInt32LE(i, rsrc + 20, static_cast<int32_t>(0x80000000u));
       }), "nests too deeply"},
      {"data entry beyond the file", with([&](auto& i) {
         WriteUInt16LE(i, rsrc + 14, 1);
         WriteInt32LE(i, rsrc + 16, 10);
         WriteInt32LE(i, rsrc + 20, 0x20);
         WriteInt32LE(i, rsrc + 0x20, 0x2100);     // data RVA
         WriteInt32LE(i, rsrc + 0x24, 0x1000000);  // size
       }), "adds up to more than the image"},
      {"name string beyond the section", with([&](auto& i) {
         WriteUInt16LE(i, rsrc + 12, 1);
         WriteInt32LE(i, rsrc + 16, static_cast<int32_t>(0x80000000u | 0x1F0));
         WriteUInt16LE(i, rsrc + 0x1F0, 0x4000);
       }), "lies outside the file"},
  };
  for (const DamagedImage& c : cases) {
    try {
      AddRcdataResources(c.image, kPackage);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
    }
    EXPECT_THROW(FindRcdataResource(c.image, "SETUPINI"), Error) << c.name;
  }
}

TEST(PeResources, ResourceNamesArePlainAscii) {
  EXPECT_THROW(AddRcdataResources(TinyPeImage(), {{"", Bytes("x")}}), Error);
  EXPECT_THROW(AddRcdataResources(TinyPeImage(), {{"SETUP INI", Bytes("x")}}), Error);
  EXPECT_THROW(AddRcdataResources(TinyPeImage(), {{"\xC3\xA9", Bytes("x")}}), Error);
}

}  // namespace
}  // namespace setup
