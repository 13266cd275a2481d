#pragma once
// Common ground of the job record tests: the job world and a helper to load a job.
#include <string>

#include "config/shared_state.h"
#include "job_database.h"
#include "jobdata/clsRsData.h"

namespace kx::test {

class JobRecordTest : public JobWorldTest {
 protected:
  clsRsData Load(const std::string& job, const std::string& sMachine = "") const {
    clsRsData rs;
    rs.Initialize(db.Path(), job, sMachine);
    return rs;
  }
};

}  // namespace kx::test
