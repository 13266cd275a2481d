#include "platform/db_name.h"

#include <libpq-fe.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "platform/sql_tokens.h"

namespace kx {
namespace {

// The keywords of the libpq we are linked with, so a new one is known without a change here.
const std::vector<std::string>& Keywords() {
  static const std::vector<std::string> keywords = [] {
    std::vector<std::string> out;
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(PQconndefaults(), PQconninfoFree);
    for (const PQconninfoOption* o = options.get(); o && o->keyword; ++o) out.emplace_back(o->keyword);
    return out;
  }();
  return keywords;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsServerDbName(std::string_view name) {
  std::size_t i = 0;
  while (i < name.size() && IsBlank(name[i])) ++i;
  name.remove_prefix(i);
  for (std::string_view scheme : {"postgresql://", "postgres://"})
    if (name.size() >= scheme.size() && sql::EqualsAscii(name.substr(0, scheme.size()), scheme)) return true;
  std::size_t end = 0;
  while (end < name.size() && (std::isalnum(static_cast<unsigned char>(name[end])) || name[end] == '_'))
    ++end;
  std::size_t eq = end;
  while (eq < name.size() && IsBlank(name[eq])) ++eq;
  if (end == 0 || eq >= name.size() || name[eq] != '=') return false;
  // libpq's keywords are lower case and matched exactly.
  for (const std::string& keyword : Keywords())
    if (name.substr(0, end) == keyword) return true;
  return false;
}

}  // namespace kx
