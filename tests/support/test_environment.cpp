#include "test_environment.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>

#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "fs/native_path.h"
#include "platform/ui_services.h"

namespace kx::test {

namespace fs = std::filesystem;

TestEnvironment::TestEnvironment() : ui_(std::make_shared<ScriptedUi>()) {
  MakeDir("host/AddIns/Kestrafix");
  MakeDir("host/ResStr");
  MakeDir("documents");
  MakeDir("data");
  Write("drives.ini", "[Drives]\r\nC:=" + Path().string() + "\r\nD:=" + (*this / "data").string() + "\r\n");
  Set("KX_TEST_MODE", "1");  // the fake-dialog seam
  Set("HOME", (*this / "home").string());
  Set("XDG_CONFIG_HOME", (*this / "xdg-config").string());
  Set("XDG_CONFIG_DIRS", (*this / "xdg-dirs").string());
  Set("XDG_DATA_HOME", (*this / "xdg-data").string());
  Set("KESTRAFIX_DRIVE_MAP", (*this / "drives.ini").string());
  Set("KESTRAFIX_ADDIN_PATH", "C:\\host\\AddIns\\Kestrafix");
  Set("KESTRAFIX_COMMON_DOCUMENTS", (*this / "documents").string());
  Set("KESTRAFIX_COMMON_APPDATA", (*this / "appdata").string());
  Set("KESTRAFIX_PROGRAM_FILES", (*this / "programs").string());
  // Stand-ins of the Windows system folders, and the temp folder lookup, from no variable.
  for (const char* name :
       {"XDG_DOCUMENTS_DIR", "SystemDrive", "SystemRoot", "windir", "ProgramFiles", "Temp", "TEMP", "TMP"})
    Unset(name);
  ClearDriveMapOverrides();
  SetAddInPathForTests(std::nullopt);
  Shared() = SharedState{};
  SetUi(ui_);
}

TestEnvironment::~TestEnvironment() {
  SetUi(nullptr);
  Shared() = SharedState{};
  SetAddInPathForTests(std::nullopt);
  ClearDriveMapOverrides();
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->second)
      ::setenv(it->first.c_str(), it->second->c_str(), 1);
    else
      ::unsetenv(it->first.c_str());
  }
}

std::vector<std::string> TestEnvironment::Shown() const {
  std::vector<std::string> out;
  for (const auto& box : ui_->shown) {
    std::string line = box.title + ": " + box.text.substr(0, box.text.find('\r'));
    if (box.buttons == MsgButtons::YesNo) line += " [yes/no]";
    if (box.icon == MsgIcon::Critical) line += " [critical]";
    if (box.icon == MsgIcon::Question) line += " [question]";
    out.push_back(line);
  }
  return out;
}

void TestEnvironment::Remember(const std::string& name) {
  for (const auto& [n, v] : saved_)
    if (n == name) return;
  const char* old = std::getenv(name.c_str());
  saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
}

void TestEnvironment::Set(const std::string& name, const std::string& value) {
  Remember(name);
  ::setenv(name.c_str(), value.c_str(), 1);
}

void TestEnvironment::Unset(const std::string& name) {
  Remember(name);
  ::unsetenv(name.c_str());
}

void TestEnvironment::MapDrive(const std::string& drive, const fs::path& root) const {
  fs::create_directories(root);
  SetDriveRootForTests(drive, root);
}

fs::path TestEnvironment::Data(const std::string& rel) const {
  std::string native = rel;
  std::replace(native.begin(), native.end(), '\\', '/');
  return *this / "data" / native;
}

std::string TestEnvironment::Put(const std::string& rel, std::string_view content) const {
  const fs::path file = Data(rel);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return "D:\\" + rel;
}

std::map<std::string, std::string> TestEnvironment::Tree() const {
  std::map<std::string, std::string> out;
  const fs::path root = *this / "data";
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string rel = e.path().lexically_relative(root).string();
    if (rel.starts_with("jobs.db")) continue;  // the database lies on D: too; it is no job file
    std::replace(rel.begin(), rel.end(), '/', '\\');
    out[rel] = ReadAll(e.path());
  }
  return out;
}

std::vector<std::string> TestEnvironment::Trashed() const {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(*this / "xdg-data/Trash/files", ec))
    out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

void TestEnvironment::WriteHostConfig(const std::string& torvelLines) const {
  Write("torvel.cfg", "[TORVEL]\r\n" + torvelLines);
  Shared().gsIniFile = "C:\\torvel.cfg";
}

fs::path TestEnvironment::AddInIni() const { return *this / "documents/host/AddIns/Kestrafix/Kestrafix.ini"; }

void TestEnvironment::WriteAddInIni(const std::string& text) const {
  const fs::path file = AddInIni();
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string TestEnvironment::AddInIniText() const {
  return fs::exists(AddInIni()) ? ReadAll(AddInIni()) : std::string();
}

void TestEnvironment::InstallMessages(const std::string& country) const {
  fs::copy_file(Shipped("ResStr/torvel." + country), *this / ("host/ResStr/torvel." + country),
                fs::copy_options::overwrite_existing);
}

fs::path TestData(std::string_view name) { return fs::path(KX_TEST_DATA_DIR) / name; }
fs::path Shipped(std::string_view name) { return fs::path(KX_EXAMPLES_DIR) / name; }

}  // namespace kx::test
