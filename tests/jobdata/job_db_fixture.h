#pragma once
// Test helpers for layers that need a real job database: a new SQLite job database in a
// temp folder, rows inserted through the engine, drive letters mapped onto temp folders
// and the special folders pointed at temp folders. Header-only, so any tests/<layer>
// program can include it ("../jobdata/job_db_fixture.h" or with tests/ on the path).
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/mdlPublic.h"
#include "core/numbers.h"
#include "core/variant.h"
#include "fs/native_path.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"

namespace kx::test {

// Column name and value of one row; a Variant::Null() value stores Null.
using Row = std::vector<std::pair<std::string, Variant>>;

// The literal of a value in a statement of the engine's dialect.
inline std::string SqlLiteral(const Variant& v) {
  switch (v.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return "Null";
    case Variant::Kind::Bool:
      return v.AsBool() ? "1" : "0";
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
      return FormatNumber(v.ToNumber());
    default:
      return QuoteSqlText(v.ToText());
  }
}

class JobDatabase {
 public:
  // Creates the database file (native path) with the job table and the machine table.
  explicit JobDatabase(const std::filesystem::path& file) : path_(file.string()) { CreateJobDatabase(path_); }

  // Native path of the file, as a DbName.
  const std::string& Path() const { return path_; }

  long Execute(const std::string& statement) const {
    const std::unique_ptr<Database> db = Engine().OpenDatabase(path_);
    const long n = db->Execute(statement);
    db->Close();
    return n;
  }
  void AddJob(const Row& row) const { Insert("NCDATA", row); }
  void AddMachine(const Row& row) const { Insert("MACHINE", row); }
  // A further column of a table ("NCDATA" or "MACHINE"), as shops add them.
  void AddColumn(const std::string& table, const std::string& column,
                 const std::string& type = "TEXT") const {
    Execute("ALTER TABLE " + table + " ADD COLUMN [" + column + "] " + type);
  }

 private:
  void Insert(const std::string& table, const Row& row) const {
    std::string names, values;
    for (const auto& [name, value] : row) {
      if (!names.empty()) {
        names += ", ";
        values += ", ";
      }
      names += "[" + name + "]";
      values += SqlLiteral(value);
    }
    Execute("INSERT INTO " + table + " (" + names + ") VALUES (" + values + ")");
  }

  std::string path_;
};

// Maps drive letters onto native folders for the life of the object.
class DriveMap {
 public:
  DriveMap() = default;
  DriveMap(const DriveMap&) = delete;
  DriveMap& operator=(const DriveMap&) = delete;
  ~DriveMap() { ClearDriveMapOverrides(); }
  void Map(const std::string& drive, const std::filesystem::path& root) const {
    std::filesystem::create_directories(root);
    SetDriveRootForTests(drive, root);
  }
};

// Points the add-in folder and the special folders (common documents, program files,
// common application data) at sub-folders of `root`, restoring the environment at the end.
// The add-in lies in <root>/Host/AddIns/Tools, so the application folder is <root>/Host.
class SpecialFolders {
 public:
  explicit SpecialFolders(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    fs::create_directories(root / "Host" / "AddIns" / "Tools");
    Set("KESTRAFIX_COMMON_DOCUMENTS", root / "Docs");
    Set("KESTRAFIX_PROGRAM_FILES", root / "Programs");
    Set("KESTRAFIX_COMMON_APPDATA", root / "AppData");
    SetAddInPathForTests((root / "Host" / "AddIns" / "Tools").string());
  }
  SpecialFolders(const SpecialFolders&) = delete;
  SpecialFolders& operator=(const SpecialFolders&) = delete;
  ~SpecialFolders() {
    SetAddInPathForTests(std::nullopt);
    for (const auto& [name, old] : saved_) {
      if (old)
        ::setenv(name.c_str(), old->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

 private:
  void Set(const std::string& name, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), folder.c_str(), 1);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace kx::test
