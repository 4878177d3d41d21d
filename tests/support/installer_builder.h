#pragma once
// Crafting installers at run time: a copy of the stub with a package of the
// test's own making, as mksetup would write it.
#include <string>
#include <vector>

#include "package/package_builder.h"
#include "package/setup_config.h"

namespace testing_support {

// A small product: vendor, names, version, dates, folder name; no files.
setup::SetupConfig SampleRecord(const std::string& vendor = "TestVendor");

// Writes the stub (StubPath()) with `package` as its SETUPINI and SETUPPACK
// resources to `path`.
void WriteInstaller(const std::wstring& path, const setup::PackageResources& package);

// The text of a file's bytes, for BuildPackage.
std::vector<uint8_t> Bytes(const std::string& text);

}  // namespace testing_support
