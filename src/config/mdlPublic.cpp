#include "config/mdlPublic.h"

#include <filesystem>

#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "core/text.h"
#include "fs/clsFso.h"
#include "fs/native_path.h"

namespace kx {

namespace {

// The path cut before its last "\AddIns\" (case ignored); the whole path when it holds none.
std::string CutBeforeAddIns(const std::string& p) {
  const std::size_t i = FindLastNoCase(p, "\\AddIns\\");
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

std::string GetAddInPath() {
  try {
    return AddInPath();
  } catch (...) {
    return {};
  }
}

std::string GetAppPath() {
  try {
    return HostPath();
  } catch (...) {
    return {};
  }
}

std::string GetComDocsPath() { return SpecialFolder(46); }
std::string GetPfPath() { return SpecialFolder(38); }
std::string GetComAppDataPath() { return SpecialFolder(35); }

std::string GetComDocsAddInPath() {
  try {
    clsFso& fso = Fso();
    const std::string r = ComDocsAddInPath(fso);
    if (r.empty()) return {};
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
