// Installers packed at run time by the PE resource writer, read back by
// Windows itself: the resource loader finds the package and the stub's own
// resources, and the packed installer still starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "package/package_builder.h"
#include "package/setup_config.h"
#include "tests/support/test_paths.h"
#include "tools/mksetup/pe_resources.h"
#include "win/handles.h"

namespace setup {
namespace {

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::StubPath;
using testing_support::WriteFileBytes;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
std::string Text(const std::vector<uint8_t>& b) { return {b.begin(), b.end()}; }

PackageResources SmallPackage() {
  SetupConfig config;
  config.SetText(field::kVendorName, "Zentak");
  config.SetText(field::kProductName, "TAVRO-X");
  config.SetText(field::kFolderName, "TAVRO-X");
  config.SetFile(0, {"\\TAVRO-X.exe", 0, 1, 0, 0});
  config.SetFile(1, {"\\Readme.txt", 0, 1, 0, 0});
  return BuildPackage(config, {Bytes("MZ program bytes"), Bytes("自述\r\n")});
}

// An installer written to `folder`, from the stub and `resources`.
std::wstring PackInto(const ScratchFolder& folder, const std::vector<NamedResource>& resources) {
  const std::string stub = ReadFileBytes(StubPath());
  const std::vector<uint8_t> installer = AddRcdataResources(Bytes(stub), resources);
  const std::wstring path = folder.path() + L"\\setup.exe";
  WriteFileBytes(path, Text(installer));
  return path;
}

// The bytes of a resource as the loader finds it, or nothing.
std::optional<std::string> LoadedResource(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC info = FindResourceW(module, name, type);
  HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) return std::nullopt;
  return std::string(static_cast<const char*>(data), SizeofResource(module, info));
}

class DataModule {
 public:
  explicit DataModule(const std::wstring& path)
      : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  ~DataModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

TEST(PackedInstaller, LoaderFindsThePackageAndTheStubsResources) {
  ScratchFolder folder(L"packed");
  const PackageResources package = SmallPackage();
  // Names in any case and around the package's, so that the loader's
  // binary search over the sorted names is put to work.
  const std::vector<NamedResource> resources = {{"zulu", Bytes("z")},
                                                {"setuppack", package.setupPack},
                                                {"ALPHA", Bytes("a")},
                                                {"SETUPINI", package.setupIni},
                                                {"SETUP", Bytes("prefix of both")}};
  const DataModule module(PackInto(folder, resources));
  ASSERT_NE(module.get(), nullptr) << GetLastError();

  EXPECT_EQ(LoadedResource(module.get(), L"SETUPINI", RT_RCDATA), Text(package.setupIni));
  EXPECT_EQ(LoadedResource(module.get(), L"SetupPack", RT_RCDATA), Text(package.setupPack));
  EXPECT_EQ(LoadedResource(module.get(), L"ZULU", RT_RCDATA), "z");
  EXPECT_EQ(LoadedResource(module.get(), L"alpha", RT_RCDATA), "a");
  EXPECT_EQ(LoadedResource(module.get(), L"SETUP", RT_RCDATA), "prefix of both");
  EXPECT_FALSE(LoadedResource(module.get(), L"SETUPINIX", RT_RCDATA).has_value());

  const auto manifest = LoadedResource(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_TRUE(manifest.has_value());
  EXPECT_NE(manifest->find("requireAdministrator"), std::string::npos);
  EXPECT_TRUE(LoadedResource(module.get(), MAKEINTRESOURCEW(1), RT_VERSION).has_value());
}

TEST(PackedInstaller, PackedTwiceTheLoaderSeesTheNewPackage) {
  ScratchFolder folder(L"repacked");
  const PackageResources package = SmallPackage();
  const std::string stub = ReadFileBytes(StubPath());
  const std::vector<uint8_t> first = AddRcdataResources(Bytes(stub), {{"SETUPINI", Bytes("old")}, {"SETUPPACK", Bytes("old")}});
  const std::vector<uint8_t> second = AddRcdataResources(first, {{"SETUPINI", package.setupIni}});
  WriteFileBytes(folder.path() + L"\\setup.exe", Text(second));

  const DataModule module(folder.path() + L"\\setup.exe");
  ASSERT_NE(module.get(), nullptr) << GetLastError();
  EXPECT_EQ(LoadedResource(module.get(), L"SETUPINI", RT_RCDATA), Text(package.setupIni));
  EXPECT_EQ(LoadedResource(module.get(), L"SETUPPACK", RT_RCDATA), "old");
}

}  // namespace
}  // namespace setup
