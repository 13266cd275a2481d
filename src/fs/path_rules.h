#pragma once
// Path text rules of clsFso, on Windows-form text only (no file system access).
// `fallback` holds the plain text rules; `fsoobj` gives the results of the platform
// file-system object's name methods (both "\" and "/" separate there).
#include <string>
#include <string_view>

namespace kx::pathrules {

std::string RemoveTrailingBackslash(std::string_view path);
std::string RemoveLeadingBackslash(std::string_view path);

namespace fallback {
std::string BuildPath(std::string_view path, std::string_view name);
std::string GetAbsolutePathName(std::string_view path);
std::string GetDriveName(std::string_view path);
std::string GetFileName(std::string_view path);
std::string GetBaseName(std::string_view path);
std::string GetExtensionName(std::string_view path);
std::string GetParentFolderName(std::string_view path);
}  // namespace fallback

namespace fsoobj {
std::string BuildPath(std::string_view path, std::string_view name);
// `cwd` is the current folder in Windows form ("Z:\home\u").
std::string GetAbsolutePathName(std::string_view path, std::string_view cwd);
std::string GetDriveName(std::string_view path);
std::string GetFileName(std::string_view path);
std::string GetBaseName(std::string_view path);
std::string GetExtensionName(std::string_view path);
std::string GetParentFolderName(std::string_view path);
}  // namespace fsoobj

}  // namespace kx::pathrules
