#pragma once
// A job world per test: a job database with machines, drive "D:" mapped onto a temp folder,
// the trash and the special folders inside the temp folder, and scripted message boxes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "../platform/job_db_fixture.h"
#include "config/shared_state.h"
#include "fs/native_path.h"
#include "platform/ui_services.h"

namespace kx::test {

class JobFilesTest : public JobDbTest {
 protected:
  void SetUp() override {
    setenv("KESTRAFIX_DRIVE_MAP", (dir_ / "no-drive-map.ini").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ / "xdg-data").c_str(), 1);
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (dir_ / "docs").c_str(), 1);
    setenv("KESTRAFIX_COMMON_APPDATA", (dir_ / "appdata").c_str(), 1);
    setenv("KESTRAFIX_PROGRAM_FILES", (dir_ / "programs").c_str(), 1);
    for (const char* v : {"SystemDrive", "SystemRoot", "windir", "ProgramFiles", "Temp", "TEMP", "TMP"})
      unsetenv(v);
    ClearDriveMapOverrides();
    dir_.MakeDir("d");
    SetDriveRootForTests("D:", dir_ / "d");
    Shared().glSubFolderCount = 1;
    ui_ = std::make_shared<ScriptedUi>();
    SetUi(ui_);
  }
  void TearDown() override {
    ClearDriveMapOverrides();
    SetUi(std::make_shared<ScriptedUi>());
  }

  // Native path of "D:\rel".
  std::filesystem::path Native(const std::string& rel) const {
    std::string r = rel;
    std::replace(r.begin(), r.end(), '\\', '/');
    return dir_ / "d" / r;
  }
  // Writes "D:\rel" (folders created) and returns its Windows form.
  std::string Put(const std::string& rel, const std::string& content = "x") const {
    std::string r = rel;
    std::replace(r.begin(), r.end(), '\\', '/');
    dir_.Write("d/" + r, content);
    return "D:\\" + rel;
  }
  bool Exists(const std::string& rel) const { return std::filesystem::exists(Native(rel)); }
  std::string Read(const std::string& rel) const { return ReadAll(Native(rel)); }

  // Every file under D: ("rel\path" -> content), hidden ones included.
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> out;
    const std::filesystem::path root = dir_ / "d";
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
      if (!e.is_regular_file()) continue;
      std::string rel = e.path().lexically_relative(root).string();
      std::replace(rel.begin(), rel.end(), '/', '\\');
      out[rel] = ReadAll(e.path());
    }
    return out;
  }
  // Names in the trash's files folder.
  std::vector<std::string> Trashed() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "xdg-data" / "Trash" / "files", ec))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  // Machine "Own": a folder per job under D:\Jobs and D:\Nc, optimised files in the relative
  // folder Opt. Machine "Flat": job and NC files share D:\Shared. Machine "Split": separate
  // trees D:\J0 and D:\N0 with the absolute optimisation folder D:\OptAbs.
  void AddStandardMachines() const {
    AddMachine("Own", {{"DirectoryType", "1"},
                       {"KelbDirectory", "D:\\Jobs\\"},
                       {"NcDirectory", "D:\\Nc"},
                       {"OptNcDirectory", "Opt"},
                       {"KelbFileExtension", "cam"},
                       {"NcFileExtension", "nc"},
                       {"DatFileExtension", "dat"},
                       {"OptNcFileExtension", "opt"}});
    AddMachine("Flat", {{"DirectoryType", "0"},
                        {"KelbDirectory", "D:\\Shared"},
                        {"NcDirectory", "D:\\Shared"},
                        {"KelbFileExtension", "cam"},
                        {"NcFileExtension", "nc"},
                        {"SetFileExtension", "set"},
                        {"DatFileExtension", "dat"}});
    AddMachine("Split", {{"DirectoryType", "0"},
                         {"KelbDirectory", "D:\\J0"},
                         {"NcDirectory", "D:\\N0"},
                         {"OptNcDirectory", "D:\\OptAbs"},
                         {"KelbFileExtension", "cam"},
                         {"NcFileExtension", "nc"},
                         {"OptNcFileExtension", "opt"}});
  }
  void AddJobOn(const std::string& name, const std::string& machine,
                const std::string& machineset = "") const {
    static int number = 1000;
    AddJob({{"Filename", name},
            {"ProgramNumber", std::to_string(++number)},
            {"Machine", machine},
            {"Machineset", machineset.empty() ? kNull : Cell(machineset)}});
  }

  std::shared_ptr<ScriptedUi> ui_;
};

}  // namespace kx::test
