// The main window's handlers other than the page show handlers: start-up,
// navigation, the close request, and the hidden commands.
#include "app/copying_page.h"
#include "app/folder_rules.h"
#include "app/install_engine.h"
#include "app/main_form.h"
#include "app/process_kill.h"
#include "app/site.h"
#include "app/startup.h"
#include "app/web_launch.h"
#include "base/error.h"
#include "decor/ufrmShadowFrame.h"
#include "package/checksum.h"
#include "package/package_resources.h"
#include "package/record_check.h"
#include "shell/folders.h"
#include "ui/application.h"

namespace {

// Every question and notice of the wizard carries this caption.
constexpr char kCaption[] = " TAVRO";
constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION;       // 36
constexpr UINT kNotice = MB_OK | MB_ICONEXCLAMATION;         // 48
constexpr UINT kCancelQuestion = kQuestion | MB_DEFBUTTON2;  // 292

constexpr char kReinstallPrompt[] = "   青岚提示：青岚星软件已经安装,覆盖原来以前的吗？        ";
constexpr char kDamagedPackagePrompt[] = "   青岚提示：文件资源校核不完整,继续吗？      ";
// Asked by Cancel and by a close request before the installation.
constexpr char kQuitConfirmation[] =
    "安装程序还没有完成,如果您现在关闭安装程序，程序将退出安装，\r"
    "您也可以稍后运行安装程序来完成安装。\r\n"
    "要继续安装，请单击“No”按钮；要退出安装，请单击“Yes”按钮。";

constexpr COLORREF kLinkGray = RGB(128, 128, 128);

int Ask(const char* text, UINT flags) { return ui::App().MessageBox(text, kCaption, flags); }

}  // namespace

// ---- the copying page -----------------------------------------------------

void CopyingPage::SetWorkText(const std::string& text) {
  f_.WorkLb.SetText(text);
  f_.WorkLb.SetWidth(300);
  f_.WorkLb.Repaint();
}

void CopyingPage::ShowFileName(const std::string& text) {
  f_.FNameLb.SetText(text);
  f_.FNameLb.SetWidth(300);
  f_.FNameLb.Repaint();
}

void CopyingPage::HideFileName() {
  f_.FNameLb.Hide();
  f_.FNameLb.Repaint();
}

void CopyingPage::SetProgress(int position) { f_.CopyProgress.SetPosition(position); }

void CopyingPage::ReportFileError(const std::string& text) { Ask(text.c_str(), MB_OK | MB_ICONINFORMATION); }

// ---- start-up ---------------------------------------------------------

void TMainForm::FormCreate() {
  try {
    RunStartUp();
  } catch (const std::exception& e) {
    // Reported by the caller now, and again should the user try to install.
    StartUpError = e.what();
    throw;
  }
}

void TMainForm::RunStartUp() {
  LabelPF.SetText(setup::DefaultDriveRoot());
  setup::UnpackConfigThroughTempFile(SetupConfig);
  ui::App().SetTitle(SetupConfig.ProductName() + " 安装向导");

  VendorKeyPath = "\\Software\\" + SetupConfig.Text(setup::field::kVendorName);
  ProductKeyPath = VendorKeyPath + "\\" + SetupConfig.FolderName();
  const setup::PreviousInstallation previous = setup::ReadPreviousInstallation(ProductKeyPath);
  PreviousInstall = previous.installed;
  PreviousFolder = previous.folder;
  SetupConfig.SetText(setup::field::kInstallFolder,
                      setup::InitialInstallFolder(PreviousFolder, LabelPF.Text(), SetupConfig.FolderName()));

  if (PreviousInstall && Ask(kReinstallPrompt, kQuestion) == IDNO) {
    ui::App().Terminate();
    return;
  }

  SetupPayload = std::make_unique<setup::ByteBuffer>(setup::LoadPayload());
  // A record whose tables point outside the payload is as damaged as a
  // payload that fails its sum, and gets the same question.
  const bool intact = setup::ByteSum(SetupPayload->span()) == SetupConfig.PackChecksum() &&
                      setup::FindRecordProblems(SetupConfig, SetupPayload->size()).empty();
  if (!intact && Ask(kDamagedPackagePrompt, kQuestion) == IDNO) {
    ui::App().Terminate();
    return;
  }
  PackageReady = true;

  PageCtl.SetActivePage(0);
  suiURLLabel1.SetLinkColor(kLinkGray);
  Shadow = setup::DecorateMainWindow(ui::App().Handle(), Handle());
}

void TMainForm::FormDestroy() { SetupPayload.reset(); }

// ---- navigation ---------------------------------------------------------

void TMainForm::NextBtClick() {
  Button1.Click();
  Button2.Click();
  suiButton4.Show();
  switch (PageCtl.ActivePage()) {
    case 0: PageCtl.SetActivePage(1); break;
    case 1: PageCtl.SetActivePage(2); break;
    case 2: ValidateFolder(); break;
    case 3: InstallAndFinish(); break;
    case 5: ui::App().Terminate(); break;
    default: break;
  }
}

void TMainForm::PrevBtClick() {
  suiButton4.Hide();
  const int page = PageCtl.ActivePage();
  if (page >= 1 && page <= 3) PageCtl.SetActivePage(page - 1);
}

void TMainForm::suiButton4Click() {
  suiButton4.Hide();
  suiButton4.SetTop(-32);  // for good: the plain Next button serves from now on
  suiButton2.Click();
}

void TMainForm::CancelBtClick() {
  if (InstallInProgress) return;
  const int page = PageCtl.ActivePage();
  if (page <= 3) {
    if (Ask(kQuitConfirmation, kCancelQuestion) == IDYES) ui::App().Terminate();
  } else if (page == 5) {
    if (StartProgramCb.Checked()) BPing.Click();
    ui::App().Terminate();
  }
}

void TMainForm::FormCloseQuery(bool& canClose) {
  if (InstallInProgress) return;  // granted at once: the installation is under way
  if (PageCtl.ActivePage() == 5) {
    canClose = false;  // only Finish ends the program here
    return;
  }
  // The system's own box, like every other question of the wizard.
  canClose = ui::App().MessageBox(kQuitConfirmation, "Confirm", kQuestion) == IDYES;
}

// ---- the folder page ------------------------------------------------------

void TMainForm::ValidateFolder() {
  const std::string folder = setup::TrimFolderText(FolderEd.Text());
  FolderEd.SetText(folder);
  const setup::FolderTextVerdict verdict = setup::JudgeFolderText(folder);
  if (verdict != setup::FolderTextVerdict::kAcceptable) {
    Ask(std::string(setup::FolderRefusalMessage(verdict)).c_str(), kNotice);
    return;
  }
  if (!setup::FolderExists(folder)) {
    if (setup::CreateFolderChain(folder)) {
      StoreInstallFolder();
    } else {
      Ask(setup::kFolderNotCreatedMessage, kNotice);
    }
  }
  if (setup::FolderExists(folder)) {
    StoreInstallFolder();
    PageCtl.SetActivePage(3);
  }
}

void TMainForm::StoreInstallFolder() {
  SetupConfig.SetText(setup::field::kInstallFolder, FolderEd.Text());  // cut to 128 bytes
}

void TMainForm::suiImageButton1Click() {
  const std::string chosen = setup::BrowseForFolder(0, setup::kBrowseFolderTitle);
  if (!chosen.empty()) FolderEd.SetText(setup::ProposedFolder(chosen, SetupConfig.FolderName()));
}

// ---- installation ---------------------------------------------------------

void TMainForm::InstallAndFinish() {
  // Never install from a package that start-up could not load: say why
  // again and stay on the ready page.
  if (!PackageReady) {
    throw setup::Error(StartUpError.empty() ? "The installation package could not be loaded." : StartUpError);
  }
  PageCtl.SetActivePage(4);
  PageCtl.Repaint();
  Panel1.Repaint();
  Label8.Repaint();
  InstallProduct();
  PageCtl.SetActivePage(5);
}

void TMainForm::InstallProduct() {
  InstallInProgress = true;
  CopyingPage view(*this);
  setup::InstallProduct({SetupConfig, SetupPayload->span(), VendorKeyPath, ProductKeyPath}, view);
  InstallInProgress = false;  // stays set when an error ends the run
}

// ---- hidden commands ------------------------------------------------------

void TMainForm::Button1Click() { setup::TerminateProcessesNamed(setup::kProductProcessName); }

void TMainForm::Button2Click() { setup::TerminateProcessesNamed(setup::kUpdaterProcessName); }

void TMainForm::BPingClick() { setup::OpenTutorialPage(SiteBaseUrl, SetupConfig.ProductName()); }
