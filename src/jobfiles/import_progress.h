#pragma once
// What the job file import tells while it works, for a progress display and its summary.
// The calls come on the importing thread between two files; a window repaints from there
// (the add-in has no threads of its own).
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

enum class ImportOutcome { Copied, Skipped, Failed };

class IImportProgress {
 public:
  virtual ~IImportProgress() = default;
  // Before the first file: how many files the import takes over, and their size.
  virtual void ImportStarted(long files, std::uint64_t bytes) = 0;
  // After each of those files. A failed copy ends the import unless the file layer only
  // reported it (then the import goes on).
  virtual void FileHandled(const std::string& source, const std::string& target, std::uint64_t bytes,
                           ImportOutcome outcome) = 0;
};

// The counts a display and a summary are made of.
class ImportTally : public IImportProgress {
 public:
  void ImportStarted(long files, std::uint64_t bytes) override;
  void FileHandled(const std::string& source, const std::string& target, std::uint64_t bytes,
                   ImportOutcome outcome) override;

  bool started = false;
  long filesTotal = 0, filesDone = 0, copied = 0, skipped = 0;
  std::uint64_t bytesTotal = 0, bytesDone = 0, bytesCopied = 0;
  std::vector<std::string> failed;  // the source files
};

}  // namespace kx
