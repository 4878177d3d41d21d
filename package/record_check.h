#pragma once
// Validation of a record against its payload. A writer keeps the counts
// within 256, every shortcut's FileIndex within the file table and every
// file inside the payload; a record that breaks one of these is damaged and
// must not be installed from without the user's consent.
#include <cstdint>
#include <string>
#include <vector>

#include "package/setup_config.h"

namespace setup {

// Whether the entry's bytes lie wholly inside a payload of `payloadSize`.
bool FileEntryFits(const SetupFileEntry& entry, uint64_t payloadSize);

// One line per problem, naming the field (empty when the record is valid).
std::vector<std::string> FindRecordProblems(const SetupConfig& config, uint64_t payloadSize);

}  // namespace setup
