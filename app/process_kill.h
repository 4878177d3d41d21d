#pragma once
// Ending the running processes of the product's own programs before the
// wizard moves on, so that none of their files is in use.
namespace setup {

// The executables ended by the two hidden buttons ("kill up1", "kill up2").
inline constexpr char kProductProcessName[] = "TAVRO-X.exe";
inline constexpr char kUpdaterProcessName[] = "KMN-D-Up.exe";

// Ends, with exit code -1, every running process whose executable file name
// equals `exeName` (GBK bytes): the whole name, byte for byte, letter case
// significant. The calling process itself is never ended. Does not wait for
// the processes to exit; every failure is silent.
void TerminateProcessesNamed(const char* exeName) noexcept;

}  // namespace setup
