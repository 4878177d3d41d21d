// mksetup through its command line: the errors of a description, the
// record it writes, the round trip through --inspect, and damaged packages.
#include "tools/mksetup/mksetup_cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "package/checksum.h"
#include "package/framing.h"
#include "package/package_builder.h"
#include "package/setup_config.h"
#include "test_files.h"
#include "tools/mksetup/description.h"
#include "tools/mksetup/installer_builder.h"
#include "tools/mksetup/pe_resources.h"

namespace setup {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::TinyPeImage;
using testing_support::Utf8;

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// The record inside an installer.
SetupConfig RecordOf(const std::vector<uint8_t>& installer) {
  const ByteBuffer record = InflateFramed(FindRcdataResource(installer, "SETUPINI").value());
  SetupConfig config;
  std::copy_n(record.data(), std::min(record.size(), kConfigSize), config.bytes().begin());
  return config;
}

class Mksetup : public testing::Test {
 protected:
  struct Outcome {
    int status;
    std::string out;
    std::string err;
  };

  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_.path() / name;
    fs::create_directories(path.parent_path());
    WriteFileReplacing(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0644);
    return path;
  }

  Outcome Run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunMksetup(args, out, err);
    return {status, out.str(), err.str()};
  }

  // Packs `description` (UTF-8) into out.exe from `stub`.
  Outcome Build(const std::string& description, const fs::path& stub, const std::string& name = "product.toml") {
    const fs::path path = Write(name, description);
    return Run({"--stub", stub.string(), "--out", Out().string(), path.string()});
  }

  fs::path Out() const { return dir_.path() / "out.exe"; }

  // Whether anything of the output (or a temporary file of it) is there.
  bool OutputLeft() const {
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      if (entry.path().filename().string().rfind("out.exe", 0) == 0) return true;
    }
    return false;
  }

  TempDir dir_{"mksetup_test"};
};

const std::string kTop = Utf8(u8R"(VendorName = "Zentak"
ProductName = "TAVRO-X"
FolderName = "TAVRO-X"
)");

const std::string kFile = Utf8(u8R"(
[[Files]]
RelPath = '\app.exe'
Source = "app.bin"
)");

std::string FileAt(const std::string& relPath, const std::string& source = "app.bin") {
  return "\n[[Files]]\nRelPath = '" + relPath + "'\nSource = \"" + source + "\"\n";
}

std::string ShortcutTo(const std::string& target) {
  return "\n[[Shortcuts]]\nCaption = \"App\"\n" + target + "\nPlace = \"desktop\"\n";
}

struct ErrorCase {
  const char* name;
  std::string description;  // UTF-8
  std::string message;      // part of the message, UTF-8
};

TEST_F(Mksetup, DescriptionErrorsNameTheFieldAndLeaveNoOutput) {
  Write("app.bin", "MZ program");
  fs::create_directories(dir_.path() / "folder");
  const fs::path notAStub = Write("stub.exe", "not even a PE image");
  const std::string regValue = "\n[[RegValues]]\nValueName = \"a\"\nKeyPath = '\\K'\nIntValue = 1\n";
  const std::vector<ErrorCase> cases = {
      {"TOML syntax", kTop + "VersionText =\n", "product.toml:4:"},
      {"unknown key", kTop + "ProductNmae = \"x\"\n", "product.toml:4: ProductNmae is not a known key"},
      {"missing product name", "VendorName = \"Zentak\"\nFolderName = \"TAVRO-X\"\n", "ProductName is missing"},
      {"text of the wrong type", kTop + "VersionText = 5\n", "product.toml:4: VersionText must be a string"},
      {"character GBK cannot hold", kTop + Utf8(u8"CopyrightText = \"版权所有 😀\"\n"),
       Utf8(u8"product.toml:4: CopyrightText holds the character \"😀\" (U+1F600), which GBK cannot hold")},
      {"text over 128 bytes", kTop + "CopyrightText = \"" + Repeat(Utf8(u8"版"), 65) + "\"\n",
       "CopyrightText is 130 bytes long in GBK; at most 128 fit"},
      {"date over 8 bytes", kTop + "ReleaseDate = \"2013-11-13\"\n", "ReleaseDate is 10 bytes long in GBK; at most 8 fit"},
      {"field mksetup works out", kTop + "PackChecksum = 5\n", "PackChecksum is worked out by mksetup"},
      {"table of 257 entries", kTop + kFile + Repeat(regValue, 257), "RegValues has 257 entries; a table holds at most 256"},
      {"Files not an array of tables", kTop + "Files = 3\n", "Files must be an array of tables"},
      {"path without a leading backslash", kTop + FileAt("app.exe"),
       "product.toml:6: Files[0].RelPath \"app.exe\" must begin with a backslash"},
      {"path that climbs out", kTop + FileAt("\\..\\app.exe"), "Files[0].RelPath \"\\..\\app.exe\" climbs out of the install folder"},
      {"path that climbs out at its end", kTop + FileAt("\\bin\\.."), "climbs out of the install folder"},
      {"path that names a folder", kTop + FileAt("\\bin\\"), "Files[0].RelPath \"\\bin\\\" names no file"},
      {"path with a wildcard", kTop + FileAt("\\*.exe"), "holds a character that a file name cannot hold"},
      {"path that repeats another", kTop + kFile + FileAt("\\APP.exe"), "Files[1].RelPath \"\\APP.exe\" names the same file as Files[0]"},
      {"path with a backslash trail byte", kTop + FileAt(Utf8(u8"\\乗.exe")), "ends in a backslash byte"},
      {"source file missing", kTop + kFile + FileAt("\\x.txt", "missing.txt"),
       "product.toml:11: Files[1].Source \"missing.txt\": no such file in"},
      {"source is a folder", kTop + FileAt("\\x.txt", "folder"), "Files[0].Source: Cannot read"},
      {"shortcut to a file not packed", kTop + kFile + ShortcutTo("File = '\\none.exe'"),
       "Shortcuts[0].File \"\\none.exe\" names no packed file"},
      {"shortcut index beyond the files", kTop + kFile + ShortcutTo("FileIndex = 1"),
       "Shortcuts[0].FileIndex 1 names no packed file; the package has 1"},
      {"shortcut without a target", kTop + kFile + ShortcutTo(""), "Shortcuts[0].File is missing"},
      {"shortcut with an unknown place", kTop + kFile + "\n[[Shortcuts]]\nCaption = \"App\"\nFileIndex = 0\nPlace = \"top\"\n",
       "Shortcuts[0].Place must be \"desktop\", \"group\", \"both\", or a number from 0 to 255"},
      {"caption with a backslash", kTop + kFile + "\n[[Shortcuts]]\nCaption = 'a\\b'\nFileIndex = 0\nPlace = 0\n",
       "Shortcuts[0].Caption \"a\\b\" holds a character that a file name cannot hold"},
      {"registry value of no kind", kTop + "\n[[RegValues]]\nValueName = \"a\"\nKeyPath = 'K'\nIntValue = 1\nStringValue = \"x\"\n",
       "RegValues[0].Kind is missing"},
      {"integer beyond 32 bits", kTop + "\n[[RegValues]]\nValueName = \"a\"\nKeyPath = 'K'\nIntValue = 2147483648\n",
       "RegValues[0].IntValue is 2147483648; it must lie from -2147483648 to 2147483647"},
      {"stub that is not a PE image", kTop + kFile, "Stub \"" + notAStub.string() + "\": Not a valid PE image"},
  };
  for (const ErrorCase& c : cases) {
    const Outcome outcome = Build(c.description, notAStub);
    EXPECT_EQ(outcome.status, kExitError) << c.name;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << c.name << ": " << outcome.err;
    EXPECT_FALSE(OutputLeft()) << c.name;
  }
}

TEST_F(Mksetup, MissingDescriptionIsAnError) {
  const Outcome outcome = Run({"--stub", "stub.exe", "--out", Out().string(), (dir_.path() / "none.toml").string()});
  EXPECT_EQ(outcome.status, kExitError);
  EXPECT_NE(outcome.err.find("none.toml\": No such file or directory"), std::string::npos) << outcome.err;
}

TEST_F(Mksetup, CommandLineMistakesShowTheUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--stub", "s.exe", "--out", "o.exe"},
      {"--stub", "s.exe", "--out", "o.exe", "a.toml", "b.toml"},
      {"--stub", "s.exe", "--stub", "t.exe", "--out", "o.exe", "a.toml"},
      {"--inspect", "x.exe", "--out", "o.exe"},
      {"--inspect"},
      {"--bogus"},
  };
  for (const auto& args : cases) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_NE(outcome.err.find("Usage: mksetup"), std::string::npos);
  }
  EXPECT_EQ(Run({"--help"}).status, kExitOk);
}

// A description that uses every kind of field; texts at their capacity,
// quotes, CR LF, Chinese paths, an empty file, all four value kinds.
const std::string kFullDescription = Utf8(u8R"(AuthorName = "Zentak"
VendorName = "Zentak"
WebSite = "https://www.example.com/"
)") + "CopyrightText = \"" + Repeat(Utf8(u8"版"), 64) + "\"\n" + Utf8(u8R"(VersionText = "V18.5"
ReleaseDate = "20131113"
ProductName = "TAVRO-X"
FolderName = "TAVRO-X"
CategoryText = "共享软件,系统工具"
IntroText = "一款\"小巧\"的工具。\tTab\r\n"
InstallDate = "20040201"
SecondDate = "20040202"
InstallFolder = 'H:\000\demo'

[[Files]]
RelPath = '\TAVRO-X.exe'
Source = "bin/tavro.bin"

[[Files]]
RelPath = '\说明\自述.txt'

[[Files]]
RelPath = '\empty.dat'
EntryFlag = 7

[[Shortcuts]]
Caption = "TAVRO-X"
File = '\tavro-x.EXE'
Place = "both"
Arguments = '/start "x"'

[[Shortcuts]]
Caption = "自述"
FileIndex = 1
Place = 1

[[Shortcuts]]
Caption = "Odd"
File = '\empty.dat'
Place = 7

[[RegValues]]
ValueName = "Enabled"
KeyPath = '\Software\Zentak\TAVRO-X'
BoolValue = true

[[RegValues]]
ValueName = "Skin"
UseCurrentUser = true
KeyPath = '\Software\Zentak'
StringValue = "蓝色"

[[RegValues]]
ValueName = "Count"
KeyPath = '\Software\Zentak'
IntValue = -5

[[RegValues]]
ValueName = ""
KeyPath = '\Software\Zentak\Empty'
Kind = 3
)");

class MksetupWithStub : public Mksetup {
 protected:
  void SetUp() override {
    stub_ = testing_support::StubOfBuild("win64");
    if (!fs::exists(stub_)) GTEST_SKIP() << stub_ << " is not built yet";
    // The sources, where the description names them and where a
    // description without Source finds them.
    for (const char* name : {"bin/tavro.bin", "TAVRO-X.exe"}) Write(name, "MZ the product's program");
    Write(Utf8(u8"说明/自述.txt"), Utf8(u8"自述文件\r\n"));
    Write("empty.dat", "");
  }
  fs::path stub_;
};

TEST_F(MksetupWithStub, WritesTheRecordAsDescribed) {
  const Outcome outcome = Build(kFullDescription, stub_);
  ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
  const std::vector<uint8_t> installer = ReadWholeFile(Out());
  const SetupConfig c = RecordOf(installer);

  EXPECT_EQ(c.ProductName(), "TAVRO-X");
  EXPECT_EQ(c.Text(field::kCategoryText), "共享软件,系统工具");
  EXPECT_EQ(c.Text(field::kIntroText), "一款\"小巧\"的工具。\tTab\r\n");
  EXPECT_EQ(c.Text(field::kCopyrightText).size(), 128u);
  EXPECT_EQ(c.InstallFolder(), "H:\\000\\demo");

  ASSERT_EQ(c.FileCount(), 3);
  EXPECT_EQ(c.File(1).relPath, "\\说明\\自述.txt");
  const std::vector<int32_t> sizes = {24, 14, 0};
  for (int i = 0, offset = 0; i < 3; offset += sizes[static_cast<size_t>(i)], ++i) {
    EXPECT_EQ(c.File(i).offset, offset) << i;
    EXPECT_EQ(c.File(i).size, sizes[static_cast<size_t>(i)]) << i;
  }
  EXPECT_EQ(c.File(0).entryFlag, 1);
  EXPECT_EQ(c.File(2).entryFlag, 7);
  const ByteBuffer payload = InflateFramed(FindRcdataResource(installer, "SETUPPACK").value());
  EXPECT_EQ(c.PackChecksum(), ByteSum(payload.span()));

  ASSERT_EQ(c.ShortcutCount(), 3);
  EXPECT_EQ(c.Shortcut(0).fileIndex, 0);
  EXPECT_EQ(c.Shortcut(0).place, 2);
  EXPECT_EQ(c.Shortcut(0).arguments, "/start \"x\"");
  EXPECT_EQ(c.Shortcut(1).caption, "自述");
  EXPECT_EQ(c.Shortcut(2).fileIndex, 2);
  EXPECT_EQ(c.Shortcut(2).place, 7);
  EXPECT_EQ(c.Shortcut(3).caption, "快捷名称");  // the template row beyond the count

  ASSERT_EQ(c.RegValueCount(), 4);
  EXPECT_EQ(c.RegValue(0).kind, 0);
  EXPECT_EQ(c.RegValue(0).boolValue, 1);
  EXPECT_EQ(c.RegValue(1).kind, 1);
  EXPECT_EQ(c.RegValue(1).useCurrentUser, 1);
  EXPECT_EQ(c.RegValue(1).stringValue, "蓝色");
  EXPECT_EQ(c.RegValue(2).kind, 2);
  EXPECT_EQ(c.RegValue(2).intValue, -5);
  EXPECT_EQ(c.RegValue(3).kind, 3);
  EXPECT_EQ(c.RegValue(3).keyPath, "\\Software\\Zentak\\Empty");
}

TEST_F(MksetupWithStub, InspectOutputPacksBackToTheSameInstaller) {
  ASSERT_EQ(Build(kFullDescription, stub_).status, kExitOk);
  const std::vector<uint8_t> first = ReadWholeFile(Out());

  const Outcome inspected = Run({"--inspect", Out().string()});
  ASSERT_EQ(inspected.status, kExitOk) << inspected.err;
  EXPECT_NE(inspected.out.find("PackChecksum " + std::to_string(RecordOf(first).PackChecksum()) + ": matches"),
            std::string::npos) << inspected.out;
  EXPECT_EQ(inspected.out.find("# Problem"), std::string::npos);

  const Outcome again = Build(inspected.out, stub_, "inspected.toml");
  ASSERT_EQ(again.status, kExitOk) << again.err << "\n" << inspected.out;
  EXPECT_EQ(ReadWholeFile(Out()), first) << inspected.out;
}

// Packages that mksetup would not write, packed by hand into a small image.
class MksetupInspect : public Mksetup {
 protected:
  Outcome Inspect(const SetupConfig& config, const std::vector<uint8_t>& payload, size_t recordSize = kConfigSize) {
    std::vector<uint8_t> record(config.bytes().begin(), config.bytes().begin() + static_cast<std::ptrdiff_t>(recordSize));
    const std::vector<uint8_t> installer =
        AddRcdataResources(TinyPeImage(), {{"SETUPINI", DeflateFramed(record)}, {"SETUPPACK", DeflateFramed(payload)}});
    WriteFileReplacing(Out(), installer, 0644);
    return Run({"--inspect", Out().string()});
  }

  static SetupConfig OneFile() {
    SetupConfig config;
    config.SetText(field::kProductName, "TAVRO-X");
    config.SetFile(0, {"\\a.txt", 0, 1, 0, 3});
    config.SetInt(field::kFileCount, 1);
    config.SetInt(field::kPackChecksum, 'a' + 'b' + 'c');
    return config;
  }
};

TEST_F(MksetupInspect, SoundPackageExitsZero) {
  const Outcome outcome = Inspect(OneFile(), {'a', 'b', 'c'});
  EXPECT_EQ(outcome.status, kExitOk) << outcome.out;
  EXPECT_NE(outcome.out.find("SETUPPACK: 3 bytes, byte sum 294; PackChecksum 294: matches"), std::string::npos) << outcome.out;
}

TEST_F(MksetupInspect, ChecksumMismatchIsReported) {
  const Outcome outcome = Inspect(OneFile(), {'a', 'b', 'd'});
  EXPECT_EQ(outcome.status, kExitDamaged);
  EXPECT_NE(outcome.out.find("byte sum 295; PackChecksum 294: DOES NOT MATCH"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.err.find("damaged"), std::string::npos);
}

TEST_F(MksetupInspect, RecordProblemsAreListed) {
  SetupConfig config = OneFile();
  config.SetShortcut(0, {"App", 5, 0, ""});
  config.SetInt(field::kShortcutCount, 1);
  const Outcome outcome = Inspect(config, {'a', 'b', 'c'});
  EXPECT_EQ(outcome.status, kExitDamaged);
  EXPECT_NE(outcome.out.find("# Problem: Shortcuts[0].FileIndex 5 is outside the file table"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("FileIndex = 5"), std::string::npos) << outcome.out;
}

TEST_F(MksetupInspect, ShortRecordIsReported) {
  const Outcome outcome = Inspect(OneFile(), {'a', 'b', 'c'}, 1000);
  EXPECT_EQ(outcome.status, kExitDamaged);
  EXPECT_NE(outcome.out.find("SETUPINI holds only 1000 of the record's 207160 bytes"), std::string::npos) << outcome.out;
}

TEST_F(MksetupInspect, TextThatIsNotGbkIsMarked) {
  SetupConfig config = OneFile();
  config.SetText(field::kVersionText, "V\xFF");
  const Outcome outcome = Inspect(config, {'a', 'b', 'c'});
  EXPECT_NE(outcome.out.find("# VersionText holds bytes that are not GBK"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find(Utf8(u8"VersionText = \"V\uFFFD\"")), std::string::npos) << outcome.out;
}

TEST_F(Mksetup, InspectingSomethingElseIsAnError) {
  const fs::path image = dir_.path() / "plain.exe";
  WriteFileReplacing(image, TinyPeImage(), 0644);
  Outcome outcome = Run({"--inspect", image.string()});
  EXPECT_EQ(outcome.status, kExitError);
  EXPECT_NE(outcome.err.find("has no SETUPINI resource"), std::string::npos) << outcome.err;

  outcome = Run({"--inspect", Write("notes.txt", "hello").string()});
  EXPECT_EQ(outcome.status, kExitError);
  EXPECT_NE(outcome.err.find("Not a valid PE image"), std::string::npos) << outcome.err;
}

}  // namespace
}  // namespace setup
