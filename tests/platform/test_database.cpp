// The engine's own behaviour: opening, record sets, errors, transactions, case rules.
#include <sqlite3.h>
#include <unicode/ucol.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "core/text.h"
#include "fs/native_path.h"
#include "job_database.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"
#include "platform/sql_dialect_functions.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::string>;

using DatabaseOpen = EnvTest;

TEST_F(DatabaseOpen, FilesThatAreMissingOrNoDatabaseAreRefusedAndNothingIsCreatedOrOverwritten) {
  const std::string path = (env / "missing.db").string();
  const KxError e = ErrorOf([&] { Engine().OpenDatabase(path); });
  EXPECT_EQ(e.Number(), dberr::FileNotFound);
  EXPECT_EQ(e.Source(), "DAO.DBEngine");
  EXPECT_NE(e.Description().find("missing.db"), std::string::npos) << e.Description();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(ErrorOf([&] { Engine().OpenDatabase(env.Write("empty.db").string()); }).Number(),
            dberr::BadFormat);
  EXPECT_EQ(ErrorOf([&] {
              auto conn = Engine().OpenDatabase(env.Write("text.db", std::string(4096, 'x')).string());
              conn->OpenRecordset("select * from data");
            }).Number(),
            dberr::BadFormat);
  EXPECT_EQ(ErrorOf([&] { Engine().OpenDatabase(env.MakeDir("folder.db").string()); }).Number(),
            dberr::CannotOpen);
  EXPECT_EQ(ReadAll(env / "empty.db"), "");
  const auto file = env.Write("jobs.db", "keep me");
  EXPECT_EQ(ErrorOf([&] { CreateJobDatabase(file.string()); }).Number(), dberr::AlreadyExists);
  EXPECT_EQ(ReadAll(file), "keep me");
}

TEST_F(DatabaseOpen, WindowsFormPathGoesThroughTheDriveMap) {
  CreateJobDatabase("D:\\Jobs.db");
  EXPECT_TRUE(std::filesystem::exists(env / "data/Jobs.db"));
  auto conn = Engine().OpenDatabase("d:\\jobs.db");  // case-insensitive resolution
  EXPECT_EQ(conn->Name(), "d:\\jobs.db");
  EXPECT_TRUE(conn->OpenRecordset("select * from NCDATA")->Eof());
}

TEST_F(DatabaseOpen, OpeningLeavesAForeignSchemaAlone) {
  const std::string path = (env / "other.db").string();
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
  }
  auto conn = Engine().OpenDatabase(path);
  auto rs = conn->OpenRecordset("select name from sqlite_master");
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields(0).Value().ToText(), "t");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { conn->OpenRecordset("select * from data"); }).Number(), dberr::TableNotFound);
}

using RecordsetTest = OnEachEngine<JobDbTest>;

TEST_P(RecordsetTest, ForwardReadingAndRecordCount) {
  db.AddKeys("A1", "1");
  db.AddKeys("A2", "2");
  auto conn = db.Open();
  auto rs = conn->OpenRecordset("select Filename, ProgramNumber from data order by Filename");
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->FieldCount(), 2);
  EXPECT_EQ(rs->Fields("filename").Value().ToText(), "A1");
  EXPECT_EQ(rs->Fields(1).Name(), "ProgramNumber");
  rs->MoveNext();
  EXPECT_EQ(rs->Fields(0).Value().ToText(), "A2");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->RecordCount(), 2);
  // At EOF the fields keep their names; their values are gone.
  EXPECT_EQ(rs->Fields("Filename").Name(), "Filename");
  EXPECT_EQ(ErrorOf([&] { rs->Fields(0).Value(); }).Number(), dberr::NoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).Number(), dberr::NoCurrentRecord);
}

TEST_P(RecordsetTest, UnknownFieldsAndClosedObjects) {
  db.AddKeys("A1", "1");
  auto conn = db.Open();
  auto rs = conn->OpenRecordset("select * from data");
  EXPECT_EQ(ErrorOf([&] { rs->Fields("NoSuchField"); }).Number(), dberr::ItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->Fields(99); }).Number(), dberr::ItemNotFound);
  auto second = conn->OpenRecordset("select * from data");
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->Eof(); }).Number(), dberr::ObjectClosed);
  // Closing the database closes what is still open on it.
  conn->Close();
  EXPECT_EQ(ErrorOf([&] { second->Fields(0); }).Number(), dberr::ObjectClosed);
  EXPECT_EQ(ErrorOf([&] { conn->OpenRecordset("select * from data"); }).Number(), dberr::ObjectClosed);
  conn->Close();
}

TEST_P(RecordsetTest, ValueKindsAndTheFirstRowHint) {
  db.AddJob({{"Filename", "0042"},
             {"Version", "7"},
             {"Materialthickness", "1.5"},
             {"Createdate", "2024-01-02 03:04:05"}});
  auto conn = db.Open();
  auto rs = conn->OpenRecordset("select Filename, Version, Materialthickness, Createdate, Author from data");
  EXPECT_EQ(rs->Fields(0).Value(), Variant("0042"));  // a text key stays text
  EXPECT_EQ(rs->Fields(1).Value(), Variant(7LL));
  EXPECT_EQ(rs->Fields(2).Value(), Variant(1.5));
  EXPECT_EQ(rs->Fields(3).Value(), Variant::Date("2024-01-02 03:04:05"));
  EXPECT_TRUE(rs->Fields(4).Value().IsNull());
  // A database object that goes away closes its record sets.
  conn.reset();
  EXPECT_EQ(ErrorOf([&] { rs->Fields(0); }).Number(), dberr::ObjectClosed);
  // The first-row hint limits the rows.
  for (const char* k : {"5", "17", "3", "AB"}) db.AddKeys(k, std::string("P") + k);
  conn = db.Open();
  rs =
      conn->OpenRecordset("SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC;",
                          dbOpenForwardOnly, 0, 1);
  EXPECT_EQ(rs->Fields(0).Value().ToText(), "0042");  // 42 beats 17, 5 and 3
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { conn->OpenRecordset("select * from data", 3); }).Number(), dberr::InvalidArgument);
}

using StatementErrors = OnEachEngine<JobDbTest>;

TEST_P(StatementErrors, EachFailureHasItsNumber) {
  auto conn = db.Open();
  auto number = [&](const std::string& sql) { return ErrorOf([&] { conn->OpenRecordset(sql); }).Number(); };
  EXPECT_EQ(number("select from where"), dberr::Syntax);
  EXPECT_EQ(number("select * from data where Filename = \"open"), dberr::Syntax);
  EXPECT_EQ(number("select [NoSuchColumn] from data"), dberr::UnknownName);  // never taken as a text
  EXPECT_EQ(number("select NoSuchFunc(Filename) from data"), dberr::UndefinedFunction);
  EXPECT_EQ(number("select * from NoSuchTable"), dberr::TableNotFound);
  EXPECT_EQ(number("select * from data; delete from data"), dberr::TrailingText);
  EXPECT_EQ(ErrorOf([&] { conn->Execute("select * from data"); }).Number(), dberr::SelectNotExecutable);
  const KxError e = ErrorOf([&] { conn->OpenRecordset("select [Filenam] from data"); });
  EXPECT_EQ(e.Source(), "DAO.Database");
  EXPECT_NE(e.Description().find("Filenam"), std::string::npos) << e.Description();
}

TEST_P(StatementErrors, FunctionErrorsKeepTheirNumbers) {
  db.AddKeys("AB", "1");
  auto conn = db.Open();
  // Unguarded CDbl of a text fails as a type mismatch; the guarded statements never do.
  EXPECT_EQ(ErrorOf([&] { conn->OpenRecordset("select CDbl(Filename) from data"); }).Number(),
            dberr::TypeMismatch);
  EXPECT_EQ(ErrorOf([&] { conn->OpenRecordset("select CDbl(\"1e400\") from data"); }).Number(), err::Overflow);
  EXPECT_EQ(
      ErrorOf([&] { conn->OpenRecordset("select * from data where Filename like \"[Z-A]\""); }).Number(),
      dberr::Syntax);
  auto rs =
      conn->OpenRecordset("select IsNumeric(Null), CDbl(Null), IsNumeric(' 1.5e3 '), CDbl('-2.5') from data");
  EXPECT_EQ(rs->Fields(0).Value(), Variant(0LL));
  EXPECT_TRUE(rs->Fields(1).Value().IsNull());
  EXPECT_EQ(rs->Fields(2).Value(), Variant(1LL));
  EXPECT_EQ(rs->Fields(3).Value(), Variant(-2.5));
  auto nullLike =
      conn->OpenRecordset("select count(*) from data where Null like \"*\" or Filename like Null");
  EXPECT_EQ(nullLike->Fields(0).Value(), Variant(0LL));
}

// IsNumeric and CDbl in statements are the client's number rules, whatever the engine.
TEST_P(StatementErrors, IsNumericAndCDblAreTheClientsRules) {
  auto conn = db.Open();
  for (const char* text : {" 1.5e3 ", "5.", ".5", "+.5", "-0", "1e", "- 5", "1 2", "", "\t7\t", "1E+2", "&H10",
                           "\u0663", "0x1A", "1,5", "Infinity", "NaN", "1e308", "-1e309", "1e-400", "0e999",
                           "17976931348623158e292", "17976931348623159e292"}) {
    const std::string x = QuoteSqlText(text, '"');
    auto rs = conn->OpenRecordset("select IsNumeric(" + x + "), IIF(IsNumeric(" + x + "), CDbl(" + x + "), -1)");
    EXPECT_EQ(rs->Fields(0).Value().ToNumber() != 0, IsNumeric(text)) << text;
    EXPECT_EQ(rs->Fields(1).Value().ToNumber(), IsNumeric(text) ? CDbl(text) : -1.0) << text;
  }
}

using KeysAndCase = OnEachEngine<JobDbTest>;

TEST_P(KeysAndCase, UniqueKeysRefuseAValueDifferingOnlyInCase) {
  db.AddKeys("ab12", "P1");
  const KxError e = ErrorOf([&] { db.AddKeys("AB12", "P2"); });
  EXPECT_EQ(e.Number(), dberr::DuplicateKey);
  EXPECT_EQ(ErrorOf([&] { db.AddKeys("X", "p1"); }).Number(), dberr::DuplicateKey);
  EXPECT_EQ(db.Rows("select Filename from data"), (Strings{"ab12"}));
  // Null keys are not values: several jobs may lack one.
  db.AddKeys(kNull, "P3");
  db.AddKeys(kNull, "P4");
  // Keys that differ in more than letter case are different keys.
  for (const char* key : {"A2", "A²", "\uFB01le1", "file1"}) db.AddKeys(key, key);
  EXPECT_EQ(ErrorOf([&] { db.AddKeys("FILE1", "P5"); }).Number(), dberr::DuplicateKey);
  EXPECT_EQ(db.Rows("select Filename from data where Filename like 'a?' order by Filename"),
            (Strings{"A2", "A²"}));
  // A key no double holds is a text, and is stored like one (the numeric indexes skip it).
  db.AddKeys(std::string(400, '9'), "1E400");
  db.AddKeys("2E309", "P9");
  EXPECT_EQ(db.Count("select count(*) from data where IsNumeric(Filename) or IsNumeric(ProgramNumber)"), 0);
}

// Names too: SQLite itself would match only ASCII letters without case.
TEST_P(KeysAndCase, ColumnNamesMatchWithoutCaseForEveryLetter) {
  db.AddColumn("NCDATA", "Länge");
  db.AddJob({{"Filename", "J1"}, {"LÄNGE", "12"}});
  EXPECT_EQ(db.Execute("Update NcData SET [LÄNGE] = 13 where länge = 12"), 1);
  EXPECT_EQ(db.Rows("select [LÄNGE] from data where [lÄnge] > 12"), Strings{"13"});
}

// Like on a number column sees the value as the grid shows it: a thickness of 2 is "2".
TEST_P(KeysAndCase, LikeSeesNumbersAsTheGridShowsThem) {
  db.AddJob({{"Filename", "J1"}, {"Materialthickness", 2}});
  db.AddJob({{"Filename", "J2"}, {"Materialthickness", 2.5}});
  EXPECT_EQ(db.Rows("select Filename from data where Materialthickness like \"2\""), Strings{"J1"});
  EXPECT_EQ(db.Count("select count(*) from data where Materialthickness like \"2*\""), 2);
  EXPECT_EQ(db.Rows("select Filename from data where Materialthickness like \"2.5\""), Strings{"J2"});
  // Each value matches its own text as the grid writes it, and no other job's.
  const double values[] = {0.0001, 0.00012, 1e-7, 1234567890123456.0, 1e15, 1.5e20, 12345678901234567890.0, -2e300};
  for (const double v : values) db.AddJob({{"Filename", FormatNumber(v)}, {"Materialthickness", v}});
  for (const double v : values)
    EXPECT_EQ(db.Rows("select Filename from data where Materialthickness like " + QuoteSqlText(FormatNumber(v), '"')),
              Strings{FormatNumber(v)});
}

TEST_P(KeysAndCase, ComparisonsAndSortsIgnoreCase) {
  db.AddKeys("b", "1");
  db.AddKeys("AC", "2");
  db.AddKeys("a", "3");
  db.AddKeys("Ä1", "4");
  EXPECT_EQ(db.Rows("select Filename from data order by Filename"), (Strings{"a", "Ä1", "AC", "b"}));
  EXPECT_EQ(db.Rows("select Filename from data where Filename > \"ab\" order by Filename desc"),
            (Strings{"b", "AC"}));
  EXPECT_EQ(db.Count("select count(*) from data where Filename = 'ä1'"), 1);
  EXPECT_EQ(db.Count("select count(*) from data where Filename like 'ä*'"), 1);
}

// The list sources and the value pools: values differing only in case count once, Null first.
TEST_P(KeysAndCase, DistinctAndUnionMergeValuesDifferingOnlyInCase) {
  // Machineset has an index (the server walks it from key to key), MachinesetMax none.
  db.AddJob({{"Filename", "ab12"}, {"ProgramNumber", "AB12"}, {"Machineset", "S2"}, {"MachinesetMax", "S2"}});
  db.AddJob({{"Filename", "X1"}, {"ProgramNumber", "x2"}, {"Machineset", "s1"}, {"MachinesetMax", "s1"}});
  db.AddJob({{"Filename", "X3"}, {"Machineset", "S1"}, {"MachinesetMax", "S1"}});
  db.AddJob({{"Filename", "X4"}, {"Machineset", kNull}, {"MachinesetMax", kNull}});
  db.AddJob({{"Filename", "X5"}, {"Machineset", ""}, {"MachinesetMax", ""}});
  const Strings sets = db.Rows("select Distinct [Machineset] from data order by [Machineset] ASC");
  ASSERT_EQ(sets.size(), 4u);
  EXPECT_EQ(sets[0], "<Null>");
  EXPECT_EQ(sets[1], "");
  EXPECT_EQ(sets[3], "S2");
  const Strings unindexed = db.Rows("select Distinct [MachinesetMax] from data order by [MachinesetMax] ASC");
  ASSERT_EQ(unindexed.size(), sets.size());
  EXPECT_EQ(FoldCase(unindexed[2]), FoldCase(sets[2]));
  const Strings pool = db.Rows(
      "SELECT V FROM (SELECT Filename as V FROM DATA UNION SELECT Programnumber as V FROM DATA) "
      "WHERE V Is Not Null Order By [V] DESC");
  EXPECT_EQ(pool.size(), 6u);  // ab12 once
  EXPECT_EQ(pool.front(), "X5");
}

// A job database made before: NOCASE_ICU was the root collator at secondary strength, so
// its indexes keep A² and A2 side by side in insertion order, and no number guards.
class OlderJobDatabase : public EnvTest {
 protected:
  OlderJobDatabase() {
    sqlite3* db = Raw(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    UErrorCode status = U_ZERO_ERROR;
    UCollator* old = ucol_open("", &status);
    ucol_setStrength(old, UCOL_SECONDARY);
    sqlite3_create_collation_v2(
        db, kNoCaseCollation, SQLITE_UTF8, old,
        [](void* c, int n1, const void* s1, int n2, const void* s2) {
          UErrorCode e = U_ZERO_ERROR;
          return static_cast<int>(ucol_strcollUTF8(static_cast<UCollator*>(c), static_cast<const char*>(s1),
                                                   n1, static_cast<const char*>(s2), n2, &e));
        },
        [](void* c) { ucol_close(static_cast<UCollator*>(c)); });
    Exec(db, JobDatabaseSchemaSql());
    Exec(db, "INSERT INTO NCDATA (Filename, Machine, Released) VALUES ('J1', 'M²', 1), ('J2', 'M2', 2)");
    sqlite3_close(db);
  }
  sqlite3* Raw(int flags) const {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path_.c_str(), &db, flags, nullptr), SQLITE_OK);
    RegisterDialect(db, nullptr);
    return db;
  }
  static void Exec(sqlite3* db, const std::string& sql) {
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  }
  // PRAGMA integrity_check and user_version under today's collation.
  std::string Check(int flags = SQLITE_OPEN_READWRITE) const {
    sqlite3* db = Raw(flags);
    std::string out;
    const auto append = [](void* text, int, char** values, char**) {
      *static_cast<std::string*>(text) += std::string(values[0]) + ";";
      return 0;
    };
    sqlite3_exec(db, "PRAGMA integrity_check; PRAGMA user_version", append, &out, nullptr);
    sqlite3_close(db);
    return out;
  }

  std::string path_ = (env / "old.db").string();
};

TEST_F(OlderJobDatabase, TheEngineRebuildsItsIndexesOnceWhenItOpensIt) {
  ASSERT_FALSE(Check().starts_with("ok;"));  // out of order under today's collation
  auto conn = Engine().OpenDatabase(path_);
  EXPECT_EQ(Check(), "ok;" + std::to_string(detail::kJobDatabaseFormat) + ";");
  EXPECT_EQ(conn->OpenRecordset("select count(*) from data where Machine = 'm2'")->Fields(0).Value(),
            Variant(1LL));
  conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('J²')");  // no longer the same key as J2
  EXPECT_EQ(
      ErrorOf([&] { conn->Execute("UPDATE NCDATA SET Released = 'x' WHERE Filename = 'J1'"); }).Number(),
      dberr::ConversionError);
}

TEST_F(OlderJobDatabase, AFileOpenedReadOnlyIsReadAsItIs) {
  sqlite3* db = Raw(SQLITE_OPEN_READONLY);
  detail::UpgradeJobDatabase(db);
  sqlite3_close(db);
  EXPECT_TRUE(Check(SQLITE_OPEN_READONLY).ends_with(";0;"));
}

// Text or an out-of-range number for a number column is refused and changes nothing.
using NumberColumns = OnEachEngine<JobDbTest>;

TEST_P(NumberColumns, NumberColumnsTakeOnlyNumbersThatFit) {
  db.AddJob({{"Filename", "J1"}, {"Released", "0"}});
  const struct {
    const char* column;
    const char* value;
    long error;  // 0: stored
  } cases[] = {
      {"Released", "abc", dberr::ConversionError},
      {"Released", "99999", dberr::FieldOverflow},
      {"DataType", "", dberr::ConversionError},
      {"Materialthickness", "thick", dberr::ConversionError},
      {"Version", "3000000000", dberr::FieldOverflow},
      {"Released", "-32768", 0},
      {"Version", "1e3", 0},
      {"DataType", " 7.0 ", 0},
      {"Materialthickness", "2.5", 0},
  };
  for (const auto& c : cases) {
    const std::string sql = std::string("Update NcData SET [") + c.column + "] = \"" + c.value + "\"";
    const long result = c.error ? ErrorOf([&] { db.Execute(sql); }).Number() : db.Execute(sql);
    EXPECT_EQ(result, c.error ? c.error : 1) << sql;  // stored: the one job changed
  }
  EXPECT_EQ(ErrorOf([&] {
              db.AddJob({{"Filename", "J2"}, {"NestStatus", "x"}});
            }).Number(),
            dberr::ConversionError);
  EXPECT_EQ(db.Rows("select Released, Version, DataType, Materialthickness from data"),
            Strings{"-32768|1000|7|2.5"});
  EXPECT_EQ(ErrorOf([&] {
              db.Execute("INSERT INTO MACHINE (Machine, DirectoryType) VALUES ('M', 40000)");
            }).Number(),
            dberr::FieldOverflow);
  // The server's date column takes only dates; a SQLite file keeps any text there.
  if (OnServer()) {
    EXPECT_EQ(ErrorOf([&] { db.Execute("Update NcData SET [Createdate] = \"someday\""); }).Number(),
              dberr::ConversionError);
  }
}

using Transactions = OnEachEngine<JobDbTest>;

TEST_P(Transactions, RollbackOnScopeExitCommitOnRequest) {
  auto conn = db.Open();
  {
    Transaction t(*conn);
    conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T1')");
  }
  EXPECT_EQ(db.Count("select count(*) from data"), 0);
  {
    Transaction t(*conn);
    conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T2')");
    {
      Transaction inner(*conn);
      conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T3')");
    }
    t.Commit();
    EXPECT_EQ(ErrorOf([&] { t.Commit(); }).Number(), dberr::NoTransaction);
  }
  EXPECT_EQ(db.Rows("select Filename from data"), (Strings{"T2"}));
  EXPECT_EQ(ErrorOf([&] { conn->CommitTrans(); }).Number(), dberr::NoTransaction);
  // The destructor never throws, even when the database went away first.
  Transaction t(*conn);
  conn->Close();
}

TEST_P(Transactions, LockHeldByAnotherConnectionFailsAfterTheBusyTimeout) {
  db.AddKeys("A", "1");
  const int saved = Engine().BusyTimeoutMs();
  Engine().BusyTimeoutMs(150);
  auto writer = db.Open();
  writer->BeginTrans();
  writer->Execute("UPDATE NCDATA SET Author = 'me'");
  auto other = db.Open();
  const auto start = std::chrono::steady_clock::now();
  const KxError e = ErrorOf([&] { other->Execute("UPDATE NCDATA SET Author = 'you'"); });
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(e.Number(), dberr::Locked);
  EXPECT_GE(waited, std::chrono::milliseconds(100));
  // Readers are not blocked by a writer (WAL).
  EXPECT_EQ(other->OpenRecordset("select count(*) from data")->Fields(0).Value(), Variant(1LL));
  writer->Rollback();
  EXPECT_EQ(other->Execute("UPDATE NCDATA SET Author = 'you'"), 1);
  Engine().BusyTimeoutMs(saved);
}

KX_ON_EACH_ENGINE(RecordsetTest);
KX_ON_EACH_ENGINE(StatementErrors);
KX_ON_EACH_ENGINE(KeysAndCase);
KX_ON_EACH_ENGINE(Transactions);
KX_ON_EACH_ENGINE(NumberColumns);

}  // namespace
}  // namespace kx::test
