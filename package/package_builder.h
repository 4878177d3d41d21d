#pragma once
// Building the two package resources from a record and the files' bytes:
// what mksetup does before it writes them into a copy of the stub, and what
// the Windows tests do to craft packages.
#include <cstdint>
#include <span>
#include <vector>

#include "package/setup_config.h"

namespace setup {

struct PackageResources {
  std::vector<uint8_t> setupIni;   // framed SetupConfig
  std::vector<uint8_t> setupPack;  // framed payload
};

// Lays `files` end to end in table order (entry i gets Offset and Size of
// files[i]), sets FileCount to files.size() and PackChecksum to the byte
// sum, then frames record and payload. The other fields of `config` are
// taken as they are. Throws setup::Error for more than 256 files or a
// payload beyond 2 GiB.
PackageResources BuildPackage(SetupConfig config, const std::vector<std::vector<uint8_t>>& files);

// Frames a record and a payload as they are, with no field changed: for
// crafting damaged packages.
PackageResources FramePackage(const SetupConfig& config, std::span<const uint8_t> payload);

}  // namespace setup
