#include "tools/mksetup/installer_report.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "base/error.h"
#include "package/checksum.h"
#include "package/framing.h"
#include "package/record_check.h"
#include "package/setup_config.h"
#include "tools/mksetup/description_writer.h"
#include "tools/mksetup/pe_resources.h"

namespace setup {
namespace {

ByteBuffer InflatedResource(std::span<const uint8_t> installer, const char* name) {
  const auto framed = FindRcdataResource(installer, name);
  if (!framed) throw Error(std::string("The executable has no ") + name + " resource; it is not a packed installer");
  try {
    return InflateFramed(*framed);
  } catch (const Error& e) {
    throw Error(std::string(name) + ": " + e.what());
  }
}

}  // namespace

InstallerReport ReportInstaller(std::span<const uint8_t> installer) {
  const ByteBuffer record = InflatedResource(installer, "SETUPINI");
  const ByteBuffer payload = InflatedResource(installer, "SETUPPACK");
  SetupConfig config;
  std::copy_n(record.data(), std::min(record.size(), kConfigSize), config.bytes().begin());

  InstallerReport report;
  std::ostringstream out;
  const bool whole = record.size() >= kConfigSize;
  if (!whole) {
    out << "# SETUPINI holds only " << record.size() << " of the record's " << kConfigSize
        << " bytes; the rest reads as zero\n";
  }
  const uint32_t sum = ByteSum(payload.span());
  const bool matches = sum == config.PackChecksum();
  out << "# SETUPPACK: " << payload.size() << " bytes, byte sum " << sum << "; PackChecksum " << config.PackChecksum()
      << (matches ? ": matches\n" : ": DOES NOT MATCH\n");
  const std::vector<std::string> problems = FindRecordProblems(config, payload.size());
  for (const std::string& problem : problems) out << "# Problem: " << problem << "\n";
  out << "\n" << DescribeRecord(config);

  report.text = out.str();
  report.sound = whole && matches && problems.empty();
  return report;
}

}  // namespace setup
