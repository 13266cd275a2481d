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
      "Propose the next program number or file name as the new-job dialog does, with the strategy of "
      "[TORVEL] AutoValueType (0: next free value after the start, 1/2: successor of the largest "
      "alphanumeric/numeric value), AutoValueNumericLength and KeyValueUpperAndLowerCase.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")->required();
  sub->add_option("--for", o->forWhat,
                  "program, file, or both (one pool for both keys); default: both when [TORVEL] Synchron "
                  "is on, else file")
      ->check(CLI::IsMember({"program", "file", "both"}));
  sub->add_option("--start", o->start,
                  "Start value (strategy 0); default: the value of the job table's last job (its file name "
                  "for file and both, its program number for program)");
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
