#pragma once
// Reading back what the installer leaves in the shell: link files, folder
// listings, and the prefix's desktop and Programs folders moved to folders
// of the test's choosing.
#include <string>

namespace testing_support {

struct Link {
  std::wstring target, arguments, workingDirectory, iconPath;
  int iconIndex = -1;
};

// What the shell's link object reads from the .lnk file `file`. Needs COM
// on the calling thread.
Link ReadLink(const std::wstring& file);

// The names in `folder`, as the file system stores them, sorted and joined
// by "|"; empty for an empty or missing folder.
std::wstring Names(const std::wstring& folder);

// Points the current user's desktop and Programs folders ("Shell Folders"
// and "User Shell Folders": the shell rewrites the first from the second
// when a link's target is set) at `desktop` and `programs`.
void MoveShellFolders(const std::wstring& desktop, const std::wstring& programs);

}  // namespace testing_support
