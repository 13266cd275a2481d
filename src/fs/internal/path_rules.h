#pragma once
// Path text rules of clsFso, on Windows-form text only (no file system access).
#include <string>
#include <string_view>

namespace kx::fs_detail {

std::string RemoveTrailingBackslash(std::string_view path);
std::string RemoveLeadingBackslash(std::string_view path);

// The plain text rules, used while the platform file-system object is not active.
struct FallbackPathRules {
  static std::string BuildPath(std::string_view path, std::string_view name);
  static std::string GetAbsolutePathName(std::string_view path);
  static std::string GetDriveName(std::string_view path);
  static std::string GetFileName(std::string_view path);
  static std::string GetBaseName(std::string_view path);
  static std::string GetExtensionName(std::string_view path);
  static std::string GetParentFolderName(std::string_view path);
};

// The results of the platform file-system object's name methods ("\" and "/" both separate).
struct FsoPathRules {
  static std::string BuildPath(std::string_view path, std::string_view name);
  // `cwd` is the current folder in Windows form ("Z:\home\u").
  static std::string GetAbsolutePathName(std::string_view path, std::string_view cwd);
  static std::string GetDriveName(std::string_view path);
  static std::string GetFileName(std::string_view path);
  static std::string GetBaseName(std::string_view path);
  static std::string GetExtensionName(std::string_view path);
  static std::string GetParentFolderName(std::string_view path);
};

}  // namespace kx::fs_detail
