#pragma once
// Looking at processes from a test: which ones a test started, and what the
// system's process list calls them.
#include <windows.h>

#include <string>

#include "win/handles.h"

namespace testing_support {

// Counts the processes this test program and its children start: the
// program runs in a job, which every process started from it joins.
class LaunchCounter {
 public:
  LaunchCounter();
  unsigned long Total() const;

 private:
  win::UniqueHandle job_;
};

// The name the process list shows for `pid`, empty when it is not listed.
std::wstring ListedName(DWORD pid);

}  // namespace testing_support
