// kestrafix replace: the replace dialog's confirmation, through the same statements.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "core/text.h"
#include "dialogs/replace_column.h"
#include "json_writer.h"
#include "platform/database.h"
#include "platform/job_table_grid.h"
#include "platform/ui_services.h"

namespace kx::cli {

namespace {

struct Options {
  std::string config, column, like, value;
  bool yes = false;
  bool dryRun = false;
  bool json = false;
};

// The column as the dialog's list offers it: a column of the grid that is not a key.
std::string OfferedColumn(const std::string& dbName, const std::string& column) {
  JobTableGrid grid(dbName, {}, "1 = 0");  // its columns only
  const long index = grid.ColumnIndex(column);
  if (index < 0) throw UsageError(fmt::format("'{}' is no column of the job table", column));
  const std::string name = grid.ColumnAt(index).Name();
  if (!IsReplaceableColumn(name))
    throw UsageError(fmt::format("column '{}' is a key of the job and is never replaced", name));
  return name;
}

Json::Array MatchingJobs(const std::string& dbName, const std::string& column, const std::string& pattern,
                         long options, std::vector<std::pair<std::string, std::string>>& rows) {
  auto db = Engine().OpenDatabase(dbName);
  auto rs = db->OpenRecordset("select [Filename], [" + column + "] from NcData where " +
                                  ReplaceCondition(column, pattern) + " order by [Filename]",
                              dbOpenForwardOnly, options);
  Json::Array out;
  for (; !rs->Eof(); rs->MoveNext()) {
    const Variant name = rs->Fields(0).Value();
    const Variant value = rs->Fields(1).Value();
    rows.emplace_back(name.ToText(), value.IsNull() ? std::string("Null") : value.ToText());
    out.emplace_back(Json::Object{{"filename", name.ToText()}, {"value", Json::FromVariant(value)}});
  }
  rs->Close();
  db->Close();
  return out;
}

void Run(const Options& o, CliIo& io) {
  const HostConfig cfg = OpenHostConfig(o.config);
  const std::string& dbName = cfg.torvel.DbName;
  const long options = cfg.torvel.OpenRecordsetOptions;
  const std::string column = OfferedColumn(dbName, o.column);
  // The dialog takes both texts without their outer blanks.
  const std::string pattern = Trim(o.like);
  const std::string value = Trim(o.value);
  const long count = CountMatching(dbName, column, pattern, options);
  const std::string condition = pattern.empty() ? std::string("empty or Null") : "like \"" + pattern + "\"";

  if (o.dryRun) {
    std::vector<std::pair<std::string, std::string>> rows;
    Json::Array jobs = MatchingJobs(dbName, column, pattern, options, rows);
    if (o.json) {
      io.out << Json(Json::Object{{"column", column},
                                  {"pattern", pattern},
                                  {"value", value.empty() ? Json() : Json(value)},
                                  {"count", count},
                                  {"updated", 0L},
                                  {"jobs", Json(std::move(jobs))}})
                    .Dump()
             << '\n';
      return;
    }
    io.out << fmt::format("{} jobs with [{}] {} (dry run, nothing changed):\n", count, column, condition);
    for (const auto& [name, current] : rows) io.out << fmt::format("  {}\t{}\n", name, current);
    return;
  }

  long updated = 0;
  if (count > 0) {
    if (!o.yes && !io.console.ttyIn) {
      throw UsageError(fmt::format(
          "{} jobs with [{}] {} would change and there is no terminal to ask: confirm with --yes, or list "
          "them with --dry-run",
          count, column, condition));
    }
    const FrmReplaceTexts texts = ReadFrmReplaceTexts();
    std::string question = ReplaceQuestionText(texts.Update, count);
    if (question.empty()) question = fmt::format("Set [{}] of {} jobs?", column, count);
    ScopedConsoleUi ui(io, o.yes);
    if (Ui().MessageBox(question, texts.Question, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
      updated = ReplaceMatching(dbName, column, pattern, value, options);
  }
  if (o.json) {
    io.out << Json(Json::Object{{"column", column},
                                {"pattern", pattern},
                                {"value", value.empty() ? Json() : Json(value)},
                                {"count", count},
                                {"updated", updated}})
                  .Dump()
           << '\n';
    return;
  }
  if (count == 0) {
    io.out << fmt::format("No job with [{}] {}; nothing changed.\n", column, condition);
  } else if (updated == 0) {
    io.out << "Nothing changed.\n";
  } else {
    io.out << fmt::format("Set [{}] to {} in {} jobs.\n", column,
                          value.empty() ? "Null" : "\"" + value + "\"", updated);
  }
}

}  // namespace

void AddReplaceCommand(CLI::App& app, CommandList& commands) {
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "replace",
      "Set one column to a new value for every job whose value in it matches a pattern, as the "
      "replace dialog does: count the jobs, ask, then change them all at once. The question is "
      "asked on the terminal; without one, --yes confirms. File name and program number are never "
      "replaced. Pattern and value lose their outer blanks; an empty pattern selects empty values, "
      "an empty value empties the column.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")
      ->required()
      ->type_name("FILE");
  sub->add_option("--column", o->column, "Column to set (its name in the job table)")
      ->required()
      ->type_name("NAME");
  sub->add_option("--like", o->like,
                  "Jobs whose column matches this pattern: * any text, ? one character, # one digit, "
                  "[list] one of, [!list] none of; without case")
      ->required()
      ->type_name("PATTERN");
  sub->add_option("--value", o->value, "New value (empty: the column is emptied)")
      ->required()
      ->type_name("TEXT");
  sub->add_flag("--yes,-y", o->yes, "Change the jobs without asking");
  sub->add_flag("--dry-run", o->dryRun, "List the matching jobs and change nothing");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o](CliIo& io) { Run(*o, io); }});
}

}  // namespace kx::cli
