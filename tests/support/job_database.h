#pragma once
// One job database helper: a new database with the job and machine tables, rows put in
// through the engine (or seeded from tests/data), and one reader of what a statement gives.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/variant.h"
#include "error_of.h"
#include "platform/database.h"
#include "test_environment.h"

namespace kx::test {

// Column name and value of one row; kNull stores Null.
using Row = std::vector<std::pair<std::string, Variant>>;
inline const Variant kNull = Variant::Null();

class JobDatabase {
 public:
  // Creates the database (DbName: Windows form or native) unless it exists and `create` is false.
  explicit JobDatabase(std::string dbName, bool create = true);

  const std::string& Path() const { return path_; }
  std::unique_ptr<Database> Open() const;
  long Execute(const std::string& statement) const;
  // The statements of tests/data/<file>, each ending with ";" at a line end; "--" lines skipped.
  void Seed(std::string_view file) const;
  void AddJob(const Row& row) const { Insert("NCDATA", row); }
  void AddMachine(const Row& row) const { Insert("MACHINE", row); }
  // As in a database made before number columns refused texts and values that do not fit.
  void DropNumberGuards() const { Execute("DROP TRIGGER kx_NCDATA_numbers_insert"); }
  void AddKeys(const Variant& filename, const Variant& programNumber) const {
    AddJob({{"Filename", filename}, {"ProgramNumber", programNumber}});
  }
  // A job on a machine (program number "P" and the file name).
  void AddJobOn(const std::string& filename, const std::string& machine,
                const std::string& machineset = "") const {
    AddJob({{"Filename", filename},
            {"ProgramNumber", "P" + filename},
            {"Machine", machine},
            {"Machineset", machineset.empty() ? kNull : Variant(machineset)}});
  }
  // A further column, as shops add them.
  void AddColumn(const std::string& table, const std::string& column) const;

  // Every row, its fields joined by "|", Null as "<Null>".
  std::vector<std::string> Rows(const std::string& statement) const;
  // The first field of the first row ("" when there is none).
  std::string One(const std::string& statement) const;
  // The first field of the first row as a number (0 when there is none).
  long Count(const std::string& statement) const;
  // The first row's fields by column name (empty when there is no row).
  std::map<std::string, std::string> Record(const std::string& statement) const;

 private:
  void Insert(const std::string& table, const Row& row) const;
  std::string path_;
};

// The engines a database suite runs on. A TEST_P case of a fixture OnEachEngine<F> runs once on
// each (KX_ON_EACH_ENGINE); the server's cases of a program run as one CTest test, so one server
// serves them all (started by the first, stopped with the program). Without the server binaries
// they are skipped with one line; with KX_PG_TESTS_REQUIRED=1 they fail instead.
enum class DbEngine { Sqlite, Postgres };
void PrintTo(DbEngine engine, std::ostream* os);
std::string EngineName(const ::testing::TestParamInfo<DbEngine>& info);
template <class Fixture>
class OnEachEngine : public Fixture, public ::testing::WithParamInterface<DbEngine> {};
#define KX_ON_EACH_ENGINE(Suite)                                                                          \
  INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                                              \
                           ::testing::Values(::kx::test::DbEngine::Sqlite, ::kx::test::DbEngine::Postgres), \
                           ::kx::test::EngineName)

// An environment with a new job database: on the engine of the running case (a schema of its
// own on the server), D:\jobs.db outside OnEachEngine, or the DbName given.
class JobDbTest : public ::testing::Test {
 protected:
  explicit JobDbTest(std::string dbName = NewDbName()) : db(std::move(dbName)) {}
  void SetUp() override;
  bool OnServer() const { return ThisEngine() == DbEngine::Postgres; }
  static DbEngine ThisEngine();
  static std::string NewDbName();

  TestEnvironment env;
  JobDatabase db;
};

// The same with the machines of tests/data/machines.sql, one per directory layout.
class JobWorldTest : public JobDbTest {
 protected:
  explicit JobWorldTest(std::string dbName = NewDbName()) : JobDbTest(std::move(dbName)) {
    db.Seed("machines.sql");
  }
};

}  // namespace kx::test
