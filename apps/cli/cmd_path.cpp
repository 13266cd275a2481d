// kestrafix path WINDOWS-PATH | path --windows NATIVE-PATH: a path through the drive map and
// the lookup without case, with the entry and the names used on the way.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "core/error.h"
#include "fs/native_path.h"
#include "installation.h"
#include "json_writer.h"

namespace kx::cli {

namespace {

void Map(const std::string& from, bool toWindows, bool json, CliIo& io) {
  PathTrace trace;
  std::error_code ec;
  std::string to;
  std::filesystem::path native;
  if (toWindows) {
    native = std::filesystem::absolute(from, ec).lexically_normal();
    to = ToWindows(native, &trace);
  } else {
    native = ToNative(from, &trace);
    to = native.string();
  }
  const bool mapped = trace.entry.empty() || DriveRoot(trace.entry).has_value();
  if (!mapped) to.clear();  // the stand-in of an unmapped drive is nobody's path
  const bool exists = mapped && std::filesystem::exists(native, ec);
  const std::string source = trace.entry.empty() ? std::string() : DriveEntrySource(trace.entry);
  if (json) {
    Json::Array components;
    for (const auto& [typed, used] : trace.components)
      components.emplace_back(Json::Object{{"typed", typed}, {"used", used.empty() ? Json() : Json(used)}});
    io.out << Json(Json::Object{{"from", from},
                                {"to", to.empty() ? Json() : Json(to)},
                                {"entry", trace.entry.empty() ? Json() : Json(trace.entry)},
                                {"root", mapped && !trace.entry.empty() ? Json(trace.root.string()) : Json()},
                                {"source", source.empty() ? Json() : Json(source)},
                                {"components", Json(std::move(components))},
                                {"exists", exists}})
                  .Dump()
           << '\n';
  } else {
    if (mapped) io.out << to << '\n';
    if (trace.entry.empty()) {
      io.out << fmt::format("  {:<12}{}\n", "entry",
                            toWindows ? "none: the path lies below no drive or share"
                                      : "none: relative to the current folder " + trace.root.string());
    } else if (mapped) {
      io.out << fmt::format("  {:<12}{} = {} ({})\n", "entry", trace.entry, trace.root.string(), source);
    } else {
      io.out << fmt::format("  {:<12}{} is not in the drive map\n", "entry", trace.entry);
    }
    bool missing = false;
    for (const auto& [typed, used] : trace.components) {
      if (used.empty()) {
        if (!missing) io.out << fmt::format("  {:<12}not there: the rest is kept as typed\n", typed);
        missing = true;
      } else if (used == typed) {
        io.out << fmt::format("  {:<12}found as typed\n", typed);
      } else {
        io.out << fmt::format("  {:<12}found as {} (letter case differs)\n", typed, used);
      }
    }
    if (toWindows) io.out << fmt::format("  {:<12}{}\n", "native", exists ? "exists" : "does not exist");
  }
  if (!mapped)
    throw KxError(err::PathNotFound, "kestrafix path",
                  fmt::format("{} is not in the drive map ({})", trace.entry, DriveMapShown()));
}

}  // namespace

void AddPathCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string path, config;
    bool windows = false, json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "path",
      "Map a Windows-form path to the native one the add-in uses, through the drive map and the lookup "
      "without regard to case, saying which drive-map entry and which names on disk were used; with "
      "--windows the other way, by the longest matching root. Exit 1 for a drive that is not mapped.");
  sub->add_option("PATH", o->path,
                  "D:\\Jobs\\A100.nc, \\\\srv\\share\\x, or with --windows /srv/jobs/A100.nc")
      ->required();
  sub->add_flag("--windows", o->windows, "Map a native path to its Windows form");
  sub->add_option("--config", o->config,
                  "Host configuration whose installation's environment (kestrafix.env beside it) applies");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o](CliIo& io) {
                        if (!o->config.empty()) {
                          std::error_code ec;
                          ApplyEnvironmentBeside(std::filesystem::absolute(o->config, ec));
                        }
                        Map(o->path, o->windows, o->json, io);
                      }});
}

}  // namespace kx::cli
