#include "installer_builder.h"

#include "test_paths.h"
#include "tools/mksetup/pe_resources.h"

namespace testing_support {

setup::SetupConfig SampleRecord(const std::string& vendor) {
  using namespace setup::field;
  setup::SetupConfig c;
  c.SetText(kAuthorName, vendor);
  c.SetText(kVendorName, vendor);
  c.SetText(kWebSite, "http://www.example.com/");
  c.SetText(kVersionText, "V18.5");
  c.SetText(kReleaseDate, "20131113");
  c.SetText(kProductName, "TAVRO-X");
  c.SetText(kFolderName, "TAVRO-X");
  c.SetText(kIntroText, "一款小巧实用的系统工具。\r\n");
  c.SetText(kInstallDate, "20040201");
  c.SetText(kSecondDate, "20040202");
  c.SetText(kInstallFolder, "H:\\000\\demo");
  return c;
}

void WriteInstaller(const std::wstring& path, const setup::PackageResources& package) {
  const std::string stub = ReadFileBytes(StubPath());
  const std::vector<uint8_t> image = setup::AddRcdataResources(
      std::span(reinterpret_cast<const uint8_t*>(stub.data()), stub.size()),
      {{"SETUPINI", package.setupIni}, {"SETUPPACK", package.setupPack}});
  WriteFileBytes(path, std::string(image.begin(), image.end()));
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace testing_support
