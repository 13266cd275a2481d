#pragma once
// A bound data source for the dialogs' lists: a statement whose rows are read into memory
// on Refresh, over a database connection that stays open as long as the source lives.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"
#include "platform/database.h"

namespace kx {

class DataSource {
 public:
  DataSource() = default;
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  const std::string& DatabaseName() const { return databaseName_; }
  void DatabaseName(std::string vNewValue);
  const std::string& RecordSource() const { return recordSource_; }
  void RecordSource(std::string vNewValue) { recordSource_ = std::move(vNewValue); }
  int RecordsetType() const { return recordsetType_; }  // vbRSTypeTable/Dynaset/SnapShot
  void RecordsetType(int vNewValue) { recordsetType_ = vNewValue; }
  std::int16_t Options() const { return options_; }
  void Options(std::int16_t vNewValue) { options_ = vNewValue; }
  bool Visible() const { return visible_; }
  void Visible(bool vNewValue) { visible_ = vNewValue; }

  // Opens the database when needed, runs RecordSource and reads every row. On an error the
  // rows read by the last successful Refresh stay.
  void Refresh();

  const std::vector<std::string>& ColumnNames() const { return columns_; }
  int ColumnIndex(std::string_view name) const;  // without case; -1 when absent
  std::size_t RowCount() const { return rows_.size(); }
  const std::vector<Variant>& Row(std::size_t index) const { return rows_.at(index); }
  // Raises KxError(dberr::ItemNotFound) for an unknown column.
  const Variant& Value(std::size_t row, std::string_view column) const;

  // The open database (opened on first use), e.g. for count statements.
  kx::Database& Database();
  void Close();

 private:
  std::string databaseName_;
  std::string recordSource_;
  int recordsetType_ = vbRSTypeDynaset;
  std::int16_t options_ = 0;
  bool visible_ = true;
  std::unique_ptr<kx::Database> db_;
  std::vector<std::string> columns_;
  std::vector<std::vector<Variant>> rows_;
};

}  // namespace kx
