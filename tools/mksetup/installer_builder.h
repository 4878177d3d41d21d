#pragma once
// Building an installer: the description and the product's files packed
// into a copy of the stub.
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "package/setup_config.h"
#include "tools/mksetup/description.h"

namespace setup {

struct BuildRequest {
  std::filesystem::path stub;
  std::filesystem::path out;
  std::filesystem::path description;
  // Where relative Source paths are looked for after the description's own
  // folder (built programs, say).
  std::vector<std::filesystem::path> searchDirs;
};

// The bytes of each source, in table order. A relative path is looked for
// in `descriptionDir`, then in each of `searchDirs`, and the first existing
// file is taken. Throws setup::Error naming the entry and the file when one
// is missing or cannot be read.
std::vector<std::vector<uint8_t>> ReadSources(const std::vector<FileSource>& sources,
                                              const std::filesystem::path& descriptionDir,
                                              const std::vector<std::filesystem::path>& searchDirs);

// `stub` with the package built from `config` and `files` as its SETUPINI
// and SETUPPACK resources.
std::vector<uint8_t> PackInstaller(std::span<const uint8_t> stub, const SetupConfig& config,
                                   const std::vector<std::vector<uint8_t>>& files);

// Reads, checks and packs; writes `out` through a temporary file beside
// it, so that a failure leaves no output (and an older `out` unchanged).
// The output gets the stub's permissions. Throws setup::Error.
void BuildInstaller(const BuildRequest& request);

// The whole file; throws setup::Error naming it with the system's reason.
std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `path`, then renames it to
// `path`. Throws setup::Error; the temporary file is removed on failure.
void WriteFileReplacing(const std::filesystem::path& path, std::span<const uint8_t> bytes, unsigned mode);

}  // namespace setup
