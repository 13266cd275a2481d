// kestrafix init DIR [--db URI]: an empty, working installation.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "core/text.h"
#include "installation.h"
#include "json_writer.h"

namespace kx::cli {

namespace {

std::string ShellArg(const std::string& s) {
  return s.find_first_of(" '\"\\$") == std::string::npos ? s : "'" + ReplaceAll(s, "'", "'\\''") + "'";
}

void PrintNextSteps(const Installation& r, CliIo& io) {
  const std::string cfg = ShellArg(r.config.string());
  io.out << fmt::format(
      "Created a Kestrafix installation in {}\n"
      "  host configuration  {}\n"
      "  job database        {} ({}, DbName={})\n"
      "  drive map           {} (D: = {})\n"
      "  add-in INI          {}\n"
      "  message files       {} ({})\n"
      "  environment         {}\n"
      "Next:\n"
      "  1. Map the drives and shares your job folders use in {}.\n"
      "  2. Add the machines, for example:\n"
      "     kestrafix machine add --config {} Laser1 --job-dir 'D:\\Jobs\\$(Filename)' --nc-dir 'D:\\NC' "
      "--dir-type 1 --job-ext job --nc-ext nc\n"
      "  3. Check what the add-in sees: kestrafix doctor --config {}\n"
      "  4. Work: kestrafix new-job --config {} ... or kestrafix-host --config {}\n"
      "kestrafix and kestrafix-host take {} by themselves for this configuration; for other "
      "programs: . {}\n",
      r.dir.string(), r.config.string(), r.database, r.databaseCreated ? "empty, created" : "kept as it was",
      r.dbName, r.driveMap.string(), r.data.string(), r.addInIni.string(), r.resStr.string(),
      Join(r.messageFiles, ", "), r.envFile.string(), r.driveMap.string(), cfg, cfg, cfg, cfg,
      r.envFile.filename().string(), ShellArg(r.envFile.string()));
}

}  // namespace

void AddInitCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string dir, db, country = "1", user;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "init",
      "Create an empty, working installation in DIR: host configuration torvel.cfg with every [TORVEL] "
      "key and its comment, drive map drives.ini (D: = DIR/data), the add-in INI with its captions, the "
      "shipped message files in DIR/host/ResStr, an empty job database DIR/data/jobs.db (or the one "
      "--db names) and DIR/kestrafix.env. Prints what to do next.");
  sub->add_option("DIR", o->dir, "Folder of the installation; must not hold one yet")->required();
  sub->add_option("--db", o->db,
                  "The job database ([TORVEL] DbName): a file, created when it does not exist and kept "
                  "when it does");
  sub->add_option("--country", o->country, "[TORVEL] Country: 1 or 44 English, 49 German texts");
  sub->add_option("--user", o->user, "[TORVEL] UserId, the author of new jobs");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o](CliIo& io) {
                        InstallationOptions options;
                        options.dir = o->dir;
                        options.dbName = o->db;
                        options.country = o->country;
                        options.userId = o->user;
                        const Installation r = CreateInstallation(options);
                        if (!o->json) {
                          PrintNextSteps(r, io);
                          return;
                        }
                        Json::Object env;
                        for (const auto& [name, value] : r.environment) env.emplace_back(name, value);
                        Json::Array messages;
                        for (const std::string& m : r.messageFiles) messages.emplace_back(m);
                        io.out << Json(Json::Object{{"dir", r.dir.string()},
                                                    {"config", r.config.string()},
                                                    {"dbName", r.dbName},
                                                    {"database", r.database},
                                                    {"databaseCreated", r.databaseCreated},
                                                    {"driveMap", r.driveMap.string()},
                                                    {"addInIni", r.addInIni.string()},
                                                    {"messages", r.resStr.string()},
                                                    {"messageFiles", Json(std::move(messages))},
                                                    {"envFile", r.envFile.string()},
                                                    {"environment", Json(std::move(env))}})
                                      .Dump()
                               << '\n';
                      }});
}

}  // namespace kx::cli
