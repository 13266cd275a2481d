#pragma once
// A job database on the test server, in a schema of its own, beside the SQLite one (D:\jobs.db)
// of the base fixture, so a case can run the same statements on both engines and compare.
#include <utility>

#include "job_database.h"
#include "pg_server.h"

namespace kx::test {

class PgJobDbTest : public JobDbTest {
 protected:
  // Without a server every case is skipped before it starts; pg then stands for the file.
  PgJobDbTest()
      : pg(PgServer::Get() ? PgServer::Get()->NewSchema() : db.Path(), PgServer::Get() != nullptr) {}

  PgServer& Server() const { return *PgServer::Get(); }
  // f(database) on SQLite, then on the server.
  template <class F>
  auto OnEach(F f) const {
    auto onSqlite = f(db);
    return std::make_pair(onSqlite, f(pg));
  }
  template <class F>
  void Both(F f) const {
    f(db);
    f(pg);
  }

  JobDatabase pg;
};

}  // namespace kx::test
