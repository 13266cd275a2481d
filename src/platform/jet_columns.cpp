#include "platform/jet_columns.h"

#include <fmt/format.h>

#include <cstring>

#include "core/error.h"
#include "platform/database.h"

namespace kx {

namespace {
constexpr const char* kSource = "kestrafix.JetFile";
constexpr int kMaxDecimalDigits = 28;
}  // namespace

ColumnLayout JetColumnLayout(const MdbColumn& c, bool jet3, std::vector<std::string>& notes,
                             const std::string& table) {
  ColumnLayout s;
  s.name = c.name;
  const char* required = mdb_col_get_prop(&c, "Required");
  s.required = required && std::strcmp(required, "yes") == 0;
  const auto note = [&](const char* what) { notes.push_back(fmt::format("{}.{}: {}", table, c.name, what)); };
  switch (c.col_type) {
    case MDB_BOOL:
      s.type = FieldType::Bool;
      break;
    case MDB_BYTE:
    case MDB_INT:
      s.type = FieldType::Int16;
      break;
    case MDB_LONGINT:
    case MDB_COMPLEX:
      s.type = FieldType::Int32;
      s.autoNumber = c.is_long_auto != 0;
      // The files or values lie in hidden tables of the file, which are not imported.
      if (c.col_type == MDB_COMPLEX) note("attachment or multi-value field, only its number is kept");
      break;
    case MDB_MONEY:
      s.type = FieldType::Decimal;
      s.size = 19;
      s.scale = 4;
      break;
    case MDB_NUMERIC:
      if (c.col_prec < 1 || c.col_prec > kMaxDecimalDigits || c.col_scale > c.col_prec)
        throw KxError(dberr::BadFormat, kSource,
                      fmt::format("column '{}' of table '{}' is a decimal of {} digits with {} decimals, "
                                  "which no Access column is",
                                  c.name, table, c.col_prec, c.col_scale));
      s.type = FieldType::Decimal;
      s.size = c.col_prec;
      s.scale = c.col_scale;
      break;
    case MDB_FLOAT:
    case MDB_DOUBLE:
      s.type = FieldType::Double;
      break;
    case MDB_DATETIME:
      s.type = FieldType::DateTime;
      break;
    case MDB_TEXT:
      s.type = FieldType::Text;
      s.size = jet3 ? c.col_size : c.col_size / 2;  // bytes: one per character in Jet 3, two after
      break;
    case MDB_REPID:  // a GUID as Access writes it: {01234567-89AB-CDEF-0123-456789ABCDEF}
      s.type = FieldType::Text;
      s.size = 38;
      if (c.is_uuid_auto) note("replication ID numbered by Access, kept as text: new rows get none");
      break;
    case MDB_MEMO:
      s.type = FieldType::Text;
      break;
    case MDB_BINARY:
    case MDB_OLE:
      s.type = FieldType::Text;
      note(c.col_type == MDB_OLE ? "OLE object, kept as hexadecimal text" : "binary, kept as hexadecimal text");
      break;
    default:
      throw KxError(dberr::BadFormat, kSource,
                    fmt::format("column '{}' of table '{}' has the unknown type {}", c.name, table, c.col_type));
  }
  return s;
}

}  // namespace kx
