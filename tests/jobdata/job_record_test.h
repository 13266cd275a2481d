#pragma once
// Common ground of the job record tests: drive D: mapped onto a temp folder, a job
// database with one machine per directory layout, and a helper to load a job.
#include <gtest/gtest.h>

#include <string>

#include "config/shared_state.h"
#include "job_db_fixture.h"
#include "jobdata/clsRsData.h"
#include "temp_dir.h"

namespace kx::test {

class JobRecordTest : public ::testing::Test {
 protected:
  JobRecordTest() : db(tmp / "jobs.db") {
    drives.Map("D:", tmp / "d");
    Shared().glOpenRecordsetOptions = 0;
    Shared().gsCountry.clear();
    // Machine M0: no per-job folder; M1: a folder per job; both with a trailing backslash.
    db.AddMachine({{"Machine", "M0"},
                   {"DirectoryType", 0},
                   {"KelbDirectory", "D:\\Jobs\\"},
                   {"NcDirectory", "D:\\Nc\\"},
                   {"KelbFileExtension", "job"},
                   {"KelbBakFileExtension", "bak"},
                   {"NcFileExtension", "nc"},
                   {"SetFileExtension", "set"},
                   {"OptNcFileExtension", "opt"}});
    db.AddMachine({{"Machine", "M1"},
                   {"DirectoryType", 1},
                   {"KelbDirectory", "D:\\Jobs\\"},
                   {"NcDirectory", "D:\\Nc\\"},
                   {"KelbFileExtension", "job"},
                   {"NcFileExtension", "nc"}});
  }

  // Adds a job row with the given machine (and more columns) and loads it.
  clsRsData Load(const std::string& job, const std::string& sMachine = "") {
    clsRsData rs;
    rs.Initialize(db.Path(), job, sMachine);
    return rs;
  }

  TempDir tmp;
  DriveMap drives;
  JobDatabase db;
};

}  // namespace kx::test
