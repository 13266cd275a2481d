#pragma once
// The job database's schema: the job table NCDATA and the machine table MACHINE, with
// every text column compared without case (collation NOCASE_ICU) and the keys
// Filename and ProgramNumber unique without case.
#include <string>

namespace kx {

// Creates a new job database file (DbName, Windows form or native). An existing file
// raises KxError(dberr::AlreadyExists); it is never touched.
void CreateJobDatabase(const std::string& path);

// The statements CreateJobDatabase runs, in order (for tools and tests).
const char* JobDatabaseSchemaSql();

}  // namespace kx
