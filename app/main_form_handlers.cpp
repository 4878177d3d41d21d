// The main window's handlers other than the page show handlers. Their
// bodies come with start-up, navigation, the installation engine, process
// termination and web launching.
#include "app/main_form.h"

// Start-up: unpacks the record, reads the registry, loads the payload.
void TMainForm::FormCreate() {}

// Releases the payload.
void TMainForm::FormDestroy() {}

// Decides whether a close request is granted.
void TMainForm::FormCloseQuery(bool& canClose) { (void)canClose; }

// Back.
void TMainForm::PrevBtClick() {}

// Next: terminates the product's processes, then moves on by page.
void TMainForm::NextBtClick() {}

// Cancel, or Finish on the last page.
void TMainForm::CancelBtClick() {}

// Agree: moves the Agree button away, then runs Next.
void TMainForm::suiButton4Click() {}

// Browse for the install folder.
void TMainForm::suiImageButton1Click() {}

// Terminates the product's first process.
void TMainForm::Button1Click() {}

// Terminates the product's second process.
void TMainForm::Button2Click() {}

// Opens the tutorial page when the machine is online.
void TMainForm::BPingClick() {}
