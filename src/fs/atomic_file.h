#pragma once
// Whole-file replacement that a crash cannot leave half written: the bytes go to a temp
// file in the target's folder, are flushed to disk, and the temp file is renamed over the
// target. An existing target keeps its permission bits; a symbolic link is followed.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes);

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

}  // namespace kx
