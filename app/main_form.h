#pragma once
// TMainForm: the installer's one window. It holds every control of the
// layout (main_form_layout.cpp), the state that start-up builds, and the
// event handlers: the page show handlers (main_form_pages.cpp) and the
// rest (main_form_handlers.cpp).
//
// The object is large (it holds the whole record): create it on the heap.
#include <memory>
#include <string>

#include "decor/ufrmShadowFrame.h"
#include "package/framing.h"
#include "package/setup_config.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/page_control.h"
#include "ui/picture.h"
#include "ui/skinned_buttons.h"
#include "ui/standard_controls.h"

class TMainForm : public ui::Form {
 public:
  // Builds the hidden window with all its controls, design texts and
  // pictures, and wires the handlers. Needs an initialised ui::Application.
  // FormCreate is not called here: the program entry calls it next, so a
  // window can also be built without a package.
  TMainForm();
  // Removes the drop shadow, runs FormDestroy, then destroys the window.
  ~TMainForm() override;

  // ---- state ----------------------------------------------------------
  setup::SetupConfig SetupConfig;
  std::unique_ptr<setup::ByteBuffer> SetupPayload;
  std::string VendorKeyPath;
  std::string ProductKeyPath;
  std::string PreviousFolder;
  bool PreviousInstall = false;
  bool InstallInProgress = false;
  // Set once start-up has loaded and checked the package (or the user chose
  // to go on with a damaged one); the engine never runs without it.
  bool PackageReady = false;
  // The error that ended start-up, reported again on an attempt to install.
  std::string StartUpError;
  // The drop shadow that follows the window, attached at the end of start-up.
  std::unique_ptr<setup::TFormShadow> Shadow;

  // ---- controls, in creation order (later ones lie above) -------------
  ui::Label Label1;  // the maker's host name
  ui::Bevel Bevel1;
  ui::PageControl PageCtl;
  ui::Page Sheet0, Sheet1, Sheet2, Sheet3, Sheet4, Sheet5;
  // Page 0, welcome.
  ui::Label Label10, Label11, Label9, NameLb, VerLb, IntroLb, Label7;
  // Page 1, licence.
  ui::Picture Image2;
  ui::Label Label19;
  ui::LinkLabel suiURLLabel1;
  ui::Label Label21;
  // Page 2, choose folder.
  ui::Label Label16;
  ui::Edit FolderEd;
  ui::PictureButton suiImageButton1;
  ui::Label LabelPF;  // hidden: holds the default drive root
  // Page 3, ready.
  ui::Label Label2, Label17, FolderLb;
  // Page 4, copying.
  ui::Label WorkLb, FNameLb;
  ui::ProgressBar CopyProgress;
  // Page 5, finished.
  ui::Picture Image3;
  ui::Label Label4, Label6;
  ui::CheckBox StartProgramCb;
  // Navigation: Back, Next, Cancel (Finish on page 5), Agree.
  ui::SkinButton suiButton1, suiButton2, suiButton3, suiButton4;
  // Hidden commands, clicked by code only.
  ui::Button Button1, Button2, BPing;
  // The header and its texts.
  ui::Panel Panel1;
  ui::Label Label8, Label12, Label20;

  // ---- handlers -------------------------------------------------------
  void FormCreate();
  void FormDestroy();
  void FormCloseQuery(bool& canClose);
  void Sheet0Show();
  void Sheet1Show();
  void Sheet2Show();
  void Sheet3Show();
  void Sheet4Show();
  void Sheet5Show();
  void PrevBtClick();
  void NextBtClick();
  void CancelBtClick();
  void suiButton4Click();
  void suiImageButton1Click();
  void Button1Click();
  void Button2Click();
  void BPingClick();

 private:
  void RunStartUp();
  void ValidateFolder();
  void StoreInstallFolder();
  void InstallAndFinish();
  void InstallProduct();

  void CreateControls();
  void CreatePages();
  void LoadPictures();
  void WireEvents();
};
