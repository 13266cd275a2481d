#include "job_database.h"

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "pg_server.h"
#include "platform/job_schema.h"
#include "platform/job_table_grid.h"

namespace kx::test {

namespace {

std::string Text(const Variant& v) { return v.IsNull() ? "<Null>" : v.ToText(); }

// Stops the program's server, if a case started one.
class ServerEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { PgServer::StopShared(); }
};
::testing::Environment* const kServer = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

}  // namespace

void PrintTo(DbEngine engine, std::ostream* os) { *os << (engine == DbEngine::Postgres ? "Postgres" : "Sqlite"); }

std::string EngineName(const ::testing::TestParamInfo<DbEngine>& info) {
  return ::testing::PrintToString(info.param);
}

// The running case's parameter as printed: a case of another parameter type runs on SQLite.
DbEngine JobDbTest::ThisEngine() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return info && info->value_param() && std::string_view(info->value_param()) == "Postgres" ? DbEngine::Postgres
                                                                                           : DbEngine::Sqlite;
}

// Without a server a server case still gets a database (the file), so fixtures can fill it
// before SetUp skips the case.
std::string JobDbTest::NewDbName() {
  if (ThisEngine() == DbEngine::Postgres)
    if (PgServer* server = PgServer::Get()) return server->NewSchema();
  return "D:\\jobs.db";
}

void JobDbTest::SetUp() {
  (void)kServer;
  if (!OnServer() || PgServer::Get()) return;
  if (const char* required = std::getenv("KX_PG_TESTS_REQUIRED"); required && *required == '1')
    FAIL() << "PostgreSQL tests required (KX_PG_TESTS_REQUIRED=1) but cannot run: " << PgServer::Reason();
  static bool told = false;
  if (!told) std::cout << "PostgreSQL tests skipped: " << PgServer::Reason() << std::endl;
  told = true;
  GTEST_SKIP();
}

JobDatabase::JobDatabase(std::string dbName, bool create) : path_(std::move(dbName)) {
  if (create) CreateJobDatabase(path_);
}

std::unique_ptr<Database> JobDatabase::Open() const { return Engine().OpenDatabase(path_); }

long JobDatabase::Execute(const std::string& statement) const {
  const auto db = Open();
  const long n = db->Execute(statement);
  db->Close();
  return n;
}

void JobDatabase::Seed(std::string_view file) const {
  std::istringstream in(ReadAll(TestData(file)));
  const auto conn = Open();
  Transaction all(*conn);  // one commit, not one per row
  std::string statement;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("--")) continue;  // the dialect has no comments
    statement += line + "\n";
    if (line.ends_with(";")) {
      statement.resize(statement.size() - 2);
      conn->Execute(statement);
      statement.clear();
    }
  }
  all.Commit();
}

void JobDatabase::AddColumn(const std::string& table, const std::string& column) const {
  Execute("ALTER TABLE " + table + " ADD COLUMN [" + column + "] TEXT");
}

void JobDatabase::Insert(const std::string& table, const Row& row) const {
  std::string names, values;
  for (const auto& [name, value] : row) {
    names += (names.empty() ? "[" : ", [") + name + "]";
    values += (values.empty() ? "" : ", ") + SqlLiteral(value);
  }
  Execute("INSERT INTO " + table + " (" + names + ") VALUES (" + values + ")");
}

std::vector<std::string> JobDatabase::Rows(const std::string& statement) const {
  const auto db = Open();
  const auto rs = db->OpenRecordset(statement);
  std::vector<std::string> out;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::string line;
    for (int i = 0; i < rs->FieldCount(); ++i) line += (i ? "|" : "") + Text(rs->Fields(i).Value());
    out.push_back(line);
  }
  return out;
}

std::string JobDatabase::One(const std::string& statement) const {
  const auto db = Open();
  const auto rs = db->OpenRecordset(statement);
  return rs->Eof() ? std::string() : Text(rs->Fields(0).Value());
}

long JobDatabase::Count(const std::string& statement) const {
  const auto db = Open();
  const auto rs = db->OpenRecordset(statement);
  return rs->Eof() ? 0 : static_cast<long>(rs->Fields(0).Value().ToNumber());
}

std::map<std::string, std::string> JobDatabase::Record(const std::string& statement) const {
  const auto db = Open();
  const auto rs = db->OpenRecordset(statement);
  std::map<std::string, std::string> out;
  if (!rs->Eof())
    for (const Field& f : rs->AllFields()) out[f.Name()] = Text(f.Value());
  return out;
}

}  // namespace kx::test
