#pragma once
// A job world for the job files: the machines of every directory layout, files on D:,
// one sub-folder level searched.
#include <filesystem>
#include <string>

#include "config/shared_state.h"
#include "job_database.h"
#include "platform/ui_services.h"

namespace kx::test {

class JobFilesTest : public JobWorldTest {
 protected:
  JobFilesTest() { Shared().glSubFolderCount = 1; }
  bool Exists(const std::string& rel) const { return std::filesystem::exists(env.Data(rel)); }
  std::string Read(const std::string& rel) const { return ReadAll(env.Data(rel)); }
};

}  // namespace kx::test
