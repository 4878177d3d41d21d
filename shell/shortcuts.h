#pragma once
// Shortcut files (.lnk) on the current user's desktop and in a group folder
// of the current user's Programs menu. The two folders come from the
// user's "Shell Folders" registry key, as stored. Texts are GBK bytes.
#include <string>
#include <string_view>

namespace setup {

// The "Desktop" and "Programs" values of the current user's key
// Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders, as
// stored (unexpanded); empty when the key or value is missing. Both throw
// setup::Error for a value that is not a string.
std::string GetDesktopFolder();
std::string GetProgramsFolder();

// Writes `folder`\`caption`.lnk (replacing one of that name) pointing at
// `target` with `arguments`, the target's first icon and the target's folder
// (with its trailing backslash) as working directory. Does nothing when COM
// cannot be initialised on the thread. Throws setup::Error when the
// shell-link object cannot be created or lacks an interface; a property or
// the file that cannot be written is ignored (no file results).
void CreateShortcutFile(std::string_view target, std::string_view caption, std::string_view folder,
                        std::string_view arguments);

// A shortcut on the desktop; nothing when the desktop folder is unknown or
// does not exist.
void CreateDesktopShortcut(std::string_view target, std::string_view caption, std::string_view arguments);

// A shortcut in the Programs-menu folder's subfolder `group`, created (one
// level) when missing. Nothing when the Programs folder is unknown or does
// not exist. Leaves the process's current directory in the group folder.
// Throws setup::Error (an I/O error naming the folder) when the group folder
// cannot be entered, before any shortcut is written.
void CreateProgramsShortcut(std::string_view group, std::string_view target, std::string_view caption,
                            std::string_view arguments);

}  // namespace setup
