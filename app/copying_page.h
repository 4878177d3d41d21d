#pragma once
// The copying page of the main window (WorkLb, FNameLb, CopyProgress) as
// the installation engine sees it: every change is painted at once.
#include <string>

#include "app/install_engine.h"

class TMainForm;

class CopyingPage : public setup::InstallView {
 public:
  explicit CopyingPage(TMainForm& form) : f_(form) {}
  void SetWorkText(const std::string& text) override;
  void ShowFileName(const std::string& text) override;
  void HideFileName() override;
  void SetProgress(int position) override;
  // The application's message box: caption " TAVRO", OK, information icon.
  void ReportFileError(const std::string& text) override;

 private:
  TMainForm& f_;
};
