#pragma once
// The pieces of start-up that do not need the window: the default drive,
// the lookup of an earlier installation, the initial install folder.
#include <string>

namespace setup {

// "D:\" when a directory named "D: " exists (drive D: present and ready,
// of whatever kind), else "C:\".
std::string DefaultDriveRoot();

struct PreviousInstallation {
  bool installed = false;  // value "Setup" of the product key
  std::string folder;      // value "Folder" of the product key
};

// Reads the product key under HKEY_LOCAL_MACHINE, creating it (empty) when
// missing and the process may. The first failure ends the lookup silently;
// what was not read keeps its initial value.
PreviousInstallation ReadPreviousInstallation(const std::string& productKeyPath);

// The stored folder when it is longer than 3 bytes and an existing
// directory, else the default drive root followed by the folder name.
std::string InitialInstallFolder(const std::string& previousFolder, const std::string& driveRoot,
                                 const std::string& folderName);

}  // namespace setup
