#pragma once
// Small functions on paths held as GBK bytes. Every length, position and
// search counts bytes: a double-byte character whose second byte is 0x5C
// counts as a backslash here, as it does for every path function of the
// installer.
#include <string>
#include <string_view>

namespace setup {

// The 1-based byte position of the last occurrence of `sub` in `s`, 0 when
// there is none. An empty `sub` is found after the last byte (length + 1).
int LastPos(std::string_view sub, std::string_view s);

// `path` itself when it is at most `limit` bytes long; otherwise a form for
// display: its first 3 bytes, "...\", then what follows its last backslash
// (the whole path when it has none), cut to 40 bytes. At most 47 bytes.
std::string ShortenPath(std::string_view path, int limit);

// The folder a file lives in: `path` up to its last backslash, without that
// backslash unless it follows the drive's colon ("C:\a\b.txt" -> "C:\a",
// "C:\b.txt" -> "C:\") or is the path's first byte ("\b.txt" -> "\").
// Without any backslash: the drive ("C:b.txt" -> "C:"), else empty.
std::string FolderOfPath(std::string_view path);

// The folder part of `path` with its trailing backslash: up to and
// including its last backslash ("C:\a\b.exe" -> "C:\a\"); without any
// backslash, up to and including the drive's colon ("C:b.exe" -> "C:"),
// else empty. A shortcut's working directory.
std::string FolderWithBackslash(std::string_view path);

}  // namespace setup
