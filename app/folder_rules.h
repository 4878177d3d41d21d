#pragma once
// The text rules of the folder page: how the typed folder is trimmed and
// judged before anything touches the disk, the messages that refuse it, and
// the folder that the browse button proposes. Texts are GBK bytes.
#include <string>
#include <string_view>

namespace setup {

// Refusals of the folder page, shown with the flags MB_OK | MB_ICONEXCLAMATION.
inline constexpr char kFolderEmptyMessage[] = "  提示：请选择目标文件夹！     ";
inline constexpr char kFolderNotFullPathMessage[] = "必须指定完全路径!\r\n比如:\r\nC:\\TAVRO-Y";
inline constexpr char kFolderIsDriveRootMessage[] = "  提示：不能安装到驱动器的根目录下!  ";
inline constexpr char kFolderNotCreatedMessage[] = "  提示：创建子文件夹失败！         ";

// The title of the folder browser.
inline constexpr char kBrowseFolderTitle[] = "选择安装目标文件夹";

enum class FolderTextVerdict {
  kAcceptable,   // goes on to the existence test and folder creation
  kEmpty,        // kFolderEmptyMessage
  kNotFullPath,  // kFolderNotFullPathMessage: under 2 bytes, or no ':' second
  kDriveRoot,    // kFolderIsDriveRootMessage: ':' last or next-to-last
};

// `text` without its leading and trailing bytes up to 0x20 (blanks and
// control characters). Bytes of 0x80 and above are text and stay.
std::string TrimFolderText(std::string_view text);

// The verdict on an already trimmed folder text.
FolderTextVerdict JudgeFolderText(std::string_view trimmed);

// The message that refuses `verdict`; empty for kAcceptable.
std::string_view FolderRefusalMessage(FolderTextVerdict verdict);

// The folder text the browse button proposes for a chosen folder: a drive
// root (under 4 bytes, already ending in a backslash) gets `folderName`
// appended directly, any deeper folder a backslash and then `folderName`.
std::string ProposedFolder(std::string_view chosen, std::string_view folderName);

}  // namespace setup
