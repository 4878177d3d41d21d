#include "app/startup.h"

#include <windows.h>

#include "shell/folders.h"
#include "win/registry.h"

namespace setup {

std::string DefaultDriveRoot() {
  // "D: " with its blank: the system drops the blank and tests drive D:'s
  // current directory, which exists exactly when the drive is ready.
  return FolderExists("D: ") ? "D:\\" : "C:\\";
}

PreviousInstallation ReadPreviousInstallation(const std::string& productKeyPath) {
  PreviousInstallation previous;
  try {
    win::Registry registry(HKEY_LOCAL_MACHINE, GENERIC_READ | KEY_SET_VALUE);
    registry.OpenKey(productKeyPath, true);  // without a key the next read fails
    previous.installed = registry.ReadBool("Setup");
    registry.ReadString("Version");  // read as the lookup always has; not used
    previous.folder = registry.ReadString("Folder");
  } catch (const std::exception&) {
    // A failed lookup only means no earlier installation is known.
  }
  return previous;
}

std::string InitialInstallFolder(const std::string& previousFolder, const std::string& driveRoot,
                                 const std::string& folderName) {
  if (previousFolder.size() > 3 && FolderExists(previousFolder)) return previousFolder;
  return driveRoot + folderName;
}

}  // namespace setup
