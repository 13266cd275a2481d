#include "jobfiles/import_progress.h"

namespace kx {

void ImportTally::ImportStarted(long files, std::uint64_t bytes) {
  started = true;
  filesTotal = files;
  bytesTotal = bytes;
}

void ImportTally::FileHandled(const std::string& source, const std::string&, std::uint64_t bytes,
                              ImportOutcome outcome) {
  ++filesDone;
  bytesDone += bytes;
  switch (outcome) {
    case ImportOutcome::Copied:
      ++copied;
      bytesCopied += bytes;
      break;
    case ImportOutcome::Skipped:
      ++skipped;
      break;
    case ImportOutcome::Failed:
      failed.push_back(source);
      break;
  }
}

}  // namespace kx
