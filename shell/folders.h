#pragma once
// Folders on disk and the shell's folder browser. Paths are GBK bytes; they
// reach Windows through an explicit code page 936 conversion and the W
// functions, whatever the machine's ANSI code page is.
#include <string>
#include <string_view>

namespace setup {

// Creates every missing folder along `path`, component by component (split
// at each backslash byte, the backslash kept with the component before it:
// "C:\", "C:\a\", "C:\a\b"). Existing folders are left alone; when the
// whole path is a folder already, nothing else is checked. Returns true
// when every folder of the chain exists or was created, false at the first
// one that cannot be created; the folders created before it stay. An empty
// path is true.
bool CreateFolderChain(std::string_view path);

// Whether `path` names an existing folder (a file does not count).
bool FolderExists(std::string_view path);

// Shows the shell's folder browser, owned by the active window and rooted at
// the shell special folder `rootFolder` (0: the desktop, the whole
// namespace), with `title` above the tree; only file-system folders can be
// chosen. Returns the chosen folder's path (a drive root with its trailing
// backslash, deeper folders without), or empty when the browser is
// cancelled, fails, or the folder has no path that GBK can represent.
std::string BrowseForFolder(int rootFolder, std::string_view title);

}  // namespace setup
