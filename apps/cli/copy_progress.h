#pragma once
// The job copy as a person at a terminal watches it (files and bytes done of the total,
// rate, time left, on one line of the error stream that is cleared at the end), and its
// summary for everybody.
#include <chrono>
#include <iosfwd>
#include <string>

#include "jobfiles/import_progress.h"
#include "json_writer.h"

namespace kx::cli {

class ConsoleCopyProgress : public ImportTally {
 public:
  // terminal: where the progress line goes; null for none.
  explicit ConsoleCopyProgress(std::ostream* terminal) : terminal_(terminal) {}

  void ImportStarted(long files, std::uint64_t bytes) override;
  void FileHandled(const std::string& source, const std::string& target, std::uint64_t bytes,
                   ImportOutcome outcome) override;

  // "Copied 3 files (1.2 KiB) from A1, skipped 1, failed 1: D:\x.job"
  std::string Summary(const std::string& from) const;
  Json SummaryJson(const std::string& from) const;

 private:
  void Draw();
  std::ostream* terminal_;
  std::chrono::steady_clock::time_point start_, drawn_;
  std::size_t width_ = 0;
};

// 12 B, 3.4 KiB, 5.6 MiB, 7.8 GiB.
std::string FormatBytes(std::uint64_t bytes);

}  // namespace kx::cli
