// The PostgreSQL engine on a server of its own: opening, values, record sets, errors,
// transactions, the command line; where SQLite answers the same, both are asked.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <sstream>

#include "cli_app.h"
#include "pg_job_db.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"

namespace kx::test {
namespace {

using ::testing::HasSubstr;

::testing::Environment* const kServer = ::testing::AddGlobalTestEnvironment(new PgEnvironment);

// The schema a connection string of PgServer::NewSchema() works in.
std::string SchemaOf(const std::string& conninfo) { return conninfo.substr(conninfo.rfind('=') + 1); }

class PgEngine : public PgJobDbTest {
 protected:
  static long OpenError(const std::string& name) {
    return ErrorOf([&] { Engine().OpenDatabase(name); }).Number();
  }
};

TEST_F(PgEngine, OpeningRefusesWhatIsNoJobDatabaseOrUnreachable) {
  const std::string empty = Server().NewSchema();
  const std::string old = Server().NewSchema();
  CreateJobDatabase(old);
  Engine().OpenDatabase(old)->Execute("UPDATE kx_schema SET version = 99");
  const std::string broken = Server().NewSchema();
  CreateJobDatabase(broken);
  Server().Exec("DROP FUNCTION " + SchemaOf(broken) + ".kx_table_info(text)");

  EXPECT_EQ(OpenError(Server().ConnInfo("nosuchdb")), dberr::FileNotFound);
  EXPECT_EQ(OpenError("host=/nonexistent-kx port=5432 dbname=kx"), dberr::DiskOrNetwork);
  EXPECT_EQ(OpenError(Server().ConnInfo("kx", "password=secret")), dberr::CannotOpen);
  for (const std::string& name : {empty, old, broken}) EXPECT_EQ(OpenError(name), dberr::BadFormat) << name;
  const KxError e = ErrorOf([&] { Engine().OpenDatabase(old); });
  EXPECT_EQ(e.Source(), "DAO.DBEngine");
  EXPECT_THAT(e.Description(), HasSubstr("version 99"));
  EXPECT_THAT(ErrorOf([&] { Engine().OpenDatabase(Server().ConnInfo("nosuchdb")); }).Description(),
              HasSubstr("3D000"));
  // The database exists already: db init leaves it alone.
  EXPECT_EQ(ErrorOf([&] { CreateJobDatabase(pg.Path()); }).Number(), dberr::AlreadyExists);
}

TEST_F(PgEngine, PasswordsComeFromThePasswordFileOnly) {
  const std::string schema = SchemaOf(pg.Path());
  Server().Exec("GRANT USAGE ON SCHEMA " + schema + " TO kx_login; GRANT SELECT ON ALL TABLES IN SCHEMA " +
                schema + " TO kx_login");
  const std::string name = pg.Path() + " user=kx_login";
  const auto pgpass = [&](const std::string& password) {
    const auto file = env.Write("pgpass", "*:*:*:kx_login:" + password + "\n");
    chmod(file.c_str(), 0600);
    setenv("PGPASSFILE", file.c_str(), 1);
  };
  pgpass("wrong");
  const KxError e = ErrorOf([&] { Engine().OpenDatabase(name); });
  EXPECT_EQ(e.Number(), dberr::InvalidAccount);
  EXPECT_THAT(e.Description(), HasSubstr("28P01"));
  setenv("PGPASSFILE", "/nonexistent-kx-pgpass", 1);
  EXPECT_EQ(OpenError(name), dberr::InvalidAccount);
  pgpass("right");
  EXPECT_EQ(Engine().OpenDatabase(name)->OpenRecordset("select count(*) from data")->Fields(0).Value(),
            Variant(0LL));
  unsetenv("PGPASSFILE");
}

TEST_F(PgEngine, ValuesNullAndKindsAsSqliteGivesThem) {
  Both([](const JobDatabase& d) {
    d.AddJob({{"Filename", "0042"},
              {"Version", 7},
              {"Materialthickness", 1.5},
              {"Createdate", "2024-01-02 03:04:05"}});
    d.AddKeys(" 43 ", "P1");
  });
  const auto firstRow = [](const JobDatabase& d) {
    auto conn = d.Open();
    auto rs = conn->OpenRecordset(
        "select Filename, Version, Materialthickness, Createdate, Author, IsNumeric(Filename), "
        "CDbl(Filename), "
        "IsNumeric(Null), CDbl(Null), IIF(IsNumeric(Author), 1, -2.5), Filename = \"0042\", DataType "
        "from data order by Filename desc");
    std::vector<Variant> values;
    for (const Field& f : rs->AllFields()) values.push_back(f.Value());
    values.push_back(conn->OpenRecordset("select count(*) from data")->Fields(0).Value());
    return values;
  };
  const auto [sqlite, server] = OnEach(firstRow);
  ASSERT_EQ(server.size(), sqlite.size());
  for (std::size_t i = 0; i < server.size(); ++i)
    EXPECT_TRUE(server[i] == sqlite[i]) << i << ": " << server[i].ToText() << " / " << sqlite[i].ToText();
  EXPECT_EQ(server[3].GetKind(), Variant::Kind::Date);
  EXPECT_TRUE(server[4].IsNull());
}

TEST_F(PgEngine, NumbersFollowTheClientsRules) {
  for (const char* text : {" 1.5e3 ",
                           "5.",
                           ".5",
                           "+.5",
                           "-0",
                           "1e",
                           "- 5",
                           "1 2",
                           "",
                           "\t7\t",
                           "1E+2",
                           "&H10",
                           "٣",
                           "0x1A",
                           "1,5",
                           "Infinity",
                           "NaN",
                           "1e308",
                           "-1e309",
                           "1e-400",
                           "0e999",
                           "17976931348623158e292",
                           "17976931348623159e292"}) {
    const std::string x = QuoteSqlText(text, '"');
    const auto [sqlite, server] = OnEach([&](const JobDatabase& d) {
      auto conn = d.Open();
      auto rs =
          conn->OpenRecordset("select IsNumeric(" + x + "), IIF(IsNumeric(" + x + "), CDbl(" + x + "), -1)");
      return std::make_pair(rs->Fields(0).Value(), rs->Fields(1).Value().ToText());
    });
    EXPECT_TRUE(server == sqlite) << text << ": " << server.second << " / " << sqlite.second;
  }
}

TEST_F(PgEngine, RecordSetsStreamAndShareTheConnection) {
  auto conn = pg.Open();
  conn->Execute("insert into NCDATA (Filename) select 'K' || g from generate_series(1, 3000) g");
  auto rows = conn->OpenRecordset("select Filename from data order by Filename");
  EXPECT_EQ(rows->RecordCount(), 1);
  EXPECT_EQ(rows->Fields("FILENAME").Value().ToText(), "K1");
  rows->MoveNext();
  // A second statement while rows are still arriving: the first set keeps all of its rows.
  EXPECT_EQ(conn->OpenRecordset("select count(*) from data")->Fields(0).Value(), Variant(3000LL));
  EXPECT_EQ(conn->Execute("delete from NCDATA"), 3000);
  long n = 1;
  for (; !rows->Eof(); rows->MoveNext()) ++n;
  EXPECT_EQ(n, 3000);
  EXPECT_EQ(rows->RecordCount(), 3000);
  EXPECT_EQ(rows->Fields("Filename").Name(), "Filename");
  EXPECT_EQ(ErrorOf([&] { rows->Fields(0).Value(); }).Number(), dberr::NoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rows->Fields("Nope"); }).Number(), dberr::ItemNotFound);
  // Closed early: the server stops, the connection serves the next statement.
  conn->Execute("insert into NCDATA (Filename) select 'K' || g from generate_series(1, 3000) g");
  auto early = conn->OpenRecordset("select * from data");
  early->Close();
  EXPECT_EQ(ErrorOf([&] { early->Eof(); }).Number(), dberr::ObjectClosed);
  EXPECT_EQ(conn->Execute("update NCDATA set Author = 'me' where Filename like \"K1*\""), 1111);
  auto open = conn->OpenRecordset("select * from data");
  conn->Close();
  EXPECT_EQ(ErrorOf([&] { open->Fields(0); }).Number(), dberr::ObjectClosed);
}

TEST_F(PgEngine, StatementErrorsHaveSqlitesNumbers) {
  Both([](const JobDatabase& d) { d.AddKeys("AB", "1"); });
  const std::pair<const char*, long> cases[] = {
      {"select from where", dberr::Syntax},
      {"select * from data where Filename = \"open", dberr::Syntax},
      {"select [NoSuchColumn] from data", dberr::UnknownName},
      {"select NoSuchFunc(Filename) from data", dberr::UndefinedFunction},
      {"select * from NoSuchTable", dberr::TableNotFound},
      {"select * from data; delete from data", dberr::TrailingText},
      {"select CDbl(Filename) from data", dberr::TypeMismatch},
      {"select * from data where Filename like \"[Z-A]\"", dberr::Syntax},
      {"select CDbl(\"1e400\") from data", err::Overflow},
      // Number columns take only numbers that fit them.
      {"update NCDATA set Version = 'seven'", dberr::ConversionError},
      {"insert into NCDATA (Filename, DataArchive) values ('n1', 40000)", dberr::FieldOverflow},
      {"update NCDATA set Materialthickness = 'x'", dberr::ConversionError},
  };
  for (const auto& [sql, number] : cases) {
    const auto [sqlite, server] = OnEach([sql = std::string(sql)](const JobDatabase& d) {
      return ErrorOf([&] {
               if (sql.starts_with("select"))
                 d.Open()->OpenRecordset(sql);
               else
                 d.Execute(sql);
             })
          .Number();
    });
    EXPECT_EQ(sqlite, number) << sql;
    EXPECT_EQ(server, number) << sql;
  }
  EXPECT_EQ(ErrorOf([&] { pg.Open()->Execute("select * from data"); }).Number(), dberr::SelectNotExecutable);
  const KxError e = ErrorOf([&] { pg.Open()->OpenRecordset("select [Filenam] from data"); });
  EXPECT_EQ(e.Source(), "DAO.Database");
  EXPECT_THAT(e.Description(), HasSubstr("42703"));
}

TEST_F(PgEngine, TransactionsNestAndRollBack) {
  auto conn = pg.Open();
  {
    Transaction t(*conn);
    conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T1')");
  }
  {
    Transaction t(*conn);
    conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T2')");
    {
      Transaction inner(*conn);
      conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T3')");
    }
    t.Commit();
  }
  EXPECT_EQ(pg.Rows("select Filename from data"), (std::vector<std::string>{"T2"}));
  EXPECT_EQ(ErrorOf([&] { conn->CommitTrans(); }).Number(), dberr::NoTransaction);
  // A failed statement spoils the server's transaction: committing it says so.
  conn->BeginTrans();
  EXPECT_EQ(ErrorOf([&] { conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('t2')"); }).Number(),
            dberr::DuplicateKey);
  EXPECT_EQ(ErrorOf([&] { conn->CommitTrans(); }).Number(), err::DatabaseError);
  EXPECT_EQ(pg.Count("select count(*) from data"), 1);
}

TEST_F(PgEngine, LockWaitsEndAndLostConnectionsAreReported) {
  pg.AddKeys("A", "1");
  const int saved = Engine().BusyTimeoutMs();
  Engine().BusyTimeoutMs(150);
  auto writer = pg.Open();
  writer->BeginTrans();
  writer->Execute("UPDATE NCDATA SET Author = 'me'");
  auto other = pg.Open();
  EXPECT_EQ(ErrorOf([&] { other->Execute("UPDATE NCDATA SET Author = 'you'"); }).Number(), dberr::Locked);
  EXPECT_EQ(other->OpenRecordset("select count(*) from data")->Fields(0).Value(), Variant(1LL));
  writer->Rollback();
  Engine().BusyTimeoutMs(saved);

  const Variant pid = other->OpenRecordset("select pg_backend_pid()")->Fields(0).Value();
  Server().Exec("SELECT pg_terminate_backend(" + pid.ToText() + ")");
  const KxError e = ErrorOf([&] { other->OpenRecordset("select count(*) from data"); });
  EXPECT_EQ(e.Number(), dberr::DiskOrNetwork);
  EXPECT_EQ(e.Source(), "DAO.Database");
}

TEST_F(PgEngine, AReusedConnectionStartsCleanAndALostOneIsReplaced) {
  const auto backend = [](Database& conn) {
    return conn.OpenRecordset("select pg_backend_pid()")->Fields(0).Value();
  };
  const Variant first = backend(*pg.Open());
  Variant second;
  {
    auto conn = pg.Open();
    EXPECT_EQ(backend(*conn), first);  // the closed database's connection
    conn->Execute("create temporary table kx_mine (x integer)");
    second = backend(*conn);
  }
  auto conn = pg.Open();
  EXPECT_NE(backend(*conn), second);  // that session is not handed on
  EXPECT_EQ(ErrorOf([&] { conn->OpenRecordset("select * from kx_mine"); }).Number(), dberr::TableNotFound);
  const Variant third = backend(*conn);
  conn->Close();
  Server().Exec("SELECT pg_terminate_backend(" + third.ToText() + ", 10000)");
  EXPECT_EQ(pg.Open()->OpenRecordset("select count(*) from data")->Fields(0).Value(), Variant(0LL));
}

TEST_F(PgEngine, CommandLineInitsAndQueriesAServerDatabase) {
  const auto run = [](std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out, err;
    const int code = cli::RunCli(args, in, out, err);
    return std::make_pair(code, out.str() + err.str());
  };
  const std::string name = Server().NewSchema();
  EXPECT_EQ(run({"db", "init", name}).first, cli::kExitOk);
  EXPECT_THAT(run({"db", "init", name}), ::testing::Pair(cli::kExitError, HasSubstr("already exists")));
  EXPECT_THAT(run({"db", "sql", name, "insert into Data ([Filename]) values (\"A1\")"}).second,
              HasSubstr("1 row affected"));
  EXPECT_THAT(run({"db", "sql", name, "select filename from data where Filename = 'a1'"}).second,
              HasSubstr("A1"));
  EXPECT_EQ(run({"db", "sql", Server().ConnInfo("nosuchdb"), "select 1"}).first, cli::kExitError);
}

}  // namespace
}  // namespace kx::test
