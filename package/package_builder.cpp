#include "package/package_builder.h"

#include <limits>
#include <string>

#include "base/error.h"
#include "package/checksum.h"
#include "package/framing.h"

namespace setup {

PackageResources BuildPackage(SetupConfig config, const std::vector<std::vector<uint8_t>>& files) {
  if (files.size() > static_cast<size_t>(kTableCapacity)) {
    throw Error("A package holds at most 256 files, not " + std::to_string(files.size()));
  }
  std::vector<uint8_t> payload;
  for (size_t i = 0; i < files.size(); ++i) {
    if (payload.size() + files[i].size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      throw Error("The files of a package add up to at most 2 GiB");
    }
    SetupFileEntry entry = config.File(static_cast<int>(i));
    entry.offset = static_cast<int32_t>(payload.size());
    entry.size = static_cast<int32_t>(files[i].size());
    config.SetFile(static_cast<int>(i), entry);
    payload.insert(payload.end(), files[i].begin(), files[i].end());
  }
  config.SetInt(field::kFileCount, static_cast<int32_t>(files.size()));
  config.SetInt(field::kPackChecksum, static_cast<int32_t>(ByteSum(payload)));
  return FramePackage(config, payload);
}

PackageResources FramePackage(const SetupConfig& config, std::span<const uint8_t> payload) {
  return {DeflateFramed(config.bytes()), DeflateFramed(payload)};
}

}  // namespace setup
