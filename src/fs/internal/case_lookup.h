#pragma once
// Finding a Windows-form path's components on a case-sensitive file system.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kx::fs_detail {

// The entries of `dir` equal to `name` without regard to case, in byte order.
std::vector<std::string> EntriesNoCase(const std::filesystem::path& dir, std::string_view name);

struct Resolved {
  std::filesystem::path path;
  std::size_t found = 0;  // how many of the components exist
};

// The components below `dir`, each exactly when it exists, else in a spelling that differs
// in case only. Where a folder exists in several spellings (Jobs and JOBS side by side), the
// first whose rest exists is taken; when none has all of it, the one that has most of it.
// The components that exist nowhere are appended as typed.
Resolved ResolveNoCase(const std::filesystem::path& dir, const std::vector<std::string_view>& components);

}  // namespace kx::fs_detail
