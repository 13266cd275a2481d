// The replace dialog's update as the engine hands it to SQLite or to a server, for the peers
// of bench/compare_big.sh (the sqlite3 shell) and bench/compare_pg.sh (psql):
//   bench_big --kx_print_update=COLUMN:PATTERN:VALUE [--kx_db=CONNINFO]
#include <iostream>
#include <string>

#include "dialogs/replace_column.h"
#include "platform/database_pg.h"
#include "platform/sql_dialect.h"

int main(int argc, char** argv) {
  std::string db, update;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--kx_db=", 0) == 0) db = a.substr(8);
    if (a.rfind("--kx_print_update=", 0) == 0) update = a.substr(18);
  }
  const auto colon = update.find(':'), second = update.find(':', colon + 1);
  if (second == std::string::npos) {
    std::cerr << "usage: bench_big --kx_print_update=COLUMN:PATTERN:VALUE [--kx_db=CONNINFO]\n";
    return 2;
  }
  const std::string statement = kx::ReplaceUpdateStatement(
      update.substr(0, colon), update.substr(colon + 1, second - colon - 1), update.substr(second + 1));
  std::cout << (db.empty() ? kx::TranslateStatement(statement) : kx::detail::TranslateOnServer(db, statement))
            << ";\n";
  return 0;
}
