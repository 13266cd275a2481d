#pragma once
// libpq under RAII, and the engine's errors made of the server's (internal to the platform layer).
#include <libpq-fe.h>

#include <memory>
#include <string>
#include <string_view>

namespace kx::detail {

struct PgConnCloser {
  void operator()(PGconn* c) const noexcept { PQfinish(c); }
};
using PgConnHandle = std::unique_ptr<PGconn, PgConnCloser>;

struct PgResultCloser {
  void operator()(PGresult* r) const noexcept { PQclear(r); }
};
using PgResult = std::unique_ptr<PGresult, PgResultCloser>;

// Connects to a DbName in libpq's URI or keyword form, in UTF-8, with ISO dates, standard
// strings and lockTimeoutMs as the wait for another user's lock. A password written into the
// name is refused: it belongs in ~/.pgpass, PGPASSFILE or a service file. A failure raises
// KxError (source "DAO.DBEngine"): dberr::FileNotFound for a missing database,
// dberr::InvalidAccount for a refused login, dberr::DiskOrNetwork for a server out of reach.
PgConnHandle ConnectPg(const std::string& dbName, int lockTimeoutMs);

// A new connection costs the server a process of its own, so one that its database closed with
// nothing in progress waits on this thread for the next opening of the same name (and lock
// wait); after a minute unused it is closed. UnparkPg gives null when none waits.
void ParkPg(PgConnHandle conn, const std::string& dbName, int lockTimeoutMs) noexcept;
PgConnHandle UnparkPg(const std::string& dbName, int lockTimeoutMs);

// Raises the error of a failed statement (res may be null) as KxError with the dberr number
// that fits its SQLSTATE; the description holds the SQLSTATE and the server's text.
[[noreturn]] void RaisePg(const PGresult* res, PGconn* conn, const std::string& dbName, const char* source,
                          std::string_view statement, int lockTimeoutMs = 0);

// Runs a statement that returns no rows (or whose rows are not wanted); raises on failure.
PgResult ExecPg(PGconn* conn, const std::string& sql, const std::string& dbName, const char* source);

// A text literal of the server: the value in single quotes, quotes doubled.
std::string PgLiteral(std::string_view value);

}  // namespace kx::detail
