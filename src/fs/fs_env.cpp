#include "fs/fs_env.h"

#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "core/text.h"
#include "fs/clsFso.h"
#include "fs/native_path.h"

namespace kx {

namespace fsys = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// An override may be given in either form.
fsys::path FromOverride(const std::string& value) {
  return IsNativeAbsolute(value) ? fsys::path(value) : ToNative(value);
}

constexpr std::string_view kAddInsMarker = "\\AddIns\\";

struct AddInOverride {
  std::mutex mutex;
  std::optional<std::string> path;
  std::optional<std::string> program;
};
AddInOverride& Override() {
  static AddInOverride o;
  return o;
}

}  // namespace

void SetAddInPathForTests(std::optional<std::string> path) {
  std::lock_guard lock(Override().mutex);
  Override().path = std::move(path);
}

void SetProgramAddInPath(std::optional<std::string> path) {
  std::lock_guard lock(Override().mutex);
  Override().program = std::move(path);
}

std::string AddInPath() {
  std::optional<std::string> given;
  std::optional<std::string> program;
  {
    std::lock_guard lock(Override().mutex);
    given = Override().path;
    program = Override().program;
  }
  if (std::string env = Env("KESTRAFIX_ADDIN_PATH"); !given && !env.empty()) given = env;
  if (!given) given = std::move(program);
  if (given) {
    std::string path = NormalizeInputPath(*given);
    while (path.size() > 1 && path.back() == '\\') path.pop_back();  // "...\Tools\" is "...\Tools"
    return path;
  }
  // The object this function lives in: the shared library when a host loaded it, named as the
  // host named it (a link is not followed: the message file and the INI lie beside the link).
  static const fsys::path folder = [] {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&AddInPath), &info) == 0 || !info.dli_fname) return fsys::path();
    std::error_code ec;
    const fsys::path file = fsys::absolute(info.dli_fname, ec).lexically_normal();
    return ec ? fsys::path() : file.parent_path();
  }();
  return ToWindows(folder);
}

std::string HostPath() {
  const std::string p = AddInPath();
  const std::size_t i = FindLastNoCase(p, kAddInsMarker);
  return i == std::string::npos ? p : p.substr(0, i);
}

std::string ComDocsAddInPath(const clsFso& fso) {
  const std::string p = AddInPath();
  const std::string docs = fso.GetSHSpecialFolder(46);
  if (p.empty() || docs.empty()) return {};
  const std::size_t i = FindLastNoCase(p, kAddInsMarker);
  if (i == std::string::npos) return fso.BuildPath(docs, fso.GetBaseName(p));
  const std::size_t j = i == 0 ? std::string::npos : p.rfind('\\', i - 1);
  return fso.BuildPath(docs, j == std::string::npos ? p : p.substr(j + 1));
}

fsys::path HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

fsys::path CommonAppDataFolder() {
  std::string v = Env("KESTRAFIX_COMMON_APPDATA");
  if (!v.empty()) return FromOverride(v);
  std::string data = Env("XDG_DATA_HOME");
  if (!data.empty() && IsNativeAbsolute(data)) return data;
  return HomeFolder() / ".local" / "share";
}

fsys::path ProgramFilesFolder() {
  std::string v = Env("KESTRAFIX_PROGRAM_FILES");
  if (!v.empty()) return FromOverride(v);
  return "/opt";
}

fsys::path CommonDocumentsFolder() {
  std::string v = Env("KESTRAFIX_COMMON_DOCUMENTS");
  if (!v.empty()) return FromOverride(v);
  std::string docs = Env("XDG_DOCUMENTS_DIR");
  if (!docs.empty() && IsNativeAbsolute(docs)) return docs;
  return HomeFolder() / "Documents";
}

std::optional<std::string> EnvValueOrStandIn(std::string_view name) {
  if (auto v = GetEnvNoCase(name)) return NormalizeInputPath(*v);
  if (EqualsNoCase(name, "SystemDrive")) {
    std::string root = ToWindows("/");
    return root.size() >= 2 && root[1] == ':' ? root.substr(0, 2) : std::string("Z:");
  }
  if (EqualsNoCase(name, "SystemRoot")) return ToWindows("/usr");
  if (EqualsNoCase(name, "windir")) return ToWindows("/etc");
  if (EqualsNoCase(name, "ProgramFiles")) return ToWindows(ProgramFilesFolder());
  if (EqualsNoCase(name, "Temp") || EqualsNoCase(name, "Tmp")) {
    std::string tmp = Env("TMPDIR");
    return ToWindows(IsNativeAbsolute(tmp) ? fsys::path(tmp) : fsys::path("/tmp"));
  }
  return std::nullopt;
}

}  // namespace kx
