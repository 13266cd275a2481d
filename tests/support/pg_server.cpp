#include "pg_server.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace kx::test {
namespace {

namespace fs = std::filesystem;

std::optional<PgServer*> g_server;  // unset: not tried yet
std::string g_reason;

struct Account {
  uid_t uid = 0;
  gid_t gid = 0;
  bool change = false;
};

// Runs a server program and waits for it; its output goes to log. As root, as "postgres".
int RunAs(const Account& who, const std::vector<std::string>& args, const fs::path& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (who.change && (setgroups(1, &who.gid) != 0 || setgid(who.gid) != 0 || setuid(who.uid) != 0))
      _exit(126);
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);  // the server's user writes it too
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Account ServerAccount(std::string& why) {
  Account a;
  if (geteuid() != 0) return a;
  const passwd* pw = getpwnam("postgres");
  if (!pw) {
    why = "running as root and there is no system user postgres to run the server";
    return a;
  }
  a.uid = pw->pw_uid;
  a.gid = pw->pw_gid;
  a.change = true;
  return a;
}

fs::path ServerBin() {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec))
    if (fs::exists(entry.path() / "bin" / "initdb")) found.push_back(entry.path() / "bin");
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi("0" + a.parent_path().filename().string()) <
           std::stoi("0" + b.parent_path().filename().string());
  });
  return found.empty() ? fs::path() : found.back();
}

// The last lines of a log, as one line.
std::string Tail(const fs::path& log) {
  std::ifstream in(log);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (all.size() > 300) all = "..." + all.substr(all.size() - 300);
  std::replace(all.begin(), all.end(), '\n', ' ');
  return all;
}

}  // namespace

PgServer* PgServer::Get() {
  if (!g_server) {
    std::unique_ptr<PgServer> server(new PgServer());
    std::string why;
    if (server->Start(why)) {
      g_server = server.release();
    } else {
      g_server = nullptr;
      g_reason = why;
    }
  }
  return *g_server;
}

const std::string& PgServer::Reason() { return g_reason; }

void PgServer::StopShared() {
  if (g_server && *g_server) delete *g_server;
  g_server = nullptr;
}

PgServer::~PgServer() { Stop(); }

bool PgServer::Start(std::string& why) {
  bin_ = ServerBin();
  if (bin_.empty()) {
    why = "no server binaries (/usr/lib/postgresql/*/bin/initdb); install the Debian package postgresql";
    return false;
  }
  const Account who = ServerAccount(why);
  if (!why.empty()) return false;
  char tmpl[] = "/tmp/kx-pg-XXXXXX";
  if (!mkdtemp(tmpl)) {
    why = "cannot make a temp folder";
    return false;
  }
  dir_ = tmpl;
  if (who.change && chown(dir_.c_str(), who.uid, who.gid) != 0) {
    why = "cannot hand the temp folder to the postgres user";
    return false;
  }
  const fs::path log = dir_ / "server.log";
  const std::string data = (dir_ / "data").string();
  if (RunAs(who,
            {(bin_ / "initdb").string(), "-D", data, "-U", "postgres", "-A", "trust", "-E", "UTF8",
             "--locale=C", "--no-sync"},
            log) != 0) {
    why = "initdb failed: " + Tail(log);
    return false;
  }
  // One role logs in with a password, for the tests of a refused login; the rest is trusted.
  std::ofstream(dir_ / "data" / "pg_hba.conf")
      << "local all " << kPasswordRole << " scram-sha-256\nlocal all all trust\n";

  // A watchdog stops the server when this program ends without doing so (a crash, a kill).
  int fds[2];
  if (pipe(fds) == 0) {
    const pid_t dog = fork();
    if (dog == 0) {
      signal(SIGINT, SIG_IGN);
      close(fds[1]);
      char c;
      while (read(fds[0], &c, 1) > 0) {
      }
      if (fs::exists(dir_ / "data" / "postmaster.pid"))
        RunAs(who, {(bin_ / "pg_ctl").string(), "-D", data, "-m", "immediate", "-w", "stop"}, log);
      std::error_code ec;
      fs::remove_all(dir_, ec);
      _exit(0);
    }
    close(fds[0]);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    watchdogPipe_ = fds[1];
  }
  const std::string options = "-c listen_addresses='' -c unix_socket_directories='" + dir_.string() +
                              "' -c port=5432 -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
  if (RunAs(who,
            {(bin_ / "pg_ctl").string(), "-D", data, "-l", log.string(), "-w", "-t", "60", "-o", options,
             "start"},
            dir_ / "pg_ctl.log") != 0) {
    why = "the server did not start: " + Tail(log);
    Stop();
    return false;
  }
  running_ = true;
  try {
    Exec("CREATE DATABASE kx", "postgres");
    Exec(std::string("CREATE ROLE ") + kPasswordRole + " LOGIN PASSWORD 'right'", "postgres");
  } catch (const std::exception& e) {
    why = e.what();
    Stop();
    return false;
  }
  return true;
}

void PgServer::Stop() {
  if (running_) {
    const Account who = [] {
      std::string ignored;
      return ServerAccount(ignored);
    }();
    RunAs(who, {(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-m", "fast", "-w", "stop"},
          dir_ / "pg_ctl.log");
    running_ = false;
  }
  if (!dir_.empty()) {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    dir_.clear();
  }
  if (watchdogPipe_ >= 0) close(watchdogPipe_);
  watchdogPipe_ = -1;
}

std::string PgServer::ConnInfo(const std::string& dbname, const std::string& extra) const {
  return "host=" + dir_.string() + " port=5432 user=postgres dbname=" + dbname +
         (extra.empty() ? "" : " " + extra);
}

std::string PgServer::NewSchema() {
  const std::string schema = "t" + std::to_string(++schemas_);
  Exec("CREATE SCHEMA " + schema);
  return ConnInfo("kx", "options=-csearch_path=" + schema);
}

void PgServer::Exec(const std::string& sql, const std::string& dbname) const {
  std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdb(ConnInfo(dbname).c_str()), PQfinish);
  if (PQstatus(conn.get()) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(conn.get()));
  std::unique_ptr<PGresult, decltype(&PQclear)> res(PQexec(conn.get(), sql.c_str()), PQclear);
  const ExecStatusType status = PQresultStatus(res.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    throw std::runtime_error(sql + ": " + PQerrorMessage(conn.get()));
}

void PgEnvironment::SetUp() {
  if (PgServer::Get()) return;
  // CI installs the server: there a missing one is a failure, not a skip.
  if (const char* required = std::getenv("KX_PG_TESTS_REQUIRED"); required && *required == '1') {
    std::cout << "PostgreSQL tests required (KX_PG_TESTS_REQUIRED=1) but cannot run: " << PgServer::Reason()
              << std::endl;
    std::exit(1);
  }
  std::cout << "PostgreSQL tests skipped: " << PgServer::Reason() << std::endl;  // not twice, as gtest would
  GTEST_SKIP();
}

void PgEnvironment::TearDown() { PgServer::StopShared(); }

}  // namespace kx::test
