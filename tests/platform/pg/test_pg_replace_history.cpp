// The replace history on both engines: what an undo sets back and what it leaves alone, undo
// after undo, values of every kind through Null and back, the history's size, a history that
// moves with db copy, an older database, and a replace and an undo racing in two processes.
#include <algorithm>

#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dialogs/replace_column.h"
#include "pg_job_db.h"
#include "platform/replace_history.h"
#include "platform/table_copy.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::string>;
using Values = std::vector<Variant>;

class ReplaceHistoryTest : public PgJobDbTest {
 protected:
  // Jobs A..F: Material ST52, ST37, AL99, Null, "", ST10; Version 7 on A; Materialthickness 1.25
  // on A and 2 on B.
  void SetUp() override {
    Both([](const JobDatabase& d) {
      d.Seed("materials.sql");
      d.AddJob({{"Filename", "F"}, {"ProgramNumber", "PF"}, {"Material", "ST10"}});
      d.Execute("update NcData set Version = 7, Materialthickness = 1.25 where Filename = 'A'");
      d.Execute("update NcData set Materialthickness = 2 where Filename = 'B'");
    });
  }
  // limit: the bytes of old values SQLite may capture in the update; past it (as at 1 at once) the
  // update is taken back and the jobs are recorded row by row.
  static long Replace(const JobDatabase& d, const char* column, const char* like, const char* value,
                      int keep = kDefaultReplaceHistory, std::size_t limit = kDefaultCaptureLimit) {
    if (limit == kDefaultCaptureLimit) return ReplaceMatching(d.Path(), column, like, value, 0, {"tester", keep});
    const ReplaceRecord r{column, ReplaceCondition(column, like), ReplaceValueLiteral(value), like, value, "tester",
                          keep, limit};
    return RecordedReplace(*d.Open(), r);
  }
  // The undo the same way: captured within limit, or row by row.
  static UndoResult Undo(const JobDatabase& d, long long id = 0, std::size_t limit = kDefaultCaptureLimit) {
    auto conn = d.Open();
    if (id == 0) id = LastUndoableReplace(*conn).value().id;
    return UndoReplace(*conn, id, "undoer", kDefaultReplaceHistory, 100, limit);
  }
  static std::vector<ReplaceEntry> History(const JobDatabase& d) { return ReplaceHistoryEntries(*d.Open()); }
  // The column's values of A..F with their kinds.
  static Values Column(const JobDatabase& d, const std::string& column) {
    Values out;
    auto conn = d.Open();
    for (auto rs = conn->OpenRecordset("select [" + column + "] from NcData order by Filename"); !rs->Eof();
         rs->MoveNext())
      out.push_back(rs->Fields(0).Value());
    return out;
  }
};

TEST_F(ReplaceHistoryTest, UndoAfterUndoTakesBackTheReplaceBefore) {
  Both([](const JobDatabase& d) {
    const Values before = Column(d, "Material");
    EXPECT_EQ(Replace(d, "Material", "ST*", "X"), 3);
    EXPECT_EQ(Replace(d, "Material", "X", "Y"), 3);
    EXPECT_EQ(Undo(d).restored, 3);
    EXPECT_EQ(Column(d, "Material"), (Values{"X", "X", "AL99", kNull, "", "X"}));
    const UndoResult second = Undo(d);
    EXPECT_EQ(second.replace.id, 1);
    EXPECT_EQ(Column(d, "Material"), before);
    auto conn = d.Open();
    EXPECT_FALSE(LastUndoableReplace(*conn));
    EXPECT_THAT(ErrorOf([&] { UndoReplace(*conn, 1, "u", 50); }).Description(),
                ::testing::HasSubstr("undone already"));
    EXPECT_THAT(ErrorOf([&] { UndoReplace(*conn, second.undoId, "u", 50); }).Description(),
                ::testing::HasSubstr("is the undo of replace 1"));
    conn->Close();
    // Newest first: undo of 1, undo of 2, 2, 1; who, what and how many.
    Strings rows;
    for (const ReplaceEntry& e : History(d))
      rows.push_back(std::to_string(e.id) + " " + e.column + " " + e.pattern.ToText() + ">" +
                     e.newValue.ToText() + " " + e.user + " " + std::to_string(e.jobs) +
                     " of:" + std::to_string(e.undoOf) + " by:" + std::to_string(e.undoneBy) +
                     (e.time.IsNull() ? " no time" : ""));
    EXPECT_EQ(rows, (Strings{"4 Material > undoer 3 of:1 by:0", "3 Material > undoer 3 of:2 by:0",
                             "2 Material X>Y tester 3 of:0 by:3", "1 Material ST*>X tester 3 of:0 by:4"}));
  });
}

TEST_F(ReplaceHistoryTest, JobsChangedOrDeletedSinceAreListedAndLeftAlone) {
  Both([](const JobDatabase& d) {
    Replace(d, "Material", "ST*", "X");
    d.Execute("update NcData set Material = 'x' where Filename = 'A'");  // case counts
    d.Execute("delete from NcData where Filename = 'B'");
    auto conn = d.Open();
    const UndoResult preview = PreviewUndo(*conn, 1);
    EXPECT_EQ(Column(d, "Material"), (Values{"x", "AL99", kNull, "", "X"}));  // nothing changed
    EXPECT_EQ(preview.restored, 1);
    const UndoResult r = UndoReplace(*conn, 1, "undoer", 50);
    EXPECT_EQ(r.restored, 1);
    EXPECT_EQ(r.untouched, 2);
    for (const UndoResult* u : {&preview, &r}) {
      ASSERT_EQ(u->untouchedJobs.size(), 2u);
      EXPECT_EQ(u->untouchedJobs[0].filename, Variant("A"));
      EXPECT_EQ(u->untouchedJobs[0].value, Variant("x"));
      EXPECT_TRUE(u->untouchedJobs[1].deleted);
    }
    EXPECT_EQ(Column(d, "Material"), (Values{"x", "AL99", kNull, "", "ST10"}));
  });
}

// Jobs G..N, added together, are one block of IDs and are set by it; a job changed and one
// deleted inside the block stay as they are, and the jobs around them come back.
TEST_F(ReplaceHistoryTest, JobsInsideABlockChangedOrDeletedSinceAreLeftAlone) {
  Both([](const JobDatabase& d) {
    for (const char* f : {"G", "H", "I", "J", "K", "L", "M", "N"})
      d.AddJob({{"Filename", f}, {"ProgramNumber", std::string("P") + f}, {"Material", "AL5"}});
    d.Execute("update NcData set Material = 'al5' where Filename = 'M'");  // matched too: Like ignores case
    EXPECT_EQ(Replace(d, "Material", "AL5", "AL6"), 8);
    EXPECT_EQ(Column(d, "Material"), (Values{"ST52", "ST37", "AL99", kNull, "", "ST10", "AL6", "AL6", "AL6", "AL6",
                                             "AL6", "AL6", "AL6", "AL6"}));
    d.Execute("update NcData set Material = 'AL7' where Filename = 'I'");
    d.Execute("delete from NcData where Filename = 'K'");
    auto conn = d.Open();
    EXPECT_EQ(PreviewUndo(*conn, 1).restored, 6);
    const UndoResult r = UndoReplace(*conn, 1, "undoer", 50);
    EXPECT_EQ(r.restored, 6);
    EXPECT_EQ(r.untouched, 2);
    ASSERT_EQ(r.untouchedJobs.size(), 2u);
    EXPECT_EQ(r.untouchedJobs[0].value, Variant("AL7"));
    EXPECT_TRUE(r.untouchedJobs[1].deleted);
    EXPECT_EQ(Column(d, "Material"), (Values{"ST52", "ST37", "AL99", kNull, "", "ST10", "AL5", "AL5", "AL7", "AL5",
                                             "AL5", "al5", "AL5"}));
  });
}

// Jobs captured in the update, or recorded row by row (all at once, or after a capture passed its
// limit halfway): then set by the block of IDs, by the condition, or, when they are few, by their
// IDs. Each way changes the jobs recorded and no other.
TEST_F(ReplaceHistoryTest, EveryWayOfSettingTheRecordedJobsSetsThemAndNoOther) {
  Both([](const JobDatabase& d) {
    for (const std::size_t limit : {kDefaultCaptureLimit, std::size_t{1}, std::size_t{200}})
    for (const int every : {1, 2, 5}) {
      SCOPED_TRACE(testing::Message() << every << " " << limit);
      const std::string n = std::to_string(every * 40), e = std::to_string(every);
      {
        auto conn = d.Open();
        conn->ExecuteNative(
            "INSERT INTO \"NCDATA\" (\"Filename\", \"ProgramNumber\", \"Material\") SELECT 'R" + e +
            "_' || x, 'Q" + e + "_' || x, CASE WHEN x % " + e + " = 0 THEN 'CU1' ELSE 'NO' || x END FROM " +
            (conn->Kind() == SqlEngine::Postgres
                 ? "pg_catalog.generate_series(1, " + n + ") x"
                 : "(WITH RECURSIVE s(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM s WHERE x < " + n +
                       ") SELECT x FROM s)"));
      }
      d.Execute("update NcData set Material = 'CU1' where Filename = 'C'");  // one more, away from the rest
      EXPECT_EQ(Replace(d, "Material", "CU1", "CU2", kDefaultReplaceHistory, limit), 41);
      EXPECT_EQ(d.Count("select count(*) from NcData where Material = 'CU2'"), 41);
      EXPECT_EQ(Undo(d, 0, limit).restored, 41);
      EXPECT_EQ(d.Count("select count(*) from NcData where Material = 'CU1'"), 41);
      EXPECT_EQ(d.Count("select count(*) from NcData where Material like 'NO*'"), every * 40 - 40);
      d.Execute("delete from NcData where Filename like 'R*'");
    }
  });
}

// The first rows promise old values that fit, the matching ones at the end do not: SQLite takes
// the update back halfway and records the jobs row by row, and nothing is changed twice.
TEST_F(ReplaceHistoryTest, OldValuesLongerThanTheFirstRowsPromisedAreRecordedRowByRow) {
  const std::string longValue = "LONG" + std::string(300, 'x');
  Both([&](const JobDatabase& d) {
    {
      auto conn = d.Open();
      const std::string rows = conn->Kind() == SqlEngine::Postgres
                                   ? "pg_catalog.generate_series(1, 1100) x"
                                   : "(WITH RECURSIVE s(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM s WHERE x < "
                                     "1100) SELECT x FROM s)";
      conn->ExecuteNative(
          "INSERT INTO \"NCDATA\" (\"Filename\", \"ProgramNumber\", \"Material\") SELECT 'S' || x, 'T' || x, "
          "CASE WHEN x > 1000 THEN '" +
          longValue + "' ELSE 'S' END FROM " + rows);
    }
    EXPECT_EQ(Replace(d, "Material", "LONG*", "SHORT", kDefaultReplaceHistory, 20000), 100);
    EXPECT_EQ(d.Count("select count(*) from NcData where Material = 'SHORT'"), 100);
    EXPECT_EQ(Undo(d).restored, 100);
    EXPECT_EQ(d.Count("select count(*) from NcData where Material = '" + longValue + "'"), 100);
  });
}

TEST_F(ReplaceHistoryTest, ValuesOfEveryKindGoToNullAndComeBack) {
  Both([](const JobDatabase& d) {
    d.Execute("update NcData set Material = '007' where Filename = 'C'");
    for (const std::size_t limit : {kDefaultCaptureLimit, std::size_t{1}})
    for (const char* column : {"Material", "Version", "Materialthickness"}) {
      SCOPED_TRACE(testing::Message() << column << " " << limit);
      const Values before = Column(d, column);
      Replace(d, column, "*", "", kDefaultReplaceHistory, limit);
      EXPECT_EQ(Column(d, column), Values(before.size(), kNull));
      Undo(d, 0, limit);
      EXPECT_EQ(Column(d, column), before);  // 7 a whole number, 1.25 and 2 decimals, "007" a text
    }
    // And a value given to empty ones, taken back to Null and "".
    Replace(d, "Material", "", "N");
    Undo(d);
    EXPECT_EQ(Column(d, "Material"), (Values{"ST52", "ST37", "007", kNull, "", "ST10"}));
  });
}

TEST_F(ReplaceHistoryTest, TheHistoryKeepsTheNewestAndNothingWithoutOne) {
  Both([](const JobDatabase& d) {
    // Left by a run stopped after its commit, before its pruned tables were dropped; and a table of
    // the shop's own.
    d.Open()->ExecuteNative("CREATE TABLE \"KX_REPLACE_9\" (\"JobID\" integer, \"OldValue\" text)");
    d.Open()->ExecuteNative("CREATE TABLE \"KX_REPLACE_NOTES\" (\"Note\" text)");
    Replace(d, "Material", "ST*", "X", 2);
    Replace(d, "Material", "X", "Y", 2);
    Replace(d, "Material", "AL*", "Z", 2);
    Replace(d, "Comment", "", "C", 0);  // a replace without a record
    EXPECT_EQ(Replace(d, "Material", "none*", "W", 2), 0);  // one that changes nothing records nothing
    Strings kept, tables;
    for (const ReplaceEntry& e : History(d)) kept.push_back(std::to_string(e.id));
    EXPECT_EQ(kept, (Strings{"3", "2"}));
    for (const TableLayout& t : d.Open()->TableDefs())
      if (t.name.rfind("KX_REPLACE_", 0) == 0) tables.push_back(t.name);
    std::sort(tables.begin(), tables.end());
    // The pruned entry's jobs went with it, and so did the leftover.
    EXPECT_EQ(tables, (Strings{"KX_REPLACE_2", "KX_REPLACE_3", "KX_REPLACE_NOTES"}));
    EXPECT_EQ(d.Count("select count(*) from NcData where Comment = 'C'"), 6);
    // The kept entries kept their jobs.
    EXPECT_EQ(Undo(d).restored, 1);
    EXPECT_EQ(Undo(d).restored, 3);
  });
}

// Recorded on one engine, copied, undone on the other: the old values arrive with their kinds.
TEST_F(ReplaceHistoryTest, AHistoryCopiedToTheOtherEngineIsUndoneThere) {
  const JobDatabase* from[] = {&db, &pg};
  const std::string to[] = {Server().NewSchema(), (env / "copy.db").string()};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(to[i]);
    const Values material = Column(*from[i], "Material"), thickness = Column(*from[i], "Materialthickness");
    Replace(*from[i], "Material", "ST*", "X");
    Replace(*from[i], "Materialthickness", "*", "9.5");
    Undo(*from[i]);  // its jobs and the undo's own go with the copy, too
    Replace(*from[i], "Materialthickness", "*", "9.5");
    CopyJobDatabase(from[i]->Path(), to[i]);
    const JobDatabase copy(to[i], false);
    Undo(copy);
    Undo(copy);
    EXPECT_EQ(Column(copy, "Material"), material);
    EXPECT_EQ(Column(copy, "Materialthickness"), thickness);
  }
}

// A database without a history gets one on its first replace; one whose history kept the jobs of
// every entry in one table gets a table per entry on the next undo.
TEST_F(ReplaceHistoryTest, AnOlderDatabaseGetsItsHistoryOnTheFirstReplace) {
  Both([](const JobDatabase& d) {
    d.Open()->ExecuteNative("DROP TABLE \"KX_REPLACE\"");
    EXPECT_TRUE(History(d).empty());
    d.Open()->ExecuteNative(
        "CREATE TABLE \"KX_REPLACE_JOB\" AS SELECT 1 AS \"ReplaceID\", \"ID\" AS \"JobID\", \"Material\" AS "
        "\"OldValue\" FROM \"NCDATA\" WHERE \"Material\" LIKE 'ST%'");
    Replace(d, "Material", "ST*", "X");
    d.Open()->ExecuteNative("DROP TABLE \"KX_REPLACE_1\"");
    EXPECT_EQ(Undo(d).restored, 3);
    EXPECT_EQ(Column(d, "Material"), (Values{"ST52", "ST37", "AL99", kNull, "", "ST10"}));
    EXPECT_EQ(d.Count("select count(*) from [KX_REPLACE_1]"), 3);
  });
}

// A replace and an undo of the replace before it, from two processes at the same moment: one
// waits for the other, and the jobs end as after either order, never mixed.
TEST_F(ReplaceHistoryTest, AReplaceAndAnUndoInTwoProcessesDoNotMix) {
  Both([&](const JobDatabase& d) {
    Replace(d, "Material", "ST*", "X");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i) {
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        char c;
        close(go[1]);
        if (read(go[0], &c, 1) != 0) _exit(2);  // both start when the pipe closes
        Engine().BusyTimeoutMs(60000);          // a connection of its own, however slow the machine
        try {
          if (i == 0) Replace(d, "Material", "X", "Y");
          if (i == 1) Undo(d, 1);
          _exit(0);
        } catch (...) {
          _exit(1);
        }
      }
      children.push_back(pid);
    }
    close(go[0]);
    close(go[1]);
    for (const pid_t pid : children) {
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const Values m = Column(d, "Material");
    EXPECT_TRUE(m == (Values{"ST52", "ST37", "AL99", kNull, "", "ST10"}) ||
                m == (Values{"Y", "Y", "AL99", kNull, "", "Y"}))
        << m[0].ToText();
    // The undo came first and restored all three (the replace after it changed nothing and is not
    // recorded), or came last and found none left to restore.
    const bool undoneFirst = m[0] == Variant("ST52");
    const std::vector<ReplaceEntry> h = History(d);
    ASSERT_EQ(h.size(), undoneFirst ? 2u : 3u);
    EXPECT_EQ(h[0].undoOf, 1);
    EXPECT_EQ(h[0].jobs, undoneFirst ? 3 : 0);
  });
}

}  // namespace
}  // namespace kx::test
