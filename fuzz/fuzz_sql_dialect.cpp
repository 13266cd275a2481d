// The SQL dialect translator: any statement translates or is refused with the engine's error,
// always the same way; a statement of names and literals keeps each of them, converted only
// in its quoting ("text" -> 'text', [name] -> "name").
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <string>

#include "core/error.h"
#include "fuzz_support.h"
#include "platform/sql_dialect.h"

namespace {

std::string Translated(std::string_view statement) {
  try {
    return kx::TranslateStatement(statement);
  } catch (const kx::KxError& e) {
    return "error " + std::to_string(e.Number());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  KX_FUZZ_CHECK(Translated(raw) == Translated(raw));

  // "SELECT item, item, ...": bare names, 'single', "double" and [bracketed] items.
  FuzzedDataProvider in(data, size);
  std::string statement = "SELECT ";
  std::string expected = "SELECT ";
  for (int n = 0; in.remaining_bytes() > 0 && n < 16; ++n) {
    const int kind = in.ConsumeIntegralInRange(0, 3);
    std::string text = in.ConsumeRandomLengthString(16);
    if (text.find('\0') != std::string::npos) return 0;
    if (n > 0) {
      statement += ", ";
      expected += ", ";
    }
    switch (kind) {
      case 0: {  // a name that is no keyword of either dialect
        std::string name = "n_";
        for (char c : text)
          if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') name += c;
        statement += name;
        expected += name;
        break;
      }
      case 1:
        statement += kx::QuoteSqlText(text, '\'');
        expected += kx::QuoteSqlText(text, '\'');
        break;
      case 2:
        statement += kx::QuoteSqlText(text, '"');
        expected += kx::QuoteSqlText(text, '\'');
        break;
      default:
        if (text.find(']') != std::string::npos) return 0;
        statement += "[" + text + "]";
        expected += kx::QuoteSqlText(text, '"');
        break;
    }
  }
  if (statement == "SELECT ") return 0;
  KX_FUZZ_CHECK(Translated(statement) == expected);
  return 0;
}
