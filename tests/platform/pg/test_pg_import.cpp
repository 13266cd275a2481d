// kestrafix db import into a server database: every table of the Access file with its rows,
// currency exact, the name with an umlaut; the same file into SQLite agrees row for row.
#include <gmock/gmock.h>

#include <sstream>

#include "cli_app.h"
#include "job_database.h"
#include "pg_server.h"
#include "test_environment.h"

namespace kx::test {
namespace {

::testing::Environment* const kServer = ::testing::AddGlobalTestEnvironment(new PgEnvironment);

int Import(const std::string& target) {
  std::istringstream in;
  std::ostringstream out, err;
  const int code =
      cli::RunCli({"db", "import", "--tables-only", (TestData("access") / "nwind.mdb").string(), target},
                  in, out, err);
  EXPECT_EQ(code, 0) << err.str();
  return code;
}

TEST(PgImport, AccessFileArrivesOnTheServerAsInSqlite) {
  PgServer* server = PgServer::Get();
  if (!server) GTEST_SKIP() << PgServer::Reason();
  const std::string pg = server->NewSchema();
  TempDir dir;
  const std::string sqlite = (dir / "nwind.db").string();
  ASSERT_EQ(Import(pg), 0);
  ASSERT_EQ(Import(sqlite), 0);
  for (const char* statement :
       {"select Count(*) from [Umsätze]", "select Count(*) from [Order Details]",
        "select ProductID, UnitPrice, Discontinued from Products where ProductID in (5, 6, 77) order by 1",
        "select EmployeeID, BirthDate, LastName from Employees order by 1"}) {
    SCOPED_TRACE(statement);
    EXPECT_EQ(JobDatabase(pg, false).Rows(statement), JobDatabase(sqlite, false).Rows(statement));
  }
  // Currency on the server is exact: numeric(19,4), compared as written.
  EXPECT_EQ(JobDatabase(pg, false).One("select Count(*) from Products where UnitPrice = 21.35"), "1");
}

}  // namespace
}  // namespace kx::test
