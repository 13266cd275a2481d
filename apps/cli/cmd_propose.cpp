// kestrafix propose: the new-job dialog's proposal of a program number or file name.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "dialogs/next_value_query.h"
#include "json_writer.h"
#include "platform/job_table_grid.h"

namespace kx::cli {

void AddProposeCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string config;
    std::string forWhat;
    std::string start;
    bool hasStart = false;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "propose",
      "Propose the next free program number or file name, as the new-job dialog does. How it is "
      "found (the next free value after a start, or one more than the largest value stored), its "
      "width and its letter case are set in the host configuration (torvel.cfg).");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")
      ->required()
      ->type_name("FILE");
  sub->add_option("--for", o->forWhat,
                  "program, file, or both (one value for both); default: both where the configuration "
                  "keeps them alike, else file")
      ->check(CLI::IsMember({"program", "file", "both"}))
      ->type_name("WHAT");
  sub->add_option("--start", o->start,
                  "Value to start after; default: the one of the last job (its file name, or its "
                  "program number for --for program)")
      ->type_name("TEXT");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back(
      {sub, [o, sub](CliIo& io) {
         const HostConfig cfg = OpenHostConfig(o->config);
         std::string forWhat = o->forWhat;
         if (forWhat.empty()) forWhat = cfg.torvel.Synchron ? "both" : "file";
         const std::map<std::string, std::int16_t> selectors = {{"program", 2}, {"file", 1}, {"both", 0}};
         const std::int16_t selector = selectors.at(forWhat);
         std::string start = o->start;
         if (sub->count("--start") == 0) {
           JobTableGrid grid(cfg.torvel.DbName, {}, "rowid = (select max(rowid) from NcData)");
           if (grid.Rows() > 0) {
             grid.MoveLast();
             start = grid.Columns(selector == 2 ? "ProgramNumber" : "Filename").Value().ToText();
           }
         }
         const std::string value = GetNewStrValue(cfg.torvel.DbName, start, selector);
         if (o->json) {
           io.out << Json(Json::Object{{"for", forWhat}, {"start", start}, {"value", value}}).Dump() << '\n';
         } else {
           const char* what = selector == 2 ? "program number" : selector == 1 ? "file name" : "key";
           io.out << fmt::format("Proposed {} (start \"{}\"): {}\n", what, start, value);
         }
       }});
}

}  // namespace kx::cli
