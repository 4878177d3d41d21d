#pragma once
// The installation: every packed file into the install folder, "G_ls.cx",
// the registry entries, the shortcuts. It runs synchronously on the GUI
// thread and shows its progress through an InstallView.
#include <cstdint>
#include <span>
#include <string>

#include "package/setup_config.h"

namespace setup {

// The copying page, as the engine sees it. Every change is painted before
// the call returns: the engine processes no window messages.
class InstallView {
 public:
  virtual ~InstallView() = default;
  virtual void SetWorkText(const std::string& text) = 0;  // the step, 300 pixels wide
  virtual void ShowFileName(const std::string& text) = 0;  // the file, 300 pixels wide
  virtual void HideFileName() = 0;
  virtual void SetProgress(int position) = 0;  // 0 to 100
  // A modal notice (OK button, information icon) about a file that could
  // not be written; the run goes on once it is dismissed.
  virtual void ReportFileError(const std::string& text) = 0;
};

struct InstallInputs {
  const SetupConfig& config;
  std::span<const uint8_t> payload;  // the inflated file pack
  std::string vendorKeyPath;         // "\Software\" + VendorName
  std::string productKeyPath;        // vendorKeyPath + "\" + FolderName
};

// The first line of the file-error notice; the target path follows it.
inline constexpr char kFileErrorText[] = "安装下列文件时发生错误，\r\n建议重新启动后再次安装!\r\n";

// Runs the whole installation. Errors it does not handle itself (writing
// "G_ls.cx", the product's own registry values, the shell-link object, the
// Programs-menu group) end the run and leave it as setup::Error.
void InstallProduct(const InstallInputs& in, InstallView& view);

// The file phase of InstallProduct alone: every file entry into the install
// folder, in table order, with the file name and the progress on the view.
// A file that cannot be written is reported on the view and the run goes on.
void InstallFiles(const InstallInputs& in, InstallView& view);

}  // namespace setup
