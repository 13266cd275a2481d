// kestrafix db copy between the engines: every table, row, column, type and index arrives, the
// target keeps working as a job database, and a failed copy leaves nothing behind.
#include <gmock/gmock.h>

#include <algorithm>

#include "pg_job_db.h"
#include "platform/table_copy.h"

namespace kx::test {
namespace {

using ::testing::HasSubstr;

::testing::Environment* const kServer = ::testing::AddGlobalTestEnvironment(new PgEnvironment);

std::string Describe(std::vector<TableLayout> tables) {
  std::string out;
  for (TableLayout& t : tables) {
    std::sort(t.indexes.begin(), t.indexes.end(), [](auto& a, auto& b) { return a.name < b.name; });
    out += t.name + (t.isJobTable ? " job" : "") + " pk(";
    for (const auto& k : t.primaryKey) out += k + ",";
    out += ")\n";
    for (const ColumnLayout& c : t.columns)
      out += "  " + c.name + " " + std::to_string(static_cast<int>(c.type)) + "/" + std::to_string(c.size) +
             (c.required ? " required" : "") + (c.autoNumber ? " auto" : "") +
             (c.defaultValue ? " =" + c.defaultValue->ToText() : "") + "\n";
    for (const IndexLayout& ix : t.indexes) {
      out += "  index " + ix.name + (ix.unique ? " unique" : "") + (ix.numeric ? " numeric" : "") + ":";
      for (const auto& c : ix.columns) out += " " + c;
      out += "\n";
    }
  }
  return out;
}

// Every row of every table, values with their kinds, in key order.
std::vector<std::vector<Variant>> Content(const std::string& name) {
  auto conn = Engine().OpenDatabase(name);
  std::vector<std::vector<Variant>> rows;
  for (const TableLayout& t : conn->TableDefs()) {
    auto rs = conn->OpenRecordset("select * from [" + t.name + "] order by 1");
    for (; !rs->Eof(); rs->MoveNext()) {
      rows.emplace_back();
      for (const Field& f : rs->AllFields()) rows.back().push_back(f.Value());
    }
  }
  return rows;
}

class PgCopy : public JobDbTest {
 protected:
  PgCopy() {
    if (!PgServer::Get()) return;
    db.AddJob({{"Filename", "Ä100"},
               {"ProgramNumber", "p1"},
               {"Version", 7},
               {"Materialthickness", 1.25},
               {"Createdate", "2024-01-02 03:04:05"},
               {"Comment", "tab\there \\ and\nnew line"}});
    db.AddKeys("200", "P2");
    db.AddMachine({{"Machine", "Laser 1"}, {"KelbDirectory", "D:\\Jobs"}});
    auto conn = db.Open();
    conn->Execute(
        "CREATE TABLE [Kunden] ([Nr] INTEGER PRIMARY KEY, [Straße] VARCHAR(40) COLLATE NOCASE_ICU NOT NULL, "
        "[Größe] DOUBLE DEFAULT 1.5, [Aktiv] BOOLEAN, [Seit] DATETIME)");
    conn->Execute("CREATE UNIQUE INDEX [Kunden_Straße] ON [Kunden] ([Straße])");
    conn->Execute("CREATE INDEX [Kunden_Seit] ON [Kunden] ([Aktiv], [Seit])");
    conn->Execute(
        "INSERT INTO [Kunden] VALUES (5, 'Öde Straße 1', 2.5, 1, '2020-05-06 07:08:09'), "
        "(9, 'x', Null, 0, Null)");
    server_ = PgServer::Get()->NewSchema();
    CopyJobDatabase(db.Path(), server_);
  }
  std::string server_;
};

TEST_F(PgCopy, EveryRouteKeepsTablesRowsTypesAndIndexes) {
  const std::string tables = Describe(db.Open()->TableDefs());
  const auto rows = Content(db.Path());
  ASSERT_THAT(tables, HasSubstr("index NCDATA_Filename_Numeric numeric: Filename"));
  ASSERT_THAT(tables, HasSubstr("Straße 6/40 required"));
  ASSERT_EQ(rows.size(), 5u);

  const std::pair<std::string, std::string> routes[] = {{db.Path(), (env / "s2s.db").string()},
                                                        {server_, (env / "p2s.db").string()},
                                                        {server_, PgServer::Get()->NewSchema()},
                                                        {db.Path(), server_}};
  for (const auto& [from, to] : routes) {
    if (to != server_) CopyJobDatabase(from, to);
    SCOPED_TRACE(from + " -> " + to);
    EXPECT_EQ(Describe(Engine().OpenDatabase(to)->TableDefs()), tables);
    EXPECT_TRUE(Content(to) == rows);
    if (auto copy = Engine().OpenDatabase(to); copy->Kind() == SqlEngine::Sqlite) {  // with its statistics
      auto stats = copy->OpenNative("SELECT count(*) FROM sqlite_stat1 WHERE tbl = 'NCDATA'");
      EXPECT_GT(stats->Fields(0).Value().ToNumber(), 0);
    }
    // The copy is a working job database: keys unique without case, new rows numbered on.
    auto conn = Engine().OpenDatabase(to);
    conn->Execute("insert into data (Filename) values ('300')");
    EXPECT_EQ(conn->OpenRecordset("select ID from data where Filename = '300'")->Fields(0).Value().ToText(),
              "3");
    EXPECT_EQ(ErrorOf([&] { conn->Execute("insert into data (Filename) values ('ä100')"); }).Number(),
              dberr::DuplicateKey);
    EXPECT_EQ(conn->OpenRecordset(
                      "select Filename from data where IsNumeric(Filename) order by CDbl(Filename) desc",
                      dbOpenForwardOnly, 0, 1)
                  ->Fields(0)
                  .Value(),
              Variant("300"));
  }
}

TEST_F(PgCopy, AFailedCopyLeavesTheTargetAsItWas) {
  const std::string target = PgServer::Get()->NewSchema();
  // A database from before the number guards may hold what a column of another type cannot:
  // the server refuses it, naming it.
  db.Execute("DROP TRIGGER kx_NCDATA_numbers_update");
  db.Execute("update NCDATA set Version = 'seven' where Filename = '200'");
  const KxError e = ErrorOf([&] { CopyJobDatabase(db.Path(), target); });
  EXPECT_EQ(e.Number(), dberr::TypeMismatch);
  EXPECT_THAT(e.Description(), HasSubstr("row 2 of table 'NCDATA': column 'Version' holds 'seven'"));
  db.Execute("update NCDATA set Version = Null");
  EXPECT_EQ(CopyJobDatabase(db.Path(), target).size(), 4u);  // the schema was left empty
  EXPECT_EQ(ErrorOf([&] { CopyJobDatabase(db.Path(), target); }).Number(), dberr::AlreadyExists);

  // A shop's table whose texts differ only in case cannot keep its unique index: no file.
  db.Execute("CREATE TABLE Codes (Code TEXT)");
  db.Execute("CREATE UNIQUE INDEX Codes_Code ON Codes (Code)");
  db.Execute("INSERT INTO Codes VALUES ('a'), ('A')");
  const auto file = env / "failed.db";
  EXPECT_EQ(ErrorOf([&] { CopyJobDatabase(db.Path(), file.string()); }).Number(), dberr::DuplicateKey);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(ErrorOf([&] { CopyJobDatabase(db.Path(), PgServer::Get()->NewSchema()); }).Number(),
            dberr::DuplicateKey);
}

}  // namespace
}  // namespace kx::test
