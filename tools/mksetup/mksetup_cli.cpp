#include "tools/mksetup/mksetup_cli.h"

#include <exception>
#include <optional>

#include "base/error.h"
#include "tools/mksetup/installer_builder.h"
#include "tools/mksetup/installer_report.h"

namespace setup {
namespace {

constexpr char kUsage[] =
    "Usage: mksetup --stub STUB --out OUT [--search-dir DIR]... DESCRIPTION\n"
    "       mksetup --inspect INSTALLER\n"
    "\n"
    "Packs the product that DESCRIPTION (TOML, UTF-8) describes into a copy of\n"
    "the installer STUB, written to OUT. Source files are looked for in the\n"
    "description's folder, then in each DIR.\n"
    "--inspect prints the package of INSTALLER as a description and whether its\n"
    "payload matches the checksum (exit status 3 when it does not, or when the\n"
    "record has problems).\n";

struct Options {
  std::optional<std::string> stub, out, inspect, description;
  std::vector<std::string> searchDirs;
  bool help = false;
};

// Throws setup::Error for a command line that does not parse.
Options ParseOptions(const std::vector<std::string>& args) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw Error(arg + " needs a value");
      return args[++i];
    };
    const auto once = [&](std::optional<std::string>& slot) {
      if (slot) throw Error(arg + " is given twice");
      slot = value();
    };
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--stub") {
      once(o.stub);
    } else if (arg == "--out") {
      once(o.out);
    } else if (arg == "--inspect") {
      once(o.inspect);
    } else if (arg == "--search-dir") {
      o.searchDirs.push_back(value());
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw Error("unknown option " + arg);
    } else if (o.description) {
      throw Error("more than one description: " + *o.description + ", " + arg);
    } else {
      o.description = arg;
    }
  }
  if (o.help) return o;
  if (o.inspect) {
    if (o.stub || o.out || o.description || !o.searchDirs.empty()) throw Error("--inspect takes no other argument");
  } else if (!o.stub || !o.out || !o.description) {
    throw Error("--stub, --out and a description are needed");
  }
  return o;
}

int Inspect(const std::string& installer, std::ostream& out, std::ostream& err) {
  InstallerReport report;
  try {
    report = ReportInstaller(ReadWholeFile(installer));
  } catch (const Error& e) {
    throw Error(installer + ": " + e.what());
  }
  out << "# mksetup --inspect " << installer << "\n" << report.text;
  if (report.sound) return kExitOk;
  err << "mksetup: " << installer << ": the package is damaged (see the comments at the top)\n";
  return kExitDamaged;
}

}  // namespace

int RunMksetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = ParseOptions(args);
  } catch (const Error& e) {
    err << "mksetup: " << e.what() << "\n\n" << kUsage;
    return kExitUsage;
  }
  if (options.help) {
    out << kUsage;
    return kExitOk;
  }
  try {
    if (options.inspect) return Inspect(*options.inspect, out, err);
    BuildRequest request{*options.stub, *options.out, *options.description, {}};
    for (const std::string& dir : options.searchDirs) request.searchDirs.emplace_back(dir);
    BuildInstaller(request);
    return kExitOk;
  } catch (const std::exception& e) {
    err << "mksetup: " << e.what() << "\n";
    return kExitError;
  }
}

}  // namespace setup
