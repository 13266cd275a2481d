#pragma once
// A throw-away PostgreSQL server for the tests: initdb into a temp folder, pg_ctl on a Unix
// socket in that folder (no TCP), as the postgres system user when the tests run as root. One
// server per test program, stopped when the program ends, by a watchdog process when it dies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kx::test {

class PgServer {
 public:
  // The program's server, started on first use; nullptr when there is none (Reason() says why:
  // no /usr/lib/postgresql/*/bin/initdb, or it would not start).
  static PgServer* Get();
  static const std::string& Reason();
  static void StopShared();

  ~PgServer();
  PgServer(const PgServer&) = delete;
  PgServer& operator=(const PgServer&) = delete;

  // A connection string to the database "kx" whose search path is a new, empty schema of its
  // own, so every test has its own job database on the one server.
  std::string NewSchema();
  // Connection string of a database on this server (superuser "postgres", trusted); extra is
  // appended as it is ("user=... options=...").
  std::string ConnInfo(const std::string& dbname, const std::string& extra = {}) const;
  // Runs statements as the superuser; a failure throws std::runtime_error.
  void Exec(const std::string& sql, const std::string& dbname = "kx") const;

  // The role that logs in with a password ("kx_login", password "right") only.
  static constexpr const char* kPasswordRole = "kx_login";

 private:
  PgServer() = default;
  bool Start(std::string& why);
  void Stop();

  std::filesystem::path dir_;
  std::filesystem::path bin_;
  int watchdogPipe_ = -1;
  int schemas_ = 0;
  bool running_ = false;
};

// Skips every test of the program with one line when there is no server; stops it at the end.
class PgEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace kx::test
