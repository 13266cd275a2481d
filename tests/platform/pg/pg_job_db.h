#pragma once
// A job database on the test server, in a schema of its own, beside the SQLite one the base
// fixture makes, so a case can run the same statements on both engines and compare.
#include <functional>
#include <string>

#include "../job_db_fixture.h"
#include "pg_server.h"

namespace kx::test {

class PgJobDbTest : public JobDbTest {
 protected:
  PgJobDbTest() : sqlite_(path_) {
    if (PgServer* server = PgServer::Get()) {
      path_ = server->NewSchema();
      CreateJobDatabase(path_);
    }
  }

  // Runs f on the SQLite database, then on the server's (the fixture's helpers follow path_).
  void Both(const std::function<void()>& f) {
    const std::string pg = path_;
    path_ = sqlite_;
    f();
    path_ = pg;
    f();
  }
  // f's result on SQLite and on the server.
  template <class F>
  auto OnEach(F f) {
    const std::string pg = path_;
    path_ = sqlite_;
    auto onSqlite = f();
    path_ = pg;
    return std::make_pair(onSqlite, f());
  }

  std::string sqlite_;
};

}  // namespace kx::test
