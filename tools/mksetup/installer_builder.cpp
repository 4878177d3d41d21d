#include "tools/mksetup/installer_builder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "base/error.h"
#include "package/package_builder.h"
#include "tools/mksetup/pe_resources.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }
std::string Reason() { return std::strerror(errno); }

// Closes a descriptor when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, reporting what close reports.
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

// The file that a source path names, or an empty path when no folder has it.
fs::path FindSource(const fs::path& source, const fs::path& descriptionDir, const std::vector<fs::path>& searchDirs) {
  if (source.is_absolute()) return source;
  std::vector<fs::path> candidates{descriptionDir / source};
  for (const fs::path& dir : searchDirs) candidates.push_back(dir / source);
  for (const fs::path& candidate : candidates) {
    std::error_code error;
    if (fs::exists(candidate, error)) return candidate;
  }
  return {};
}

std::string FolderList(const fs::path& descriptionDir, const std::vector<fs::path>& searchDirs) {
  std::string list = Quoted(descriptionDir.empty() ? fs::path(".") : descriptionDir);
  for (const fs::path& dir : searchDirs) list += ", " + Quoted(dir);
  return list;
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const fs::path& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0) throw Error("Cannot read " + Quoted(path) + ": " + Reason());
  if (S_ISDIR(info.st_mode)) throw Error("Cannot read " + Quoted(path) + ": it is a folder");
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Error("Cannot read " + Quoted(path) + ": " + Reason());
    if (n == 0) return bytes;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
}

void WriteFileReplacing(const fs::path& path, std::span<const uint8_t> bytes, unsigned mode) {
  std::string temporary = path.string() + ".XXXXXX";
  FileDescriptor file(::mkstemp(temporary.data()));
  if (file.get() < 0) throw Error("Cannot create a file beside " + Quoted(path) + ": " + Reason());
  try {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(file.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw Error("Cannot write " + Quoted(temporary) + ": " + Reason());
      done += static_cast<size_t>(n);
    }
    if (::fchmod(file.get(), mode) != 0 || !file.Close()) throw Error("Cannot write " + Quoted(temporary) + ": " + Reason());
    if (::rename(temporary.c_str(), path.c_str()) != 0) throw Error("Cannot create " + Quoted(path) + ": " + Reason());
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

std::vector<std::vector<uint8_t>> ReadSources(const std::vector<FileSource>& sources, const fs::path& descriptionDir,
                                              const std::vector<fs::path>& searchDirs) {
  std::vector<std::vector<uint8_t>> files;
  for (const FileSource& source : sources) {
    const fs::path found = FindSource(source.path, descriptionDir, searchDirs);
    if (found.empty()) {
      throw Error(source.location + " \"" + source.path + "\": no such file in " + FolderList(descriptionDir, searchDirs));
    }
    try {
      files.push_back(ReadWholeFile(found));
    } catch (const Error& e) {
      throw Error(source.location + ": " + e.what());
    }
  }
  return files;
}

std::vector<uint8_t> PackInstaller(std::span<const uint8_t> stub, const SetupConfig& config,
                                   const std::vector<std::vector<uint8_t>>& files) {
  PackageResources package = BuildPackage(config, files);
  return AddRcdataResources(stub, {{"SETUPINI", std::move(package.setupIni)}, {"SETUPPACK", std::move(package.setupPack)}});
}

void BuildInstaller(const BuildRequest& request) {
  const std::vector<uint8_t> text = ReadWholeFile(request.description);
  const ProductDescription description =
      ParseDescription({reinterpret_cast<const char*>(text.data()), text.size()}, request.description.string());
  const auto files = ReadSources(description.sources, request.description.parent_path(), request.searchDirs);

  const std::vector<uint8_t> stub = ReadWholeFile(request.stub);
  struct stat info {};
  const unsigned mode = ::stat(request.stub.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0755;
  PackageResources package = BuildPackage(description.config, files);
  std::vector<uint8_t> installer;
  try {
    installer = AddRcdataResources(stub, {{"SETUPINI", std::move(package.setupIni)}, {"SETUPPACK", std::move(package.setupPack)}});
  } catch (const Error& e) {
    throw Error("Stub " + Quoted(request.stub) + ": " + e.what());
  }
  WriteFileReplacing(request.out, installer, mode);
}

}  // namespace setup
