#pragma once
// The add-in registry: INI files whose section [<programmatic identifier>] names the add-in
// library with the key Library. The user's own file comes first, then the system-wide ones
// (the package ships one): the first file that names a library wins. Header-only, so that a
// host that links nothing of the add-in reads the registry exactly as the add-in and the
// command line do.
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// The per-user registry file: $XDG_CONFIG_HOME/kestrafix/addins.ini, else
// $HOME/.config/kestrafix/addins.ini; "" when neither variable holds an absolute path.
inline std::string AddinRegistryFile() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/kestrafix/addins.ini";
  const char* home = std::getenv("HOME");
  if (!home || *home != '/') return {};
  return std::string(home) + "/.config/kestrafix/addins.ini";
}

// The system-wide registry files: kestrafix/addins.ini in each absolute $XDG_CONFIG_DIRS
// entry, in order (default /etc/xdg).
inline std::vector<std::string> SystemAddinRegistryFiles() {
  const char* env = std::getenv("XDG_CONFIG_DIRS");
  const std::string dirs = env && *env ? env : "/etc/xdg";
  std::vector<std::string> files;
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && dir.front() == '/') files.push_back(dir + "/kestrafix/addins.ini");
    start = end + 1;
  }
  return files;
}

// Every registry file in reading order: the user's, then the system-wide ones.
inline std::vector<std::string> AddinRegistryFiles() {
  std::vector<std::string> files;
  if (std::string user = AddinRegistryFile(); !user.empty()) files.push_back(std::move(user));
  for (std::string& f : SystemAddinRegistryFiles()) files.push_back(std::move(f));
  return files;
}

namespace registry_detail {

inline std::string Trim(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(" \t\r") - b + 1));
}

inline bool EqualsAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace registry_detail

// Library of progId in one registry file, as the add-in's INI rules read it (names without
// case, blanks trimmed, one enclosing pair of quotes stripped, the first key wins); "" when
// the file, the section or the key is missing.
inline std::string RegistryLibrary(const std::string& file, std::string_view progId) {
  using namespace registry_detail;
  std::ifstream in(file, std::ios::binary);
  bool inSection = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    const std::string t = Trim(line);
    if (t.empty() || t.front() == ';') continue;
    if (t.front() == '[') {
      const std::size_t end = t.find(']');
      inSection = end != std::string::npos && EqualsAscii(Trim(t.substr(1, end - 1)), progId);
      continue;
    }
    const std::size_t eq = t.find('=');
    if (!inSection || eq == std::string::npos || !EqualsAscii(Trim(t.substr(0, eq)), "Library")) continue;
    std::string value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

struct AddinRegistration {
  std::string file;     // the registry file that names it
  std::string library;  // Library=
};

// The registration in force for progId: the first registry file that names a library.
inline std::optional<AddinRegistration> FindAddinRegistration(std::string_view progId) {
  for (const std::string& file : AddinRegistryFiles()) {
    std::string library = RegistryLibrary(file, progId);
    if (!library.empty()) return AddinRegistration{file, std::move(library)};
  }
  return std::nullopt;
}

}  // namespace kx
