#include "config/mdlIniFile.h"

#include <filesystem>
#include <optional>

#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "core/text.h"
#include "fs/ini_profile.h"
#include "fs/native_path.h"

namespace kx {

namespace {

// A Windows-form path with a drive ("C:\...") or a network share ("\\srv\..."): anything
// else means a folder function failed and the name would land in some root folder.
bool HasFolder(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return true;
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

// The native file a path names, resolved as far as it exists (symbolic links followed).
std::optional<std::filesystem::path> Resolve(const std::string& path) {
  try {
    std::error_code ec;
    auto native = std::filesystem::path(ToNative(NormalizeInputPath(path)));
    auto resolved = std::filesystem::weakly_canonical(native, ec);
    if (ec) return native.lexically_normal();
    return resolved;
  } catch (...) {
    return std::nullopt;
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (EqualsNoCase(a, b)) return true;
  const auto ra = Resolve(a);
  const auto rb = Resolve(b);
  if (!ra || !rb) return false;
  if (*ra == *rb) return true;
  // The native layer finds names without regard to case, so two spellings can be one file.
  std::error_code ec;
  return std::filesystem::equivalent(*ra, *rb, ec) || EqualsNoCase(ra->string(), rb->string());
}

bool IsHostConfiguration(const std::string& path) {
  return SameFile(path, Shared().gsIniFile) || SameFile(path, GetComDocsHostConfigFile());
}

}  // namespace

std::string ReadIniValue(const std::string& sFile, std::string_view sSection, std::string_view sKey) {
  try {
    return GetPrivateProfileString(sFile, sSection, sKey, "", kIniReadBuffer);
  } catch (...) {
    return {};  // unreadable file: read as missing
  }
}

std::string QuoteIniValue(std::string_view sValue) {
  if (sValue.empty() || (sValue.front() != '"' && sValue.back() != '"')) return std::string(sValue);
  return "\"" + std::string(sValue) + "\"";
}

AddInIniPath GetAddInIniFile() {
  return AddInIniPath(GetComDocsAddInPath() + "\\" + std::string(kAddInName) + ".ini");
}

bool WriteIniValue(const AddInIniPath& sFile, std::string_view sSection, std::string_view sKey,
                   std::string_view sValue) {
  try {
    const std::string& path = sFile.str();
    if (!HasFolder(path) || IsHostConfiguration(path)) return false;
    return WritePrivateProfileString(path, sSection, sKey, std::string_view(QuoteIniValue(sValue)));
  } catch (...) {
    return false;  // write failures are not reported
  }
}

}  // namespace kx
