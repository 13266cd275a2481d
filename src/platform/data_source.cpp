#include "platform/data_source.h"

#include "core/text.h"

namespace kx {

void DataSource::DatabaseName(std::string vNewValue) {
  if (vNewValue != databaseName_) Close();
  databaseName_ = std::move(vNewValue);
}

kx::Database& DataSource::Database() {
  if (!db_ || !db_->IsOpen()) db_ = Engine().OpenDatabase(databaseName_);
  return *db_;
}

void DataSource::Close() {
  if (db_) db_->Close();
  db_.reset();
}

void DataSource::Refresh() {
  // The list types map onto the engine's: table and dynaset stay, snapshot is a snapshot.
  const int type = recordsetType_ == vbRSTypeSnapShot ? dbOpenSnapshot
                   : recordsetType_ == vbRSTypeTable  ? dbOpenTable
                                                      : dbOpenDynaset;
  auto rs = Database().OpenRecordset(recordSource_, type, options_);
  std::vector<std::string> columns;
  for (int i = 0, n = rs->FieldCount(); i < n; ++i) columns.push_back(rs->Fields(i).Name());
  std::vector<std::vector<Variant>> rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<Variant> row;
    row.reserve(columns.size());
    for (int i = 0, n = static_cast<int>(columns.size()); i < n; ++i) row.push_back(rs->Fields(i).Value());
    rows.push_back(std::move(row));
  }
  rs->Close();
  columns_ = std::move(columns);
  rows_ = std::move(rows);
}

int DataSource::ColumnIndex(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (EqualsNoCase(columns_[i], name)) return static_cast<int>(i);
  return -1;
}

const Variant& DataSource::Value(std::size_t row, std::string_view column) const {
  const int index = ColumnIndex(column);
  if (index < 0)
    throw KxError(dberr::ItemNotFound, "DAO.Fields",
                  "Item not found in this collection: no field '" + std::string(column) + "'.");
  return rows_.at(row).at(static_cast<std::size_t>(index));
}

}  // namespace kx
