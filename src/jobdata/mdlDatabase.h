#pragma once
// Statement builders for the job table and the machine table. They only build text: the
// condition and the sort are inserted as given, with no brackets, quotes or escapes added.
#include <cstdint>
#include <string>

namespace kx {

// "SELECT <sFields> FROM NCDATA", then "[DataType]=<n>" when lDataType > -1, then sWhere
// (when bWhere and not empty), each joined with " AND " once " FROM NCDATA WHERE " is
// present (without case) and with " WHERE " before that; then " ORDER BY <sOrderBy>".
std::string GetSqlNcData(const std::string& sFields, std::int32_t lDataType, const std::string& sWhere,
                         bool bWhere, const std::string& sOrderBy, bool bOrderBy);

// "SELECT <sFields> FROM MACHINE" [" WHERE " sWhere] [" ORDER BY " sOrderBy].
std::string GetSqlMachine(const std::string& sFields, const std::string& sWhere, bool bWhere,
                          const std::string& sOrderBy, bool bOrderBy);

}  // namespace kx
