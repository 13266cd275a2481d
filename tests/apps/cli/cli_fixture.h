#pragma once
// Runs kestrafix commands in-process with captured streams, in a temp folder of its own with
// the user's folders (configuration, data, documents) pointed inside it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "fs/native_path.h"
#include "platform/database.h"
#include "temp_dir.h"

namespace kx::test {

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir_ / "xdg-config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (dir_ / "xdg-dirs").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ / "xdg-data").c_str(), 1);
    setenv("KESTRAFIX_DRIVE_MAP", (dir_ / "no-drive-map.ini").c_str(), 1);
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (dir_ / "docs").c_str(), 1);
    setenv("KESTRAFIX_COMMON_APPDATA", (dir_ / "appdata").c_str(), 1);
    setenv("KESTRAFIX_PROGRAM_FILES", (dir_ / "programs").c_str(), 1);
    setenv("KESTRAFIX_ADDIN_PATH", (dir_ / "nohost" / "AddIns" / "Kestrafix").c_str(), 1);
    ClearDriveMapOverrides();
  }

  CliResult Run(const std::vector<std::string>& args, const std::string& input = "") const {
    std::istringstream in(input);
    std::ostringstream out, err;
    CliResult r;
    r.code = cli::RunCli(args, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  // The first column of each row of a statement on a database file.
  static std::vector<std::string> Column(const std::filesystem::path& db, const std::string& statement) {
    auto d = Engine().OpenDatabase(db.string());
    auto rs = d->OpenRecordset(statement);
    std::vector<std::string> out;
    for (; !rs->Eof(); rs->MoveNext()) {
      const Variant v = rs->Fields(0).Value();
      out.push_back(v.IsNull() ? "<Null>" : v.ToText());
    }
    return out;
  }
  static std::string One(const std::filesystem::path& db, const std::string& statement) {
    auto rows = Column(db, statement);
    return rows.empty() ? std::string("<none>") : rows.front();
  }

  TempDir dir_;
};

}  // namespace kx::test
