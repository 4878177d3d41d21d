#pragma once
// The package carried by the running executable: the RCDATA resources
// "SETUPINI" (the framed record) and "SETUPPACK" (the framed payload).
#include <cstdint>
#include <span>
#include <string>

#include "package/framing.h"
#include "package/setup_config.h"

namespace setup {

inline constexpr wchar_t kConfigResource[] = L"SETUPINI";
inline constexpr wchar_t kPayloadResource[] = L"SETUPPACK";

// The bytes of an RCDATA resource of the executable's own module, as
// stored. Throws setup::Error when it is missing.
std::span<const uint8_t> OwnResource(const wchar_t* name);

// The running executable's folder, always ending in a backslash. Taken in
// UTF-16, so a folder name that GBK cannot hold works too.
std::wstring ExecutableFolder();

// Writes the SETUPINI bytes, unchanged, to `fileName`, replacing a file of
// that name. Throws setup::Error naming the full path and the system's
// reason when the file cannot be created or written.
void SaveConfigResource(const std::wstring& fileName);

// Reads a framed record from `fileName` into `config` (up to 207160 bytes;
// a shorter record fills only the start). A missing file changes nothing.
void LoadConfigFile(const std::wstring& fileName, SetupConfig& config);

// Start-up's passage of the record through "tmp.cx" beside the executable:
// save, load, delete. The file stays behind only when loading fails.
void UnpackConfigThroughTempFile(SetupConfig& config);

// The inflated SETUPPACK.
ByteBuffer LoadPayload();

// Tests only: read the package from `module` (an installer loaded as data)
// and take `folder` (ending in a backslash) as the executable's folder.
// Null and empty restore the running executable.
void SetPackageSourceForTesting(void* module, std::wstring folder);

}  // namespace setup
