#include "platform/pg_connection.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "core/error.h"
#include "platform/database.h"
#include "platform/sql_tokens.h"

namespace kx::detail {
namespace {

using ConninfoHandle = std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)>;

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

// libpq's text without the verbose LOCATION lines and the trailing line end.
std::string CleanMessage(std::string_view text) {
  std::string out;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(from, end - from);
    while (!line.empty() && (line.front() == '\t' || line.front() == ' ')) line.remove_prefix(1);
    if (!line.empty() && line.rfind("LOCATION:", 0) != 0) {
      if (!out.empty()) out += ' ';
      out += line;
    }
    from = end + 1;
  }
  return out;
}

// The SQLSTATE in a verbose libpq message ("FATAL:  3D000: database ... does not exist").
std::string SqlStateIn(std::string_view text) {
  for (std::size_t at = text.find(":  "); at != std::string_view::npos; at = text.find(":  ", at + 1)) {
    const std::string_view code = text.substr(at + 3, 7);
    if (code.size() < 7 || code.substr(5) != ": ") continue;
    bool ok = true;
    for (char c : code.substr(0, 5)) ok = ok && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'));
    if (ok) return std::string(code.substr(0, 5));
  }
  return {};
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

[[noreturn]] void RaiseConnect(PGconn* conn, const std::string& name, const std::string& why) {
  constexpr const char* kSource = "DAO.DBEngine";
  const std::string state = SqlStateIn(why);
  const std::string text = CleanMessage(why);
  if (state == "3D000")
    throw KxError(dberr::FileNotFound, kSource,
                  "Could not find database " + Quoted(name) + " (" + text + ").");
  if (StartsWith(state, "28") || (state.empty() && conn && PQconnectionNeedsPassword(conn)))
    throw KxError(dberr::InvalidAccount, kSource,
                  "Not a valid account name or password for " + Quoted(name) + " (" + text + ").");
  if (state.empty() || StartsWith(state, "08") || StartsWith(state, "57") || state == "53300")
    throw KxError(dberr::DiskOrNetwork, kSource,
                  "Cannot reach the database server of " + Quoted(name) + " (" + text + ").");
  throw KxError(dberr::CannotOpen, kSource, "Cannot open database " + Quoted(name) + " (" + text + ").");
}

int ConnectTimeoutMs(const std::vector<const char*>& keys, const std::vector<const char*>& values) {
  for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
    if (std::strcmp(keys[i], "connect_timeout") == 0) {
      const int s = std::atoi(values[i]);
      return s <= 0 ? -1 : (s < 2 ? 2 : s) * 1000;  // libpq's own minimum is 2 s
    }
  }
  return -1;
}

}  // namespace

std::string PgLiteral(std::string_view value) {
  std::string out = "'";
  for (char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

PgConnHandle ConnectPg(const std::string& name, int lockTimeoutMs) {
  constexpr const char* kSource = "DAO.DBEngine";
  // libpq knows its URI schemes in lower case only.
  std::string conninfo = name.substr(std::min(name.find_first_not_of(" \t\r\n"), name.size()));
  for (std::string_view scheme : {"postgresql://", "postgres://"})
    if (sql::EqualsAscii(std::string_view(conninfo).substr(0, scheme.size()), scheme))
      conninfo.replace(0, scheme.size(), scheme);
  char* parseError = nullptr;
  ConninfoHandle parsed(PQconninfoParse(conninfo.c_str(), &parseError), PQconninfoFree);
  if (!parsed) {
    const std::string why = parseError ? CleanMessage(parseError) : std::string("out of memory");
    PQfreemem(parseError);
    throw KxError(dberr::CannotOpen, kSource,
                  "Invalid connection string " + Quoted(name) + " (" + why + ").");
  }

  std::vector<std::string> keys, values;
  std::string options;
  bool timeout = false, application = false;
  for (const PQconninfoOption* o = parsed.get(); o->keyword; ++o) {
    if (!o->val || !*o->val) continue;
    const std::string_view key = o->keyword;
    if (key == "password")
      throw KxError(dberr::CannotOpen, kSource,
                    "The connection string " + Quoted(name) +
                        " holds a password; keep it in ~/.pgpass, PGPASSFILE or a service file instead.");
    if (key == "client_encoding") continue;  // always UTF-8
    if (key == "options") {
      options = o->val;
      continue;
    }
    timeout = timeout || key == "connect_timeout";
    application = application || key == "application_name";
    keys.emplace_back(key);
    values.emplace_back(o->val);
  }
  // What the engine relies on, after whatever the user's options set.
  options +=
      " -c DateStyle=ISO,YMD -c standard_conforming_strings=on -c IntervalStyle=postgres"
      " -c extra_float_digits=1 -c lock_timeout=" +
      std::to_string(lockTimeoutMs);
  keys.emplace_back("options");
  values.push_back(options);
  keys.emplace_back("client_encoding");
  values.emplace_back("UTF8");
  if (!timeout) {
    keys.emplace_back("connect_timeout");
    values.emplace_back("10");
  }
  if (!application) {
    keys.emplace_back("application_name");
    values.emplace_back("kestrafix");
  }
  std::vector<const char*> k, v;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    k.push_back(keys[i].c_str());
    v.push_back(values[i].c_str());
  }
  k.push_back(nullptr);
  v.push_back(nullptr);

  PgConnHandle conn(PQconnectStartParams(k.data(), v.data(), 0));
  if (!conn)
    throw KxError(dberr::CannotOpen, kSource, "Cannot open database " + Quoted(name) + ": out of memory.");
  // Verbose messages carry the SQLSTATE, which says why a login failed in any language.
  PQsetErrorVerbosity(conn.get(), PQERRORS_VERBOSE);
  if (PQstatus(conn.get()) == CONNECTION_BAD) RaiseConnect(conn.get(), name, PQerrorMessage(conn.get()));

  const int timeoutMs = ConnectTimeoutMs(k, v);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  PostgresPollingStatusType status = PGRES_POLLING_WRITING;
  while (status != PGRES_POLLING_OK) {
    if (status == PGRES_POLLING_FAILED) RaiseConnect(conn.get(), name, PQerrorMessage(conn.get()));
    int waitMs = -1;
    if (timeoutMs > 0) {
      waitMs = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count());
      if (waitMs <= 0) RaiseConnect(conn.get(), name, "timeout expired while connecting");
    }
    pollfd p{PQsocket(conn.get()), static_cast<short>(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
    const int ready = poll(&p, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) RaiseConnect(conn.get(), name, "timeout expired while connecting");
    status = PQconnectPoll(conn.get());
  }
  PQsetErrorVerbosity(conn.get(), PQERRORS_DEFAULT);
  return conn;
}

namespace {

struct Parked {
  std::string name;
  int lockTimeoutMs = 0;
  PgConnHandle conn;
  std::chrono::steady_clock::time_point since;
};
constexpr std::size_t kMaxParked = 4;
constexpr auto kMaxIdle = std::chrono::seconds(60);

// Set when the thread's list is gone (at thread or program end): a database closed after that
// closes its connection. Trivially destructible, so it can still be read then.
thread_local bool t_parkingClosed = false;

struct ParkedList {
  std::vector<Parked> items;
  ~ParkedList() { t_parkingClosed = true; }
};

std::vector<Parked>& ParkedHere() {
  thread_local ParkedList parked;
  return parked.items;
}

}  // namespace

void ParkPg(PgConnHandle conn, const std::string& name, int lockTimeoutMs) noexcept {
  if (!conn || t_parkingClosed || PQstatus(conn.get()) != CONNECTION_OK ||
      PQtransactionStatus(conn.get()) != PQTRANS_IDLE)
    return;
  try {
    auto& parked = ParkedHere();
    if (parked.size() >= kMaxParked) parked.erase(parked.begin());
    parked.push_back({name, lockTimeoutMs, std::move(conn), std::chrono::steady_clock::now()});
  } catch (...) {
    // Out of memory: the connection is simply closed.
  }
}

PgConnHandle UnparkPg(const std::string& name, int lockTimeoutMs) {
  if (t_parkingClosed) return nullptr;
  auto& parked = ParkedHere();
  const auto now = std::chrono::steady_clock::now();
  parked.erase(
      std::remove_if(parked.begin(), parked.end(), [&](const Parked& p) { return now - p.since > kMaxIdle; }),
      parked.end());
  for (auto it = parked.rbegin(); it != parked.rend(); ++it) {
    if (it->name == name && it->lockTimeoutMs == lockTimeoutMs) {
      PgConnHandle conn = std::move(it->conn);
      parked.erase(std::next(it).base());
      return conn;
    }
  }
  return nullptr;
}

void RaisePg(const PGresult* res, PGconn* conn, const std::string& name, const char* source,
             std::string_view statement, int lockTimeoutMs) {
  const char* stateField = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
  const std::string state = stateField ? stateField : "";
  if (state.empty() || StartsWith(state, "08") || state == "57P01" || state == "57P02" || state == "57P03") {
    const std::string why =
        CleanMessage(res && PQresultErrorMessage(res)[0] ? PQresultErrorMessage(res) : PQerrorMessage(conn));
    if (state.empty() && PQstatus(conn) != CONNECTION_BAD)
      throw KxError(err::DatabaseError, source, "Database engine error: " + why + ".");
    throw KxError(dberr::DiskOrNetwork, source,
                  "The connection to the database server of " + Quoted(name) + " was lost (" + why + ").");
  }
  const char* primary = PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY);
  const char* detail = PQresultErrorField(res, PG_DIAG_MESSAGE_DETAIL);
  std::string text = state + ": " + (primary ? primary : "");
  if (detail) text += " - " + std::string(detail);
  const std::string where = statement.empty() ? std::string() : " in statement " + Quoted(statement);

  if (state == "23505")
    throw KxError(dberr::DuplicateKey, source,
                  "The change would create duplicate values in a unique index (" + text + ").");
  if (state == "23502")
    throw KxError(dberr::NullNotAllowed, source, "The field cannot contain a Null value (" + text + ").");
  if (state == "42703")
    throw KxError(dberr::UnknownName, source, "Unknown name (" + text + ")" + where + ".");
  if (state == "42P01")
    throw KxError(dberr::TableNotFound, source,
                  "Cannot find the input table or query (" + text + ")" + where + ".");
  // Number and date columns take only numbers that fit them and dates; CDbl of a text beyond
  // double overflows.
  if (state == "22P02" || state == "22007" || state == "22008")
    throw KxError(dberr::ConversionError, source, "Data type conversion error (" + text + ").");
  if (state == "22003") throw KxError(dberr::FieldOverflow, source, "Numeric field overflow (" + text + ").");
  if (state == "KX006")
    throw KxError(err::Overflow, source, "Overflow in criteria expression (" + text + ").");
  if ((state == "42883" && primary && StartsWith(primary, "operator does not exist")) || state == "42804" ||
      state == "42846" || (StartsWith(state, "22") && state != "2201B"))
    throw KxError(dberr::TypeMismatch, source,
                  "Data type mismatch in criteria expression (" + text + ")" + where + ".");
  if (state == "42883")
    throw KxError(dberr::UndefinedFunction, source,
                  "Undefined function in expression (" + text + ")" + where + ".");
  if (state == "42501")
    throw KxError(dberr::CannotOpen, source, "No permission (" + text + ")" + where + ".");
  if (StartsWith(state, "42") || state == "2201B")
    throw KxError(dberr::Syntax, source, "Syntax error (" + text + ")" + where + ".");
  if (state == "40001" || state == "40P01" || state == "55P03" || state == "57014")
    throw KxError(dberr::Locked, source,
                  "Could not lock " + Quoted(name) + ": it is in use by another user (waited " +
                      std::to_string(lockTimeoutMs) + " ms; " + text + ").");
  if (state == "25006")
    throw KxError(dberr::ReadOnly, source,
                  "Cannot update: " + Quoted(name) + " is read-only (" + text + ").");
  if (state == "53100") throw KxError(dberr::DiskFull, source, "Not enough space on disk (" + text + ").");
  throw KxError(err::DatabaseError, source, "Database engine error (" + text + ")" + where + ".");
}

PgResult ExecPg(PGconn* conn, const std::string& sql, const std::string& name, const char* source) {
  PgResult res(PQexec(conn, sql.c_str()));
  const ExecStatusType status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) RaisePg(res.get(), conn, name, source, {});
  return res;
}

}  // namespace kx::detail
