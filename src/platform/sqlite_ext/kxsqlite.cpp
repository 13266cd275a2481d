// Loadable SQLite extension: the job database's collation NOCASE_ICU and the dialect's
// functions IsNumeric, CDbl and match (the dialect's Like, written x MATCH 'pattern'), and
// kx_replace_jobs, which lists the jobs a replace recorded packed.
//   sqlite3 jobs.db
//   sqlite> .load /path/to/kxsqlite
//   sqlite> SELECT Filename FROM NCDATA WHERE Filename MATCH 'AB*' ORDER BY Filename;
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "platform/sql_dialect_functions.h"
#include "platform/sqlite_packed_jobs.h"

extern "C" {

// Entry point named after the file (kxsqlite.so), found by .load without a second argument.
__attribute__((visibility("default"))) int sqlite3_kxsqlite_init(sqlite3* db, char** pzErrMsg,
                                                                 const sqlite3_api_routines* pApi) {
  SQLITE_EXTENSION_INIT2(pApi);
  int rc = kx::RegisterDialect(db, nullptr);
  if (rc == SQLITE_OK) rc = kx::RegisterPackedJobs(db, true);
  if (rc != SQLITE_OK && pzErrMsg) *pzErrMsg = sqlite3_mprintf("kxsqlite: registration failed (%d)", rc);
  return rc;
}

}  // extern "C"
