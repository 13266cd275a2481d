// What only the PostgreSQL engine has: opening a server database, passwords, streamed record
// sets, a spoilt transaction, lost and reused connections, the command line. The rest of the
// engine runs on both engines in tests/platform/test_database.cpp.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <sstream>

#include "cli_app.h"
#include "pg_job_db.h"
#include "platform/job_schema.h"

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

// A failed statement spoils the server's transaction: committing it says so. A lost
// connection is the network's error.
TEST_F(PgEngine, FailedTransactionsAndLostConnectionsAreReported) {
  auto conn = pg.Open();
  conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('T2')");
  conn->BeginTrans();
  EXPECT_EQ(ErrorOf([&] { conn->Execute("INSERT INTO NCDATA (Filename) VALUES ('t2')"); }).Number(),
            dberr::DuplicateKey);
  EXPECT_EQ(ErrorOf([&] { conn->CommitTrans(); }).Number(), err::DatabaseError);
  EXPECT_EQ(pg.Count("select count(*) from data"), 1);

  const Variant pid = conn->OpenRecordset("select pg_backend_pid()")->Fields(0).Value();
  Server().Exec("SELECT pg_terminate_backend(" + pid.ToText() + ")");
  const KxError e = ErrorOf([&] { conn->OpenRecordset("select count(*) from data"); });
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
