#pragma once
// What `mksetup --inspect` shows of an installer: its record as a product
// description, whether the payload matches its checksum, and what is wrong
// with the record.
#include <cstdint>
#include <span>
#include <string>

namespace setup {

struct InstallerReport {
  // Comment lines (the payload's size and byte sum against PackChecksum,
  // one line per problem of the record), then the record as a description.
  std::string text;
  // The payload matches PackChecksum, the record is whole and has no problem.
  bool sound = false;
};

// Throws setup::Error when `installer` is not a PE image, lacks SETUPINI or
// SETUPPACK, or one of them does not inflate.
InstallerReport ReportInstaller(std::span<const uint8_t> installer);

}  // namespace setup
