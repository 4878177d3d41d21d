#include "package/record_check.h"

namespace setup {
namespace {

void CheckCount(const char* name, int32_t count, std::vector<std::string>& problems) {
  if (count > kTableCapacity) {
    problems.push_back(std::string(name) + " is " + std::to_string(count) + ", above the table's 256 entries");
  }
}

}  // namespace

bool FileEntryFits(const SetupFileEntry& entry, uint64_t payloadSize) {
  if (entry.offset < 0 || entry.size < 0) return false;
  return static_cast<uint64_t>(entry.offset) + static_cast<uint64_t>(entry.size) <= payloadSize;
}

std::vector<std::string> FindRecordProblems(const SetupConfig& config, uint64_t payloadSize) {
  std::vector<std::string> problems;
  CheckCount("FileCount", config.FileCount(), problems);
  CheckCount("ShortcutCount", config.ShortcutCount(), problems);
  CheckCount("RegValueCount", config.RegValueCount(), problems);

  const int files = EntriesInUse(config.FileCount());
  for (int i = 0; i < files; ++i) {
    const SetupFileEntry e = config.File(i);
    if (!FileEntryFits(e, payloadSize)) {
      problems.push_back("Files[" + std::to_string(i) + "] (Offset " + std::to_string(e.offset) + ", Size " +
                         std::to_string(e.size) + ") lies outside the payload of " +
                         std::to_string(payloadSize) + " bytes");
    }
  }
  const int shortcuts = EntriesInUse(config.ShortcutCount());
  for (int i = 0; i < shortcuts; ++i) {
    const int32_t index = config.Shortcut(i).fileIndex;
    if (index < 0 || index >= files) {
      problems.push_back("Shortcuts[" + std::to_string(i) + "].FileIndex " + std::to_string(index) +
                         " is outside the file table of " + std::to_string(files) + " entries");
    }
  }
  return problems;
}

}  // namespace setup
