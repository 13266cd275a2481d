#pragma once
// Helpers shared by the parts of clsFso.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kx::fs_detail {

// Raises the platform object's error: 53 file not found, 58 file already exists, 68 device
// unavailable, 70 permission denied, 76 path not found; source "clsFso".
[[noreturn]] void Raise(long number);
// The object's error for a failed native operation (errno).
[[noreturn]] void RaiseErrno(int error, long notFound);

// Shell-style result for a failed native operation (never 0): 2 file not found, 3 path not
// found, 5 access denied, 0x50 file exists, 0x70 disk full, 0x71 source and target are the
// same, 0x7C invalid name, 0x402 anything else.
int ShellCode(int error);

bool HasWildcard(std::string_view text);

// Entries of a ";" list, empty ones skipped.
std::vector<std::string> SplitList(std::string_view list);

// Names in `folder` matching a directory-listing pattern, sorted without case.
// `want`: 0 any, 1 files only, 2 folders only.
std::vector<std::string> MatchNames(const std::filesystem::path& folder, std::string_view pattern, int want);

}  // namespace kx::fs_detail
