// kestrafix demo [DIR]
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "demo_builder.h"
#include "json_writer.h"

namespace kx::cli {

void AddDemoCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string dir = "kestrafix-demo";
    int jobs = 300;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "demo",
      "Create a complete demo installation to try Kestrafix on: a host configuration (DIR/torvel.cfg), "
      "a job database with machines and jobs, job folders with files, the message files and the "
      "settings of the dialogs. Prints the environment variables the demo's paths need; "
      "DIR/kestrafix.env holds the same lines for 'source'.");
  sub->add_option("DIR", o->dir, "Folder of the demo (default ./kestrafix-demo); must not hold a demo yet");
  sub->add_option("--jobs", o->jobs, "Number of jobs in the job database (1 to 100000)")
      ->check(CLI::Range(1, 100000))
      ->type_name("N");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o](CliIo& io) {
                        DemoOptions options;
                        options.dir = o->dir;
                        options.jobCount = o->jobs;
                        const DemoResult r = BuildDemo(options);
                        if (o->json) {
                          Json::Object env;
                          for (const auto& [name, value] : r.environment) env.emplace_back(name, value);
                          io.out << Json(Json::Object{{"dir", r.dir.string()},
                                                      {"config", r.config.string()},
                                                      {"database", r.database.string()},
                                                      {"driveMap", r.driveMap.string()},
                                                      {"addInIni", r.addInIni.string()},
                                                      {"envFile", r.envFile.string()},
                                                      {"messages", r.messageSource},
                                                      {"machines", r.machines},
                                                      {"jobs", r.jobs},
                                                      {"jobsWithFiles", r.jobsWithFiles},
                                                      {"files", r.files},
                                                      {"lastJob", r.lastJob},
                                                      {"environment", Json(std::move(env))}})
                                        .Dump()
                                 << '\n';
                          return;
                        }
                        io.out << fmt::format(
                            "Demo created in {}\n"
                            "  configuration  {}\n"
                            "  job database   {} ({} machines, {} jobs, {} with {} files)\n"
                            "  add-in INI     {}\n"
                            "  message files  from {}\n"
                            "Before using it, set the environment (or source {}):\n{}",
                            r.dir.string(), r.config.string(), r.database.string(), r.machines, r.jobs,
                            r.jobsWithFiles, r.files, r.addInIni.string(), r.messageSource,
                            r.envFile.string(), DemoExportLines(r));
                        io.out << fmt::format("Then try: kestrafix propose --config {}\n", r.config.string());
                      }});
}

}  // namespace kx::cli
