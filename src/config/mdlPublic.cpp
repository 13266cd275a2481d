#include "config/mdlPublic.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "core/text.h"
#include "fs/clsFso.h"
#include "fs/native_path.h"

namespace kx {

namespace {

constexpr std::string_view kAddInsMarker = "\\AddIns\\";

std::mutex& OverrideMutex() {
  static std::mutex m;
  return m;
}
std::optional<std::string>& AddInPathOverride() {
  static std::optional<std::string> path;
  return path;
}

// The path cut before its last "\AddIns\" (case ignored); the whole path when it holds none.
std::string CutBeforeAddIns(const std::string& p) {
  const std::size_t i = FindLastNoCase(p, kAddInsMarker);
  return i == std::string::npos ? p : p.substr(0, i);
}

std::string SpecialFolder(std::int32_t csidl) {
  try {
    return Fso().GetSHSpecialFolder(csidl, false, false);
  } catch (...) {
    return {};  // no shell folder: callers build relative names whose tests then fail
  }
}

}  // namespace

void SetAddInPathForTests(std::optional<std::string> path) {
  std::lock_guard lock(OverrideMutex());
  AddInPathOverride() = std::move(path);
}

std::string GetAddInPath() {
  try {
    {
      std::lock_guard lock(OverrideMutex());
      if (AddInPathOverride()) return NormalizeInputPath(*AddInPathOverride());
    }
    if (const char* env = std::getenv("KESTRAFIX_ADDIN_PATH"); env && *env) return NormalizeInputPath(env);
    // The object this function lives in: the shared library when loaded by a host.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&GetAddInPath), &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    auto file = std::filesystem::weakly_canonical(std::filesystem::absolute(info.dli_fname, ec), ec);
    if (ec) return {};
    return ToWindows(file.parent_path().string());
  } catch (...) {
    return {};
  }
}

std::string GetAppPath() {
  try {
    return CutBeforeAddIns(GetAddInPath());
  } catch (...) {
    return {};
  }
}

std::string GetComDocsPath() { return SpecialFolder(46); }
std::string GetPfPath() { return SpecialFolder(38); }
std::string GetComAppDataPath() { return SpecialFolder(35); }

std::string GetComDocsAddInPath() {
  try {
    const std::string p = GetAddInPath();
    if (p.empty()) return {};
    const std::string docs = GetComDocsPath();
    if (docs.empty()) return {};
    clsFso& fso = Fso();
    std::string r;
    const std::size_t i = FindLastNoCase(p, kAddInsMarker);
    if (i != std::string::npos) {
      // Host folder name, "\AddIns\" and the add-in folder name.
      const std::size_t j = i == 0 ? std::string::npos : p.rfind('\\', i - 1);
      r = fso.BuildPath(docs, j == std::string::npos ? p : p.substr(j + 1));
    } else {
      r = fso.BuildPath(docs, fso.GetBaseName(p));
    }
    try {
      if (!fso.FolderExists(r)) fso.CreateFolder(r, true);
    } catch (...) {
      // No right to create it: the path is still returned; reads find nothing, writes fail.
    }
    return r;
  } catch (...) {
    return {};
  }
}

std::string GetComDocsAppPath() {
  try {
    return CutBeforeAddIns(GetComDocsAddInPath());
  } catch (...) {
    return {};
  }
}

std::string GetComDocsHostConfigFile() { return GetComDocsAppPath() + "\\torvel.cfg"; }

void InitConfiguration(clsFso& oFso) {
  // Each step on its own: a bad documents copy must not keep the add-in INI from applying.
  try {
    const std::string p = GetComDocsHostConfigFile();
    if (oFso.FileExists(p)) oFso.Initialize(p);
  } catch (...) {
  }
  try {
    const std::string p = GetAddInIniFile().str();
    if (oFso.FileExists(p)) oFso.Initialize(p);
  } catch (...) {
  }
}

Variant IfNull(const Variant& vValue, const Variant& vDefault) { return vValue.IsNull() ? vDefault : vValue; }

std::string TrimBackslashes(std::string_view sPath) {
  std::string_view s = sPath;
  if (s.substr(0, 2) != "\\\\") {
    while (!s.empty() && s.front() == '\\') s.remove_prefix(1);
  }
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return std::string(s);
}

std::string EncodeFileNameChars(std::string_view sText) {
  std::string s = Trim(sText);
  for (char c : std::string_view("\\/:*?\"<>|")) {
    const std::string code = "Chr(" + std::to_string(static_cast<int>(c)) + ")";
    s = ReplaceAll(s, std::string_view(&c, 1), code);
  }
  return s;
}

}  // namespace kx
