#pragma once
// SQLite for the code built both into the engine and into the loadable extension, which must
// reach SQLite through the routines the loading shell hands it.
#ifdef KX_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif
