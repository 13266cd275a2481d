#include "platform/sql_catalog.h"

#include "core/text.h"

namespace kx {

const SqlCatalog::Column* SqlCatalog::Table::Find(std::string_view column) const {
  for (const Column& c : columns)
    if (EqualsNoCase(c.name, column)) return &c;
  return nullptr;
}

const SqlCatalog::Table* SqlCatalog::FindTable(std::string_view name) const {
  for (const Table& t : tables)
    if (EqualsNoCase(t.name, name)) return &t;
  return nullptr;
}

SqlCatalog::Table& SqlCatalog::AddTable(std::string name) {
  tables.push_back(Table{std::move(name), {}});
  return tables.back();
}

ColumnKind ColumnKindOfCategory(char typcategory) {
  switch (typcategory) {
    case 'S':
      return ColumnKind::Text;
    case 'N':
      return ColumnKind::Number;
    case 'D':
      return ColumnKind::Date;
    case 'B':
      return ColumnKind::Bool;
    default:
      return ColumnKind::Other;
  }
}

}  // namespace kx
