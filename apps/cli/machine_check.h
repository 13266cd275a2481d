#pragma once
// The checks a machine row must pass before the job record can rely on it: every template
// expands through the job record's own expansion, on a probe job in a throw-away copy of the
// job database's tables, without a placeholder left over, and the job and NC folders name a
// drive, a share or a native folder.
#include <string>
#include <utility>
#include <vector>

namespace kx::cli {

// Column name and value (text) of one machine row; Machine first.
using MachineValues = std::vector<std::pair<std::string, std::string>>;

// The job used to try the templates.
inline constexpr const char* kProbeJob = "A100";

struct MachineProbe {
  std::string dirJob;  // the probe job's job folder
  std::string dirNc;   // and its NC folder
};

// Refuses (UsageError, naming the column, the template and what is wrong) a directory type
// outside 0..255 or a template that does not expand. dbName is the real job database, whose
// further columns are valid placeholders too.
MachineProbe CheckMachine(const std::string& dbName, const MachineValues& row);

}  // namespace kx::cli
