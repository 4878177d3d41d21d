#pragma once
// A record written back as a product description (the format that
// ParseDescription reads), for `mksetup --inspect`.
#include <string>

#include "package/setup_config.h"

namespace setup {

// The description of `config`: every text field, then the entries in use
// of the three tables. Packing it again (with the same files, found by the
// default Source of each entry) gives the same record, for any record that
// mksetup wrote. Each file's Offset and Size are shown in a comment; a text
// that is not GBK is shown with U+FFFD and a comment saying so.
std::string DescribeRecord(const SetupConfig& config);

// `text` as a TOML string: a literal string ('...') when it holds a
// backslash and nothing that needs an escape, else a basic string.
std::string TomlString(const std::string& text);

}  // namespace setup
