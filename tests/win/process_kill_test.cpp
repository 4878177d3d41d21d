// The process walk against real processes: copies of a stand-in program
// started under the product's names and under names that must not match.
#include "app/process_kill.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process_checks.h"
#include "tests/support/test_paths.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using testing_support::ListedName;
using testing_support::ScratchFolder;

constexpr DWORD kWaitMs = 30000;
constexpr DWORD kEndedByWalk = 0xFFFFFFFF;

std::wstring BesideThisProgram(const std::wstring& name) {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.rfind(L'\\') + 1) + name;
}

struct Child {
  std::wstring name;
  win::UniqueHandle process;
  DWORD pid = 0;

  DWORD ExitCodeAfterEnd() const {
    if (WaitForSingleObject(process.get(), kWaitMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
  }
  bool Running() const { return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
};

class ProcessWalk : public ::testing::Test {
 protected:
  ~ProcessWalk() override {
    for (auto& child : children_) {
      if (child->Running()) TerminateProcess(child->process.get(), 0);
      WaitForSingleObject(child->process.get(), kWaitMs);
    }
  }

  // Starts the stand-in as `name`, in a folder of its own (names that differ
  // only in letter case cannot share a folder), and waits until the process
  // list shows it under that name (a process is listed with its name only
  // once it has started).
  Child& Start(const std::wstring& name, const std::wstring& arguments = L"") {
    const std::wstring folder = scratch_.path() + L"\\" + std::to_wstring(children_.size());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = folder + L"\\" + name;
    EXPECT_TRUE(CopyFileW(BesideThisProgram(L"test_stand_in.exe").c_str(), exe.c_str(), FALSE));

    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &info);
    EXPECT_TRUE(started) << win::Utf8FromWide(exe);
    auto child = std::make_unique<Child>();
    child->name = name;
    child->process.reset(info.hProcess);
    child->pid = info.dwProcessId;
    if (info.hThread) CloseHandle(info.hThread);

    const DWORD deadline = GetTickCount() + kWaitMs;
    while (ListedName(child->pid) != name && child->Running() && GetTickCount() < deadline) Sleep(20);
    // A walker may be done before it is seen; everything else must be listed.
    if (child->Running()) {
      EXPECT_EQ(ListedName(child->pid), name);
    }
    children_.push_back(std::move(child));
    return *children_.back();
  }

 private:
  ScratchFolder scratch_{L"walk"};
  std::vector<std::unique_ptr<Child>> children_;
};

TEST_F(ProcessWalk, EndsEveryProcessOfTheExactNameOnly) {
  Child& first = Start(L"TAVRO-X.exe");
  Child& second = Start(L"TAVRO-X.exe");
  Child& otherCase = Start(L"tavro-x.exe");
  Child& suffix = Start(L"TAVRO-X.exe.bak");
  Child& prefix = Start(L"xTAVRO-X.exe");
  Child& updater = Start(L"KMN-D-Up.exe");

  setup::TerminateProcessesNamed(setup::kProductProcessName);

  EXPECT_EQ(first.ExitCodeAfterEnd(), kEndedByWalk);
  EXPECT_EQ(second.ExitCodeAfterEnd(), kEndedByWalk);
  for (const Child* survivor : {&otherCase, &suffix, &prefix, &updater}) {
    EXPECT_TRUE(survivor->Running()) << win::Utf8FromWide(survivor->name);
  }

  setup::TerminateProcessesNamed(setup::kUpdaterProcessName);
  EXPECT_EQ(updater.ExitCodeAfterEnd(), kEndedByWalk);
  EXPECT_TRUE(otherCase.Running());
}

TEST_F(ProcessWalk, NoMatchingProcessChangesNothing) {
  Child& other = Start(L"other.exe");
  setup::TerminateProcessesNamed(setup::kProductProcessName);
  setup::TerminateProcessesNamed(setup::kUpdaterProcessName);
  EXPECT_TRUE(other.Running());
}

TEST_F(ProcessWalk, NeverEndsTheWalkingProcessItself) {
  // An installer that carries the product's name runs the walk for it: it
  // ends the other process of that name and survives (exit code 7).
  Child& other = Start(L"TAVRO-X.exe");
  Child& walker = Start(L"TAVRO-X.exe", L"walk TAVRO-X.exe");
  EXPECT_EQ(walker.ExitCodeAfterEnd(), 7u);
  EXPECT_EQ(other.ExitCodeAfterEnd(), kEndedByWalk);
}

}  // namespace
