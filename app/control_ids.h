#pragma once
// The window IDs of the main window's controls, and their names. The names
// are those of the window design; the UI driver of the end-to-end tests and
// accessibility tools find the controls by these IDs.
namespace ctl {

enum Id : int {
  // On the window itself.
  kPanel1 = 1001,
  kPageCtl,
  kLabel1,
  kBevel1,
  kSuiButton1,  // Back
  kSuiButton2,  // Next
  kSuiButton3,  // Cancel / Finish
  kSuiButton4,  // Agree
  kButton1,     // hidden: "kill up1"
  kButton2,     // hidden: "kill up2"
  kBPing,       // hidden: "BPing"
  // In the header panel.
  kLabel8 = 1101,  // page title
  kLabel12,        // page subtitle
  kLabel20,
  // The six pages of PageCtl.
  kSheet0 = 1201,
  kSheet1,
  kSheet2,
  kSheet3,
  kSheet4,
  kSheet5,
  // Page 0, welcome.
  kLabel10 = 1301,
  kLabel11,
  kLabel9,
  kNameLb,
  kVerLb,
  kIntroLb,
  kLabel7,
  // Page 1, licence.
  kImage2 = 1401,
  kLabel19,
  kSuiURLLabel1,
  kLabel21,
  // Page 2, folder.
  kLabel16 = 1501,
  kFolderEd,
  kSuiImageButton1,
  kLabelPF,
  // Page 3, ready.
  kLabel2 = 1601,
  kLabel17,
  kFolderLb,
  // Page 4, copying.
  kWorkLb = 1701,
  kFNameLb,
  kCopyProgress,
  // Page 5, finished.
  kImage3 = 1801,
  kLabel4,
  kLabel6,
  kStartProgramCb,
};

struct Name {
  int id;
  const char* name;
};

inline constexpr Name kNames[] = {
    {kPanel1, "Panel1"},       {kPageCtl, "PageCtl"},       {kLabel1, "Label1"},
    {kBevel1, "Bevel1"},       {kSuiButton1, "suiButton1"}, {kSuiButton2, "suiButton2"},
    {kSuiButton3, "suiButton3"}, {kSuiButton4, "suiButton4"}, {kButton1, "Button1"},
    {kButton2, "Button2"},     {kBPing, "BPing"},           {kLabel8, "Label8"},
    {kLabel12, "Label12"},     {kLabel20, "Label20"},       {kSheet0, "Sheet0"},
    {kSheet1, "Sheet1"},       {kSheet2, "Sheet2"},         {kSheet3, "Sheet3"},
    {kSheet4, "Sheet4"},       {kSheet5, "Sheet5"},         {kLabel10, "Label10"},
    {kLabel11, "Label11"},     {kLabel9, "Label9"},         {kNameLb, "NameLb"},
    {kVerLb, "VerLb"},         {kIntroLb, "IntroLb"},       {kLabel7, "Label7"},
    {kImage2, "Image2"},       {kLabel19, "Label19"},       {kSuiURLLabel1, "suiURLLabel1"},
    {kLabel21, "Label21"},     {kLabel16, "Label16"},       {kFolderEd, "FolderEd"},
    {kSuiImageButton1, "suiImageButton1"}, {kLabelPF, "LabelPF"}, {kLabel2, "Label2"},
    {kLabel17, "Label17"},     {kFolderLb, "FolderLb"},     {kWorkLb, "WorkLb"},
    {kFNameLb, "FNameLb"},     {kCopyProgress, "CopyProgress"}, {kImage3, "Image3"},
    {kLabel4, "Label4"},       {kLabel6, "Label6"},         {kStartProgramCb, "StartProgramCb"},
};

inline const char* NameOf(int id) {
  for (const Name& n : kNames) {
    if (n.id == id) return n.name;
  }
  return nullptr;
}

}  // namespace ctl
