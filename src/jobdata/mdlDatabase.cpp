#include "jobdata/mdlDatabase.h"

#include "core/text.h"

namespace kx {
namespace {

void AddCondition(std::string& sql, const std::string& condition) {
  sql += ContainsNoCase(sql, " FROM NCDATA WHERE ") ? " AND " : " WHERE ";
  sql += condition;
}

}  // namespace

std::string GetSqlNcData(const std::string& sFields, std::int32_t lDataType, const std::string& sWhere,
                         bool bWhere, const std::string& sOrderBy, bool bOrderBy) {
  std::string sql = "SELECT " + sFields + " FROM " + "NCDATA";
  if (lDataType > -1) AddCondition(sql, "[DataType]=" + std::to_string(lDataType));
  if (!sWhere.empty() && bWhere) AddCondition(sql, sWhere);
  if (!sOrderBy.empty() && bOrderBy) sql += " ORDER BY " + sOrderBy;
  return sql;
}

std::string GetSqlMachine(const std::string& sFields, const std::string& sWhere, bool bWhere,
                          const std::string& sOrderBy, bool bOrderBy) {
  std::string sql = "SELECT " + sFields + " FROM " + "MACHINE";
  if (!sWhere.empty() && bWhere) sql += " WHERE " + sWhere;
  if (!sOrderBy.empty() && bOrderBy) sql += " ORDER BY " + sOrderBy;
  return sql;
}

}  // namespace kx
