#pragma once
// The one error type of the system. Its text is what the user reads in the
// default error report, in UTF-8 (converted at the Windows boundary).
#include <stdexcept>
#include <string>

namespace setup {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace setup
