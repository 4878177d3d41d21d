#pragma once
// The command line of mksetup, as a function the tests can call.
#include <ostream>
#include <string>
#include <vector>

namespace setup {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;      // the message names the field or file
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDamaged = 3;    // --inspect: checksum mismatch or record problems

// Runs mksetup with `args` (without the program name). The description
// printed by --inspect goes to `out`; messages go to `err`.
int RunMksetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace setup
