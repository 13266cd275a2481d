// kestrafix replace: the replace dialog's confirmation, through the same statements; a look at the
// matching jobs before (--dry-run), the replaces recorded (--history) and their undo (--undo).
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>

#include "cli_support.h"
#include "core/text.h"
#include "dialogs/replace_column.h"
#include "json_writer.h"
#include "platform/database.h"
#include "platform/job_table_grid.h"
#include "platform/replace_history.h"
#include "platform/ui_services.h"

namespace kx::cli {

namespace {

struct Options {
  std::string config, column, like, value;
  bool yes = false;
  bool dryRun = false;
  bool json = false;
  bool history = false;
  CLI::Option* likeGiven = nullptr;
  CLI::Option* valueGiven = nullptr;
  CLI::Option* undo = nullptr;
  long long undoId = 0;
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

std::string Shown(const Variant& v) { return v.IsNull() ? std::string("Null") : v.ToText(); }

std::string ShownValue(const Variant& v) {
  return v.IsNull() ? std::string("Null") : "\"" + v.ToText() + "\"";
}

void DryRun(const Options& o, const std::string& dbName, const std::string& column,
            const std::string& pattern, const std::string& value, long count, long options, CliIo& io) {
  auto db = Engine().OpenDatabase(dbName);
  const std::vector<MatchedJob> jobs = MatchingJobs(*db, column, pattern, 0, options);
  db->Close();
  if (o.json) {
    Json::Array list;
    for (const MatchedJob& j : jobs)
      list.emplace_back(Json::Object{{"filename", Json::FromVariant(j.filename)},
                                     {"programNumber", Json::FromVariant(j.programNumber)},
                                     {"value", Json::FromVariant(j.value)}});
    io.out << Json(Json::Object{{"column", column},
                                {"pattern", pattern},
                                {"value", value.empty() ? Json() : Json(value)},
                                {"count", count},
                                {"updated", 0L},
                                {"jobs", Json(std::move(list))}})
                  .Dump()
           << '\n';
    return;
  }
  const std::string condition = pattern.empty() ? std::string("empty or Null") : "like \"" + pattern + "\"";
  io.out << fmt::format("{} jobs with [{}] {} (dry run, nothing changed):\n", count, column, condition);
  for (const MatchedJob& j : jobs)
    io.out << fmt::format("  {}\t{}\t{}\n", Shown(j.filename), Shown(j.programNumber), Shown(j.value));
}

Json EntryJson(const ReplaceEntry& e) {
  return Json::Object{{"id", e.id},
                      {"column", e.column},
                      {"pattern", Json::FromVariant(e.pattern)},
                      {"value", Json::FromVariant(e.newValue)},
                      {"user", e.user},
                      {"time", Json::FromVariant(e.time)},
                      {"jobs", e.jobs},
                      {"undoOf", e.undoOf ? Json(e.undoOf) : Json()},
                      {"undoneBy", e.undoneBy ? Json(e.undoneBy) : Json()}};
}

void History(const Options& o, const std::string& dbName, CliIo& io) {
  auto db = Engine().OpenDatabase(dbName);
  const std::vector<ReplaceEntry> entries = ReplaceHistoryEntries(*db);
  db->Close();
  if (o.json) {
    Json::Array list;
    for (const ReplaceEntry& e : entries) list.push_back(EntryJson(e));
    io.out << Json(std::move(list)).Dump() << '\n';
    return;
  }
  if (entries.empty()) {
    io.out << "No replace recorded.\n";
    return;
  }
  for (const ReplaceEntry& e : entries) {
    const std::string what = e.undoOf ? fmt::format("undo of {}: [{}] set back", e.undoOf, e.column)
                                      : fmt::format("[{}] like \"{}\" set to {}", e.column,
                                                    e.pattern.ToText(), ShownValue(e.newValue));
    io.out << fmt::format("{}\t{}\t{}\t{} in {} jobs{}\n", e.id, e.time.ToText(), e.user, what, e.jobs,
                          e.undoneBy ? fmt::format(" (undone by {})", e.undoneBy) : std::string());
  }
}

void Undo(const Options& o, const HostConfig& cfg, CliIo& io) {
  const ReplaceLog log = ReplaceLogOf(cfg.torvel);
  auto db = Engine().OpenDatabase(cfg.torvel.DbName);
  long long id = o.undoId;
  if (id == 0) {
    const std::optional<ReplaceEntry> last = LastUndoableReplace(*db);
    if (!last) {
      db->Close();
      if (o.json) {
        io.out << Json(Json::Object{{"undo", Json()}, {"replace", Json()}}).Dump() << '\n';
      } else {
        io.out << "No replace to undo.\n";
      }
      return;
    }
    id = last->id;
  }
  UndoResult r = PreviewUndo(*db, id, 0);
  const ReplaceEntry& e = r.replace;
  bool done = false;
  if (r.restored > 0) {
    if (!o.yes && !io.console.ttyIn) {
      throw UsageError(fmt::format(
          "replace {} would be undone in {} jobs and there is no terminal to ask: confirm with --yes", e.id,
          r.restored));
    }
    ScopedConsoleUi ui(io, o.yes);
    const std::string question = fmt::format(
        "Undo replace {} ([{}] like \"{}\" set to {} by {} at {})? {} of its {} jobs get their old "
        "value back; {} changed since are left alone.",
        e.id, e.column, e.pattern.ToText(), ShownValue(e.newValue), e.user, e.time.ToText(), r.restored,
        e.jobs, r.untouched);
    if (Ui().MessageBox(question, "Undo replace", MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes) {
      r = UndoReplace(*db, id, log.user, log.keep, 0);
      done = true;
    }
  }
  db->Close();
  if (o.json) {
    Json::Array left;
    for (const UntouchedJob& j : r.untouchedJobs)
      left.emplace_back(Json::Object{{"id", j.id},
                                     {"deleted", j.deleted},
                                     {"filename", Json::FromVariant(j.filename)},
                                     {"programNumber", Json::FromVariant(j.programNumber)},
                                     {"value", Json::FromVariant(j.value)}});
    io.out << Json(Json::Object{{"undo", done ? Json(r.undoId) : Json()},
                                {"replace", e.id},
                                {"column", e.column},
                                {"restored", done ? r.restored : 0LL},
                                {"untouched", r.untouched},
                                {"jobs", Json(std::move(left))}})
                  .Dump()
           << '\n';
    return;
  }
  if (done) {
    io.out << fmt::format("Replace {} undone (entry {}): [{}] set back in {} jobs.\n", e.id, r.undoId,
                          e.column, r.restored);
  } else if (r.restored == 0) {
    io.out << fmt::format("Replace {}: no job still holds the value it wrote; nothing changed.\n", e.id);
  } else {
    io.out << "Nothing changed.\n";
  }
  if (r.untouched > 0) {
    io.out << fmt::format("{} jobs left alone (changed since or deleted):\n", r.untouched);
    for (const UntouchedJob& j : r.untouchedJobs) {
      io.out << (j.deleted ? fmt::format("  job {}\tdeleted\n", j.id)
                           : fmt::format("  {}\t{}\t{}\n", Shown(j.filename), Shown(j.programNumber),
                                         Shown(j.value)));
    }
  }
}

void Run(const Options& o, CliIo& io) {
  const HostConfig cfg = OpenHostConfig(o.config);
  if (o.history || o.undo->count() > 0) {
    if (o.history && o.undo->count() > 0) throw UsageError("--history and --undo are separate commands");
    if (o.history) return History(o, cfg.torvel.DbName, io);
    return Undo(o, cfg, io);
  }
  if (o.column.empty() || o.likeGiven->count() == 0 || o.valueGiven->count() == 0)
    throw UsageError("a replace needs --column, --like and --value");
  const std::string& dbName = cfg.torvel.DbName;
  const long options = cfg.torvel.OpenRecordsetOptions;
  const std::string column = OfferedColumn(dbName, o.column);
  // The dialog takes both texts without their outer blanks.
  const std::string pattern = Trim(o.like);
  const std::string value = Trim(o.value);
  const std::string condition = pattern.empty() ? std::string("empty or Null") : "like \"" + pattern + "\"";
  long count = 0, updated = 0;
  if (o.yes && !o.dryRun) {
    // Answered before it is asked: the update's own count is the count, and a table of a
    // million jobs is not read twice.
    updated = count = ReplaceMatching(dbName, column, pattern, value, options, ReplaceLogOf(cfg.torvel));
  } else {
    count = CountMatching(dbName, column, pattern, options);
  }

  if (o.dryRun) return DryRun(o, dbName, column, pattern, value, count, options, io);

  if (count > 0 && !o.yes) {
    if (!io.console.ttyIn) {
      throw UsageError(fmt::format(
          "{} jobs with [{}] {} would change and there is no terminal to ask: confirm with --yes, or list "
          "them with --dry-run",
          count, column, condition));
    }
    const FrmReplaceTexts texts = ReadFrmReplaceTexts();
    std::string question = ReplaceQuestionText(texts.Update, count);
    if (question.empty()) question = fmt::format("Set [{}] of {} jobs?", column, count);
    ScopedConsoleUi ui(io, false);
    if (Ui().MessageBox(question, texts.Question, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
      updated = ReplaceMatching(dbName, column, pattern, value, options, ReplaceLogOf(cfg.torvel));
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
      "an empty value empties the column. Each replace is recorded in the job database ([TORVEL] "
      "ReplaceHistory replaces are kept, 50 when missing, 0: none), so --undo can set it back.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")
      ->required()
      ->type_name("FILE");
  sub->add_option("--column", o->column, "Column to set (its name in the job table)")->type_name("NAME");
  o->likeGiven = sub->add_option("--like", o->like,
                                 "Jobs whose column matches this pattern: * any text, ? one character, # one "
                                 "digit, [list] one of, [!list] none of; without case")
                     ->type_name("PATTERN");
  o->valueGiven =
      sub->add_option("--value", o->value, "New value (empty: the column is emptied)")->type_name("TEXT");
  sub->add_flag("--yes,-y", o->yes, "Change the jobs without asking");
  sub->add_flag("--dry-run", o->dryRun,
                "List the matching jobs (file name, program number, value) and change nothing");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  sub->add_flag("--history", o->history, "List the recorded replaces and undos, newest first");
  o->undo =
      sub->add_option("--undo", o->undoId,
                      "Undo the last replace not undone yet, or the one with this ID: jobs that still hold "
                      "the value it wrote get their old value back; jobs changed since are listed and left "
                      "alone. The undo is recorded; undo again to take back the replace before it.")
          ->expected(0, 1);
  commands.push_back({sub, [o](CliIo& io) { Run(*o, io); }});
}

}  // namespace kx::cli
