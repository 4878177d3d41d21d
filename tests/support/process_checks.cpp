#include "process_checks.h"

#include <tlhelp32.h>

namespace testing_support {

LaunchCounter::LaunchCounter() : job_(CreateJobObjectW(nullptr, nullptr)) {
  AssignProcessToJobObject(job_.get(), GetCurrentProcess());
}

unsigned long LaunchCounter::Total() const {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr);
  return info.TotalProcesses;
}

std::wstring ListedName(DWORD pid) {
  const win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == pid) return entry.szExeFile;
  }
  return {};
}

}  // namespace testing_support
