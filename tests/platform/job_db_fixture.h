#pragma once
// A fresh job database in a temp folder, and small helpers to fill and read it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"
#include "temp_dir.h"

namespace kx::test {

using Cell = std::optional<std::string>;  // nullopt stands for Null
inline constexpr std::nullopt_t kNull = std::nullopt;

// A text literal of the dialect, or the word Null.
inline std::string Lit(const Cell& value) { return value ? QuoteSqlText(*value, '\'') : "Null"; }

class JobDbTest : public ::testing::Test {
 protected:
  JobDbTest() : path_((dir_ / "jobs.db").string()) { CreateJobDatabase(path_); }

  std::unique_ptr<Database> Open() const { return Engine().OpenDatabase(path_); }

  // Inserts one job; columns given as (name, value) pairs.
  void AddJob(std::initializer_list<std::pair<const char*, Cell>> columns) const {
    std::string names, values;
    for (const auto& [name, value] : columns) {
      names += (names.empty() ? "" : ", ") + std::string("[") + name + "]";
      values += (values.empty() ? "" : ", ") + Lit(value);
    }
    Open()->Execute("INSERT INTO NCDATA (" + names + ") VALUES (" + values + ")");
  }
  void AddKeys(const Cell& filename, const Cell& programNumber) const {
    AddJob({{"Filename", filename}, {"ProgramNumber", programNumber}});
  }
  void AddMachine(const std::string& machine,
                  std::initializer_list<std::pair<const char*, Cell>> columns = {}) const {
    std::string names = "[Machine]", values = Lit(machine);
    for (const auto& [name, value] : columns) {
      names += std::string(", [") + name + "]";
      values += ", " + Lit(value);
    }
    Open()->Execute("INSERT INTO MACHINE (" + names + ") VALUES (" + values + ")");
  }

  // The first column of every row, "<Null>" for Null.
  std::vector<std::string> Rows(const std::string& statement) const {
    auto db = Open();
    auto rs = db->OpenRecordset(statement, dbOpenForwardOnly);
    std::vector<std::string> out;
    for (; !rs->Eof(); rs->MoveNext()) {
      const Variant& v = rs->Fields(0).Value();
      out.push_back(v.IsNull() ? "<Null>" : v.ToText());
    }
    rs->Close();
    db->Close();
    return out;
  }
  // The first field of the first row ("" when there is none), as the max-value reader takes it.
  std::string First(const std::string& statement) const {
    auto rows = Rows(statement);
    return rows.empty() ? "" : rows.front();
  }
  long Count(const std::string& statement) const {
    auto db = Open();
    auto rs = db->OpenRecordset(statement, dbOpenForwardOnly);
    return static_cast<long>(rs->Fields(0).Value().ToNumber());
  }

  TempDir dir_;
  std::string path_;
};

// Runs f and returns the KxError it raised (fails the test when it raises none).
template <class F>
KxError ErrorOf(F&& f) {
  try {
    f();
  } catch (const KxError& e) {
    return e;
  }
  ADD_FAILURE() << "no KxError raised";
  return KxError(0, "", "");
}

}  // namespace kx::test
