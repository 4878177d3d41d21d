#include "shell/path_text.h"

namespace setup {
namespace {

// The drive part of a path without any backslash: "C:" or nothing.
std::string_view DrivePart(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string_view{};
}

}  // namespace

int LastPos(std::string_view sub, std::string_view s) {
  if (sub.size() > s.size()) return 0;
  // rfind is a byte search from the end; it finds an empty `sub` at s.size().
  const size_t at = s.rfind(sub);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string ShortenPath(std::string_view path, int limit) {
  if (limit >= 0 && static_cast<size_t>(limit) >= path.size()) return std::string(path);
  // LastPos is 0 without a backslash, so the tail then starts at byte 0.
  const std::string_view tail = path.substr(static_cast<size_t>(LastPos("\\", path))).substr(0, 40);
  return std::string(path.substr(0, 3)) + "...\\" + std::string(tail);
}

std::string FolderOfPath(std::string_view path) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return std::string(DrivePart(path));
  const bool keepSlash = slash == 0 || path[slash - 1] == ':';
  return std::string(path.substr(0, keepSlash ? slash + 1 : slash));
}

std::string FolderWithBackslash(std::string_view path) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return std::string(DrivePart(path));
  return std::string(path.substr(0, slash + 1));
}

}  // namespace setup
