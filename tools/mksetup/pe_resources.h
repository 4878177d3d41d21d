#pragma once
// Writing RCDATA resources into a copy of a PE executable, without any
// Windows tool: how mksetup puts a package into the installer stub, and how
// the Windows tests craft installers at run time.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

struct NamedResource {
  std::string name;  // ASCII; stored in upper case, as resource compilers do
  std::vector<uint8_t> bytes;
};

// A copy of `peImage` (PE32 or PE32+) with each of `resources` as an RCDATA
// resource of that name, language neutral. A resource of the same name is
// replaced (all its languages), so an installer can be packed again; every
// other resource is kept. The resource section is laid out anew at the end
// of the image; sections behind it that only hold base relocations move
// with it, and a stub whose resources lie elsewhere (or that has none) gets
// a new section. Image size, initialized-data size, section headers, data
// directories and the checksum are updated; a signature is dropped, since
// the change would invalidate it. The same input gives the same bytes.
// Throws setup::Error when `peImage` is not a PE image that holds together
// or has no room for another section header.
std::vector<uint8_t> AddRcdataResources(std::span<const uint8_t> peImage, const std::vector<NamedResource>& resources);

// The bytes of the RCDATA resource `name` (its first language), or nothing
// when the image has none of that name. Throws setup::Error for an image
// that is not a PE image or whose resource directory is damaged.
std::optional<std::vector<uint8_t>> FindRcdataResource(std::span<const uint8_t> peImage, std::string_view name);

}  // namespace setup
