// kestrafix register / unregister: the add-in's entry in the per-user add-in registry,
// written by the library itself, so the entry names the library that was loaded; with --system
// the system-wide entry that every user's host reads after its own.
#include <dlfcn.h>
#include <fmt/format.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "addin/kestrafix_entry_points.h"
#include "cli_support.h"
#include "fs/ini_profile.h"
#include "json_writer.h"
#include "kx_install_paths.h"

namespace kx::cli {

namespace fsys = std::filesystem;

namespace {

constexpr const char* kLibraryName = "libkestrafix.so";
constexpr const char* kSource = "kestrafix register";
constexpr long kCannotLoad = 48;     // "Error in loading DLL"
constexpr long kNoEntryPoint = 453;  // "Specified DLL function not found"

// The installed add-in, beside the tool, in a lib folder, or in the build tree (apps/cli -> src/addin).
fsys::path FindLibrary(const std::string& given) {
  std::error_code ec;
  if (!given.empty()) {
    if (!fsys::is_regular_file(given, ec))
      throw UsageError(fmt::format("add-in library '{}' not found", given));
    return fsys::absolute(given, ec).lexically_normal();
  }
  const fsys::path dir = ExecutableFolder();
  const fsys::path candidates[] = {
      dir / KX_ADDIN_FROM_BIN / kLibraryName, dir / kLibraryName, dir / ".." / "lib" / kLibraryName,
      dir / ".." / "lib" / "kestrafix" / kLibraryName, dir / ".." / ".." / "src" / "addin" / kLibraryName};
  for (const fsys::path& c : candidates) {
    if (fsys::is_regular_file(c, ec)) return c.lexically_normal();
  }
  throw UsageError("add-in library libkestrafix.so not found beside kestrafix; name it with --library PATH");
}

// dlopen'ed for one call; closed on every road out.
class Library {
 public:
  explicit Library(const fsys::path& file) : handle_(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) {
      const char* e = ::dlerror();
      throw KxError(kCannotLoad, kSource,
                    fmt::format("cannot load {}: {}", file.string(), e ? e : "unknown error"));
    }
  }
  ~Library() { ::dlclose(handle_); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  void* Symbol(const char* name) const {
    void* s = ::dlsym(handle_, name);
    if (!s) throw KxError(kNoEntryPoint, kSource, fmt::format("the library has no entry point {}", name));
    return s;
  }

 private:
  void* handle_;
};

// The system-wide entry, written here: the library's own entry point knows only the user's file.
std::string RunSystemRegistration(bool registering, const fsys::path& library) {
  const std::vector<std::string> files = SystemAddinRegistryFiles();
  if (files.empty())
    throw UsageError("XDG_CONFIG_DIRS names no absolute folder for the system-wide registry");
  const std::string& registry = files.front();
  std::error_code ec;
  fsys::create_directories(fsys::path(registry).parent_path(), ec);
  const bool done = registering ? WritePrivateProfileString(registry, KX_PROGID, "Library", library.string())
                    : fsys::exists(registry, ec)
                        ? WritePrivateProfileString(registry, KX_PROGID, std::nullopt, std::nullopt)
                        : true;
  if (!done)
    throw KxError(err::PathFileAccessError, kSource,
                  fmt::format("the system-wide add-in registry file {} could not be written", registry));
  return registry;
}

void RunRegistration(bool registering, const std::string& given, bool system, bool json, CliIo& io) {
  const fsys::path file = FindLibrary(given);
  Library lib(file);
  std::string registry = AddinRegistryFile();
  if (system) {
    lib.Symbol("kx_api_version");  // a Kestrafix add-in, not just any library
    registry = RunSystemRegistration(registering, file);
  }
  // Both entry points have the same type.
  const auto fn = reinterpret_cast<decltype(&::kx_register_server)>(
      lib.Symbol(registering ? "kx_register_server" : "kx_unregister_server"));
  const int rc = system ? KX_OK : fn();
  if (rc == KX_E_IO) {
    throw KxError(err::PathFileAccessError, kSource,
                  fmt::format("the add-in registry file {} could not be written",
                              AddinRegistryFile().empty() ? "(no HOME)" : AddinRegistryFile()));
  }
  if (rc != KX_OK) {
    throw KxError(rc, kSource, fmt::format("{} failed", registering ? "registration" : "unregistration"));
  }
  if (json) {
    io.out << Json(Json::Object{{"action", registering ? "register" : "unregister"},
                                {"library", file.string()},
                                {"registry", registry}})
                  .Dump()
           << '\n';
  } else if (registering) {
    io.out << fmt::format("Registered {} as {} in {}\n", file.string(), KX_PROGID, registry);
  } else {
    io.out << fmt::format("Removed {} from {}\n", KX_PROGID, registry);
  }
}

}  // namespace

void AddRegisterCommands(CLI::App& app, CommandList& commands) {
  for (const bool registering : {true, false}) {
    struct Options {
      std::string library;
      bool system = false, json = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand(
        registering ? "register" : "unregister",
        registering ? "Register the add-in so that job managers find it: its library is entered in "
                      "the add-in registry of your user ($XDG_CONFIG_HOME/kestrafix/addins.ini), or "
                      "with --system in the one for every user (/etc/xdg/kestrafix/addins.ini), which "
                      "job managers read after their user's own"
                    : "Remove the add-in from the add-in registry of your user (with --system: from the "
                      "one for every user)");
    sub->add_option("--library", o->library,
                    "The add-in library libkestrafix.so; default: the installed one, the one beside "
                    "kestrafix, in ../lib, or in the build tree")
        ->type_name("FILE");
    sub->add_flag("--system", o->system,
                  "The add-in registry for every user (needs the right to write it)");
    sub->add_flag("--json", o->json, "Print the result as JSON");
    commands.push_back({sub, [o, registering](CliIo& io) {
                          RunRegistration(registering, o->library, o->system, o->json, io);
                        }});
  }
}

}  // namespace kx::cli
