#include "copy_progress.h"

#include <fmt/format.h>

#include <ostream>

#include "core/text.h"

namespace kx::cli {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr double kRateAfterSeconds = 1.0;  // a rate from less is noise

}  // namespace

std::string FormatBytes(std::uint64_t bytes) {
  if (bytes < 1024) return fmt::format("{} B", bytes);
  const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  for (; value >= 1024 && unit + 1 < std::size(units); ++unit) value /= 1024;
  return fmt::format("{:.1f} {}", value, units[unit]);
}

void ConsoleCopyProgress::ImportStarted(long files, std::uint64_t bytes) {
  ImportTally::ImportStarted(files, bytes);
  start_ = Clock::now();
  if (files > 0) Draw();
}

void ConsoleCopyProgress::FileHandled(const std::string& source, const std::string& target,
                                      std::uint64_t bytes, ImportOutcome outcome) {
  ImportTally::FileHandled(source, target, bytes, outcome);
  if (filesDone >= filesTotal || Clock::now() - drawn_ >= kRedrawEvery) Draw();
  if (filesDone >= filesTotal && terminal_ && width_ > 0) {
    *terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;  // the summary follows
    width_ = 0;
  }
}

void ConsoleCopyProgress::Draw() {
  if (!terminal_) return;
  drawn_ = Clock::now();
  std::string line = fmt::format("Copying files: {} of {}, {} of {}", filesDone, filesTotal,
                                 FormatBytes(bytesDone), FormatBytes(bytesTotal));
  const double seconds = std::chrono::duration<double>(drawn_ - start_).count();
  if (seconds >= kRateAfterSeconds && bytesDone > 0) {
    const double rate = static_cast<double>(bytesDone) / seconds;
    const double left = static_cast<double>(bytesTotal - bytesDone) / rate;
    line += fmt::format(", {}/s, {:.0f} s left", FormatBytes(static_cast<std::uint64_t>(rate)), left);
  }
  const std::size_t width = CharLength(line);
  if (width < width_) line += std::string(width_ - width, ' ');
  width_ = std::max(width, width_);
  *terminal_ << '\r' << line << std::flush;
}

std::string ConsoleCopyProgress::Summary(const std::string& from) const {
  std::string text =
      fmt::format("Copied {} file{} ({}) from {}, skipped {}, failed {}", copied, copied == 1 ? "" : "s",
                  FormatBytes(bytesCopied), from, skipped, failed.size());
  if (!failed.empty()) text += ": " + Join(failed, ", ");
  return text;
}

Json ConsoleCopyProgress::SummaryJson(const std::string& from) const {
  Json::Array names(failed.begin(), failed.end());
  return Json(Json::Object{{"from", from},
                           {"files", filesTotal},
                           {"copied", copied},
                           {"skipped", skipped},
                           {"failed", Json(std::move(names))},
                           {"bytes", static_cast<long long>(bytesCopied)}});
}

}  // namespace kx::cli
