#include "fs/internal/fs_guard.h"

#include <array>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "fs/fs_env.h"

namespace kx::fs_detail {

namespace fsys = std::filesystem;

namespace {

bool UnderSystemFolder(const fsys::path& p) {
  static constexpr std::array<std::string_view, 10> kSystem = {"bin", "boot", "dev", "etc", "proc",
                                                               "run", "sbin", "sys", "usr", "var"};
  auto it = p.begin();
  if (it == p.end() || it->string() != "/") return false;
  ++it;
  if (it == p.end()) return true;  // "/" itself
  const std::string top = it->string();
  if (top.rfind("lib", 0) == 0) return true;
  for (auto s : kSystem)
    if (top == s) return true;
  // A top-level folder itself ("/home", "/tmp", "/opt") holds too much to delete whole.
  return std::next(it) == p.end();
}

std::vector<fsys::path> HomeFolders() {
  std::vector<fsys::path> homes;
  homes.push_back(HomeFolder());
  std::ifstream passwd("/etc/passwd");
  std::string line;
  while (std::getline(passwd, line)) {
    auto fields = Split(line, ":");
    if (fields.size() >= 6 && !fields[5].empty()) homes.emplace_back(fields[5]);
  }
  return homes;
}

fsys::path Resolve(const fsys::path& p) {
  std::error_code ec;
  fsys::path abs = fsys::absolute(p, ec);
  if (ec) return p.lexically_normal();
  fsys::path r = fsys::weakly_canonical(abs, ec);
  if (ec) return abs.lexically_normal();
  std::string s = r.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

bool IsProtectedLocation(const fsys::path& native) {
  if (native.empty()) return true;
  std::error_code ec;
  fsys::path lexical = fsys::absolute(native, ec).lexically_normal();
  std::string ls = lexical.string();
  while (ls.size() > 1 && ls.back() == '/') ls.pop_back();
  const fsys::path resolved = Resolve(native);
  for (const fsys::path& p : {fsys::path(ls), resolved})
    if (UnderSystemFolder(p)) return true;
  for (const fsys::path& home : HomeFolders()) {
    fsys::path h = Resolve(home);
    if (h == resolved || home.lexically_normal() == fsys::path(ls)) return true;
  }
  return false;
}

}  // namespace kx::fs_detail
