#include "fs/internal/path_rules.h"

#include <vector>

#include "core/text.h"

namespace kx::fs_detail {

std::string RemoveTrailingBackslash(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::string RemoveLeadingBackslash(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return std::string(path);
}

std::string FallbackPathRules::BuildPath(std::string_view path, std::string_view name) {
  return RemoveTrailingBackslash(path) + "\\" + RemoveLeadingBackslash(name);
}

std::string FallbackPathRules::GetAbsolutePathName(std::string_view path) {
  return RemoveTrailingBackslash(Trim(path));
}

std::string FallbackPathRules::GetDriveName(std::string_view path) {
  std::string result;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // Positions below are 0-based; the rule's "position 3" is index 2.
    std::size_t a = path.find('\\', 2);
    std::size_t b = path.find('\\', a == std::string_view::npos ? 0 : a + 1);
    if (b != std::string_view::npos && b > 0) {
      result = std::string(path.substr(0, b));
    } else {
      std::size_t a1 = a == std::string_view::npos ? 0 : a + 1;  // 1-based a
      if (a1 + 1 <= path.size()) result = std::string(path);
    }
  }
  std::size_t colon = path.find(':');
  if (colon != std::string_view::npos && colon > 0) result = std::string(path.substr(0, colon + 1));
  return result;
}

std::string FallbackPathRules::GetFileName(std::string_view path) {
  std::string drive = GetDriveName(path);
  std::string_view rest = path;
  if (!drive.empty())
    rest = drive.size() + 1 >= path.size() ? std::string_view() : path.substr(drive.size() + 1);
  std::size_t slash = rest.rfind('\\');
  return std::string(slash == std::string_view::npos ? rest : rest.substr(slash + 1));
}

std::string FallbackPathRules::GetBaseName(std::string_view path) {
  std::string p = RemoveTrailingBackslash(path);
  std::size_t slash = p.rfind('\\');
  std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string FallbackPathRules::GetExtensionName(std::string_view path) {
  std::size_t dot = path.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

std::string FallbackPathRules::GetParentFolderName(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

// End of the text once trailing separators are dropped.
std::size_t EndWithoutSeps(std::string_view p) {
  std::size_t end = p.size();
  while (end > 0 && IsSep(p[end - 1])) --end;
  return end;
}

// The last name of the path: [begin, end) after trailing separators are dropped.
std::string_view LastName(std::string_view p) {
  std::size_t end = EndWithoutSeps(p);
  std::size_t begin = end;
  while (begin > 0 && !IsSep(p[begin - 1])) --begin;
  return p.substr(begin, end - begin);
}

}  // namespace

std::string FsoPathRules::BuildPath(std::string_view path, std::string_view name) {
  if (path.empty()) return std::string(name);
  if (name.empty()) return std::string(path);
  const bool pathSep = path.back() == '\\', nameSep = name.front() == '\\';
  if (pathSep && nameSep) return std::string(path.substr(0, path.size() - 1)) + std::string(name);
  if (!pathSep && !nameSep) return std::string(path) + (path.back() == ':' ? "" : "\\") + std::string(name);
  return std::string(path) + std::string(name);
}

std::string FsoPathRules::GetDriveName(std::string_view path) {
  if (path.size() > 1 && path[1] == ':') return std::string(path.substr(0, 2));
  // A network share gives "\\server\share", as the object documents for UNC paths.
  if (path.size() > 2 && IsSep(path[0]) && IsSep(path[1])) {
    std::size_t a = 2;
    while (a < path.size() && !IsSep(path[a])) ++a;
    if (a == 2 || a >= path.size()) return {};
    std::size_t b = a + 1;
    while (b < path.size() && !IsSep(path[b])) ++b;
    if (b == a + 1) return {};
    return std::string(path.substr(0, b));
  }
  return {};
}

std::string FsoPathRules::GetFileName(std::string_view path) {
  std::string_view name = LastName(path);
  if (name.size() == 2 && name[1] == ':' && name.data() == path.data()) return {};
  return std::string(name);
}

std::string FsoPathRules::GetBaseName(std::string_view path) {
  std::string name = GetFileName(path);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string FsoPathRules::GetExtensionName(std::string_view path) {
  std::string name = GetFileName(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string FsoPathRules::GetParentFolderName(std::string_view path) {
  std::size_t len = EndWithoutSeps(path);
  while (len > 0 && !IsSep(path[len - 1])) --len;
  while (len > 0 && IsSep(path[len - 1])) --len;
  if (len == 0) return {};
  if (len == 2 && path[1] == ':') ++len;  // "C:\f" gives the root "C:\"
  return std::string(path.substr(0, len));
}

std::string FsoPathRules::GetAbsolutePathName(std::string_view pathIn, std::string_view cwd) {
  std::string path(pathIn);
  for (char& c : path)
    if (c == '/') c = '\\';
  std::string root;                // "C:", "\\srv\share"
  std::vector<std::string> parts;  // the names below the root
  auto push = [&parts](std::string_view text) {
    for (const std::string& p : Split(text, "\\")) {
      if (p.empty() || p == ".") continue;
      if (p == "..") {
        if (!parts.empty()) parts.pop_back();
      } else {
        parts.push_back(p);
      }
    }
  };
  auto startFromCwd = [&]() {
    std::string c(cwd);
    if (c.size() >= 2 && c[0] == '\\' && c[1] == '\\') {
      root = GetDriveName(c);
      push(c.substr(root.size()));
    } else {
      root = c.substr(0, 2);
      push(c.size() > 2 ? c.substr(2) : std::string());
    }
  };
  if (path.empty()) {
    startFromCwd();
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    root = GetDriveName(path);
    if (root.empty()) root = path;
    push(path.substr(root.size()));
  } else if (path.size() >= 2 && path[1] == ':') {
    std::string rest = path.substr(2);
    if (!rest.empty() && rest.front() == '\\') {
      root = path.substr(0, 2);
    } else if (EqualsNoCase(path.substr(0, 2), cwd.substr(0, 2))) {
      startFromCwd();
    } else {
      root = path.substr(0, 2);
    }
    push(rest);
  } else if (path.front() == '\\') {
    root = std::string(cwd.substr(0, 2));
    push(path);
  } else {
    startFromCwd();
    push(path);
  }
  std::string out = root;
  for (const auto& p : parts) out += "\\" + p;
  if (parts.empty() && root.size() == 2) out += "\\";
  return out;
}

}  // namespace kx::fs_detail
