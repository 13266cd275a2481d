#pragma once
// A test's own installation, laid out as `kestrafix demo` lays one out, with everything the
// system reads from its surroundings pointed into it and put back when the object ends:
//   torvel.cfg             host configuration (C:\torvel.cfg)
//   drives.ini             drive map (KESTRAFIX_DRIVE_MAP): C: = this folder, D: = data
//   host/AddIns/Kestrafix  the add-in's folder (KESTRAFIX_ADDIN_PATH), host/ResStr messages
//   documents/             common documents; the add-in INI below host/AddIns/Kestrafix
//   data/                  drive D:, the job database D:\jobs.db
//   home, xdg-config, xdg-dirs, xdg-data (trash), appdata, programs
// Also reset: the drive-map overrides, the add-in path override, this thread's shared state
// and UI services (scripted, so nothing blocks).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "temp_dir.h"

namespace kx {
class ScriptedUi;
}

namespace kx::test {

class TestEnvironment : public TempDir {
 public:
  TestEnvironment();
  ~TestEnvironment();

  // A variable set or removed until the environment ends.
  void Set(const std::string& name, const std::string& value);
  void Unset(const std::string& name);
  // A drive mapped onto a native folder (created) until the environment ends.
  void MapDrive(const std::string& drive, const std::filesystem::path& root) const;

  ScriptedUi& Ui() const { return *ui_; }
  // The message boxes shown so far: "title: first line of the text", then " [yes/no]" and
  // " [critical]" or " [question]" where they apply.
  std::vector<std::string> Shown() const;

  // The native path of "D:\rel", taken as written (no letter case resolved).
  std::filesystem::path Data(const std::string& rel = "") const;
  // Writes "D:\rel" (folders created) and returns that Windows form.
  std::string Put(const std::string& rel, std::string_view content = "x") const;
  // Every file on D: but the job database ("rel\path" -> content), hidden ones included.
  std::map<std::string, std::string> Tree() const;
  // Names in the user's trash.
  std::vector<std::string> Trashed() const;

  // The host configuration with [TORVEL] and these lines, handed over as a host does.
  void WriteHostConfig(const std::string& torvelLines = "") const;
  std::filesystem::path AddInIni() const;
  void WriteAddInIni(const std::string& text) const;
  std::string AddInIniText() const;
  // A shipped message file as the host's message file of a country ("049", "044").
  void InstallMessages(const std::string& country) const;

 private:
  void Remember(const std::string& name);

  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  std::shared_ptr<ScriptedUi> ui_;
};

// A test with an environment of its own.
class EnvTest : public ::testing::Test {
 protected:
  TestEnvironment env;
};

// tests/data/<name> and examples/<name> of the source tree.
std::filesystem::path TestData(std::string_view name);
std::filesystem::path Shipped(std::string_view name);

}  // namespace kx::test
