// The engine's own behaviour: opening, record sets, errors, transactions, case rules.
#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "fs/native_path.h"
#include "job_db_fixture.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::string>;

TEST(DatabaseOpen, MissingFileIsAnErrorAndCreatesNothing) {
  TempDir dir;
  const std::string path = (dir / "missing.db").string();
  const KxError e = ErrorOf([&] { Engine().OpenDatabase(path); });
  EXPECT_EQ(e.Number(), dberr::FileNotFound);
  EXPECT_EQ(e.Source(), "DAO.DBEngine");
  EXPECT_NE(e.Description().find("missing.db"), std::string::npos) << e.Description();
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DatabaseOpen, FilesThatAreNoDatabaseAreRefused) {
  TempDir dir;
  EXPECT_EQ(ErrorOf([&] { Engine().OpenDatabase(dir.Write("empty.db").string()); }).Number(),
            dberr::BadFormat);
  EXPECT_EQ(ErrorOf([&] {
              auto db = Engine().OpenDatabase(dir.Write("text.db", std::string(4096, 'x')).string());
              db->OpenRecordset("select * from data");
            }).Number(),
            dberr::BadFormat);
  EXPECT_EQ(ErrorOf([&] { Engine().OpenDatabase(dir.MakeDir("folder.db").string()); }).Number(),
            dberr::CannotOpen);
  EXPECT_EQ(ReadAll(dir / "empty.db"), "");
}

TEST(DatabaseOpen, CreatingOverAnExistingFileIsRefused) {
  TempDir dir;
  const auto file = dir.Write("jobs.db", "keep me");
  EXPECT_EQ(ErrorOf([&] { CreateJobDatabase(file.string()); }).Number(), dberr::AlreadyExists);
  EXPECT_EQ(ReadAll(file), "keep me");
}

TEST(DatabaseOpen, WindowsFormPathGoesThroughTheDriveMap) {
  TempDir dir;
  SetDriveRootForTests("Q:", dir.Path());
  CreateJobDatabase("Q:\\Jobs.db");
  EXPECT_TRUE(std::filesystem::exists(dir / "Jobs.db"));
  auto db = Engine().OpenDatabase("q:\\jobs.db");  // case-insensitive resolution
  EXPECT_EQ(db->Name(), "q:\\jobs.db");
  EXPECT_TRUE(db->OpenRecordset("select * from NCDATA")->Eof());
  ClearDriveMapOverrides();
}

TEST(DatabaseOpen, OpeningLeavesAForeignSchemaAlone) {
  TempDir dir;
  const std::string path = (dir / "other.db").string();
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
  }
  auto db = Engine().OpenDatabase(path);
  auto rs = db->OpenRecordset("select name from sqlite_master");
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields(0).Value().ToText(), "t");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("select * from data"); }).Number(), dberr::TableNotFound);
}

class RecordsetTest : public JobDbTest {};

TEST_F(RecordsetTest, ForwardReadingAndRecordCount) {
  AddKeys("A1", "1");
  AddKeys("A2", "2");
  auto db = Open();
  auto rs = db->OpenRecordset("select Filename, ProgramNumber from data order by Filename");
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

TEST_F(RecordsetTest, UnknownFieldsAndClosedObjects) {
  AddKeys("A1", "1");
  auto db = Open();
  auto rs = db->OpenRecordset("select * from data");
  EXPECT_EQ(ErrorOf([&] { rs->Fields("NoSuchField"); }).Number(), dberr::ItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->Fields(99); }).Number(), dberr::ItemNotFound);
  auto second = db->OpenRecordset("select * from data");
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->Eof(); }).Number(), dberr::ObjectClosed);
  // Closing the database closes what is still open on it.
  db->Close();
  EXPECT_EQ(ErrorOf([&] { second->Fields(0); }).Number(), dberr::ObjectClosed);
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("select * from data"); }).Number(), dberr::ObjectClosed);
  db->Close();
}

TEST_F(RecordsetTest, ValueKinds) {
  AddJob({{"Filename", "0042"},
          {"Version", "7"},
          {"Materialthickness", "1.5"},
          {"Createdate", "2024-01-02 03:04:05"}});
  auto db = Open();
  auto rs = db->OpenRecordset("select Filename, Version, Materialthickness, Createdate, Author from data");
  EXPECT_EQ(rs->Fields(0).Value(), Variant("0042"));  // a text key stays text
  EXPECT_EQ(rs->Fields(1).Value(), Variant(7LL));
  EXPECT_EQ(rs->Fields(2).Value(), Variant(1.5));
  EXPECT_EQ(rs->Fields(3).Value(), Variant::Date("2024-01-02 03:04:05"));
  EXPECT_TRUE(rs->Fields(4).Value().IsNull());
  // A database object that goes away closes its record sets.
  db.reset();
  EXPECT_EQ(ErrorOf([&] { rs->Fields(0); }).Number(), dberr::ObjectClosed);
}

TEST_F(RecordsetTest, FirstRowHintLimitsTheRows) {
  for (const char* k : {"5", "17", "3", "AB"}) AddKeys(k, std::string("P") + k);
  auto db = Open();
  auto rs =
      db->OpenRecordset("SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC;",
                        dbOpenForwardOnly, 0, 1);
  EXPECT_EQ(rs->Fields(0).Value().ToText(), "17");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("select * from data", 3); }).Number(), dberr::InvalidArgument);
}

class StatementErrors : public JobDbTest {};

TEST_F(StatementErrors, EachFailureHasItsNumber) {
  auto db = Open();
  auto number = [&](const std::string& sql) { return ErrorOf([&] { db->OpenRecordset(sql); }).Number(); };
  EXPECT_EQ(number("select from where"), dberr::Syntax);
  EXPECT_EQ(number("select * from data where Filename = \"open"), dberr::Syntax);
  EXPECT_EQ(number("select [NoSuchColumn] from data"), dberr::UnknownName);  // never taken as a text
  EXPECT_EQ(number("select NoSuchFunc(Filename) from data"), dberr::UndefinedFunction);
  EXPECT_EQ(number("select * from NoSuchTable"), dberr::TableNotFound);
  EXPECT_EQ(number("select * from data; delete from data"), dberr::TrailingText);
  EXPECT_EQ(ErrorOf([&] { db->Execute("select * from data"); }).Number(), dberr::SelectNotExecutable);
  const KxError e = ErrorOf([&] { db->OpenRecordset("select [Filenam] from data"); });
  EXPECT_EQ(e.Source(), "DAO.Database");
  EXPECT_NE(e.Description().find("Filenam"), std::string::npos) << e.Description();
}

TEST_F(StatementErrors, FunctionErrorsKeepTheirNumbers) {
  AddKeys("AB", "1");
  auto db = Open();
  // Unguarded CDbl of a text fails as a type mismatch; the guarded statements never do.
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("select CDbl(Filename) from data"); }).Number(),
            dberr::TypeMismatch);
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("select * from data where Filename like \"[Z-A]\""); }).Number(),
            dberr::Syntax);
  auto rs =
      db->OpenRecordset("select IsNumeric(Null), CDbl(Null), IsNumeric(' 1.5e3 '), CDbl('-2.5') from data");
  EXPECT_EQ(rs->Fields(0).Value(), Variant(0LL));
  EXPECT_TRUE(rs->Fields(1).Value().IsNull());
  EXPECT_EQ(rs->Fields(2).Value(), Variant(1LL));
  EXPECT_EQ(rs->Fields(3).Value(), Variant(-2.5));
  auto nullLike = db->OpenRecordset("select count(*) from data where Null like \"*\" or Filename like Null");
  EXPECT_EQ(nullLike->Fields(0).Value(), Variant(0LL));
}

class KeysAndCase : public JobDbTest {};

TEST_F(KeysAndCase, UniqueKeysRefuseAValueDifferingOnlyInCase) {
  AddKeys("ab12", "P1");
  const KxError e = ErrorOf([&] { AddKeys("AB12", "P2"); });
  EXPECT_EQ(e.Number(), dberr::DuplicateKey);
  EXPECT_EQ(ErrorOf([&] { AddKeys("X", "p1"); }).Number(), dberr::DuplicateKey);
  EXPECT_EQ(Rows("select Filename from data"), (Strings{"ab12"}));
  // Null keys are not values: several jobs may lack one.
  AddKeys(kNull, "P3");
  AddKeys(kNull, "P4");
}

TEST_F(KeysAndCase, ComparisonsAndSortsIgnoreCase) {
  AddKeys("b", "1");
  AddKeys("AC", "2");
  AddKeys("a", "3");
  AddKeys("Ä1", "4");
  EXPECT_EQ(Rows("select Filename from data order by Filename"), (Strings{"a", "Ä1", "AC", "b"}));
  EXPECT_EQ(Rows("select Filename from data where Filename > \"ab\" order by Filename desc"),
            (Strings{"b", "AC"}));
  EXPECT_EQ(Count("select count(*) from data where Filename = 'ä1'"), 1);
  EXPECT_EQ(Count("select count(*) from data where Filename like 'ä*'"), 1);
}

class Transactions : public JobDbTest {};

TEST_F(Transactions, RollbackOnScopeExitCommitOnRequest) {
  auto db = Open();
  {
    Transaction t(*db);
    db->Execute("INSERT INTO NCDATA (Filename) VALUES ('T1')");
  }
  EXPECT_EQ(Count("select count(*) from data"), 0);
  {
    Transaction t(*db);
    db->Execute("INSERT INTO NCDATA (Filename) VALUES ('T2')");
    {
      Transaction inner(*db);
      db->Execute("INSERT INTO NCDATA (Filename) VALUES ('T3')");
    }
    t.Commit();
    EXPECT_EQ(ErrorOf([&] { t.Commit(); }).Number(), dberr::NoTransaction);
  }
  EXPECT_EQ(Rows("select Filename from data"), (Strings{"T2"}));
  EXPECT_EQ(ErrorOf([&] { db->CommitTrans(); }).Number(), dberr::NoTransaction);
  // The destructor never throws, even when the database went away first.
  Transaction t(*db);
  db->Close();
}

TEST_F(Transactions, LockHeldByAnotherConnectionFailsAfterTheBusyTimeout) {
  AddKeys("A", "1");
  const int saved = Engine().BusyTimeoutMs();
  Engine().BusyTimeoutMs(150);
  auto writer = Open();
  writer->BeginTrans();
  writer->Execute("UPDATE NCDATA SET Author = 'me'");
  auto other = Open();
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

}  // namespace
}  // namespace kx::test
