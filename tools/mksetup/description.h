#pragma once
// The product description that mksetup packs: a TOML file (UTF-8) whose
// keys are the record's field names. See tools/mksetup/README.md.
#include <string>
#include <string_view>
#include <vector>

#include "package/setup_config.h"

namespace setup {

// The caption that the builder leaves in the first shortcut entry after the
// ones in use (its template for a new row), as installers have always had it.
inline constexpr char kShortcutTemplateCaption[] = "快捷名称";

// Where the bytes of one packed file come from.
struct FileSource {
  std::string path;      // UTF-8, as the description gives it
  std::string location;  // "product.toml:12: Files[2].Source", for messages
};

struct ProductDescription {
  // Texts and tables, with FileCount set and each file's Offset and Size
  // still 0; BuildPackage lays the files out and sets PackChecksum.
  SetupConfig config;
  std::vector<FileSource> sources;  // one per Files entry, in table order
};

// Parses and checks a description. `name` names it in messages. Throws
// setup::Error whose text names the place and the field: a TOML syntax
// error, an unknown key, a value of the wrong type or outside its range, a
// text that GBK cannot hold or that is too long for its field (128 bytes, a
// date 8), a table of more than 256 entries, a file path that does not begin
// with a backslash, climbs out of the install folder or repeats another, a
// shortcut naming a file that is not packed.
ProductDescription ParseDescription(std::string_view toml, const std::string& name);

}  // namespace setup
