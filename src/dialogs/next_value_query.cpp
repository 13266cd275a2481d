#include "dialogs/next_value_query.h"

#include <algorithm>
#include <vector>

#include "config/config_keys.h"
#include "core/keyed_collection.h"
#include "core/numbers.h"
#include "core/text.h"
#include "dialogs/next_value.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx {
namespace {

// Left-pads a numeric candidate with "0" to iLength characters.
std::string ZeroFill(std::string value, std::int16_t iLength) {
  if (iLength > 0 && IsNumeric(value)) {
    const std::size_t len = CharLength(value);
    if (len < static_cast<std::size_t>(iLength))
      value.insert(0, static_cast<std::size_t>(iLength) - len, '0');
  }
  return value;
}

std::string MaxStatement(std::int16_t iAutoValueType, std::int16_t iSynchron) {
  if (iAutoValueType == 1) {
    switch (iSynchron) {
      case 1:
        return "SELECT Filename FROM DATA WHERE Not IsNumeric(Filename) Order By Filename DESC";
      case 2:
        return "SELECT Programnumber FROM DATA WHERE Not IsNumeric(Programnumber) Order By Programnumber "
               "DESC";
      default:
        return "SELECT V FROM (SELECT Filename as V FROM DATA UNION SELECT Programnumber as V FROM DATA) "
               "Order By [V] DESC";
    }
  }
  if (iAutoValueType == 2) {
    switch (iSynchron) {
      case 1:
        return "SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC";
      case 2:
        return "SELECT Programnumber FROM DATA WHERE IsNumeric(Programnumber) Order By CDbl(Programnumber) "
               "DESC";
      default:
        return "SELECT V FROM (SELECT Filename as V FROM DATA WHERE IsNumeric(Filename) UNION SELECT "
               "Programnumber as V FROM DATA WHERE IsNumeric(Programnumber)) Order By CDbl([V]) DESC";
    }
  }
  return {};
}

// One column's statement of the next-value query; L and P are already quoted literals.
std::string NextStatementFor(const std::string& column, const std::string& alias, const std::string& lower,
                             bool numeric, const std::string& lowerLiteral,
                             const std::string& patternLiteral) {
  const std::string select = "SELECT " + column + alias + " FROM Data";
  if (lower.empty()) return select;
  if (numeric) {
    return select + " Where IsNumeric(" + column + ") and IIF(IsNumeric(" + column + "), CDbl(" + column +
           "),-1) > " + lower;
  }
  return select + " Where Not IsNumeric(" + column + ") and " + column + " > " + lowerLiteral + " And " +
         column + " like " + patternLiteral;
}

std::string NextStatement(std::int16_t iSynchron, const std::string& lower, const std::string& pattern) {
  const bool numeric = !lower.empty() && IsNumeric(lower);
  // Doubled double quotes inside the literals.
  const std::string l = QuoteSqlText(lower, '"');
  const std::string p = QuoteSqlText(pattern, '"');
  const std::string byFile = NextStatementFor("Filename", "", lower, numeric, l, p);
  const std::string byProgram = NextStatementFor("ProgramNumber", "", lower, numeric, l, p);
  switch (iSynchron) {
    case 1:
      return byFile;
    case 2:
      return byProgram;
    default:
      if (lower.empty()) {
        return "SELECT Filename FROM (SELECT Filename FROM Data union SELECT ProgramNumber as Filename FROM "
               "Data)";
      }
      // The text form names the second column "Filename"; the numeric form does not.
      return "SELECT Filename FROM (" + byFile + " union " +
             (numeric ? byProgram : NextStatementFor("ProgramNumber", " as Filename", lower, numeric, l, p)) +
             " )";
  }
}

}  // namespace

std::string GetNewStrMaxValue(const std::string& dbName, std::int16_t iSynchron, std::int16_t iAutoValueType,
                              std::int16_t iLength) {
  const std::string sql = MaxStatement(iAutoValueType, iSynchron);
  if (sql.empty()) return {};
  std::string maximum;
  {
    auto db = Engine().OpenDatabase(dbName);
    // Only the first row is read: the hint lets the engine stop after it.
    auto rs = db->OpenRecordset(sql, dbOpenForwardOnly, 0, 1);
    if (!rs->Eof()) {
      const Variant& v = rs->Fields(0).Value();
      if (!v.IsNull()) maximum = v.ToText();
    }
    rs->Close();
    db->Close();
  }
  return ZeroFill(IncrementStrValue(maximum), iLength);
}

namespace {

// The taken-value set, without regard to case in the collator's sense. Printable ASCII texts
// compare equal under the collator exactly when they are equal ignoring ASCII case (every
// printable ASCII character has its own primary weight, cases differ only at the third
// level), so they are kept as lower-case text and need no collation key. Everything else,
// and any lookup that could equal a non-ASCII value, goes through the keyed collection.
class TakenValues {
 public:
  void Add(std::string text) {
    if (IsPrintableAscii(text)) {
      ascii_.push_back(AsciiLower(text));
      sorted_ = false;
      asciiOnly_.push_back(std::move(text));  // for non-ASCII lookups, keyed on first need
    } else {
      const std::string key = text;
      others_.InsertSorted(std::move(text), key);
    }
  }
  bool Contains(const std::string& candidate) {
    if (IsPrintableAscii(candidate)) {
      if (!sorted_) {
        std::sort(ascii_.begin(), ascii_.end());
        sorted_ = true;
      }
      if (std::binary_search(ascii_.begin(), ascii_.end(), AsciiLower(candidate))) return true;
      return !others_.Empty() && CollectionHasKey(others_, candidate);
    }
    // A non-ASCII candidate may equal an ASCII value (e.g. full-width letters): key them all.
    for (std::string& text : asciiOnly_) {
      const std::string key = text;
      others_.InsertSorted(std::move(text), key);
    }
    asciiOnly_.clear();
    return CollectionHasKey(others_, candidate);
  }

 private:
  static bool IsPrintableAscii(const std::string& s) {
    for (const char c : s)
      if (c < 0x20 || c > 0x7E) return false;
    return true;
  }
  static std::string AsciiLower(std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }

  std::vector<std::string> ascii_;  // sorted once before the first lookup
  bool sorted_ = true;
  std::vector<std::string> asciiOnly_;
  KeyedCollection<std::string> others_;
};

}  // namespace

std::string GetNewStrNextValue(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron,
                               std::int16_t iLength) {
  std::string lower, pattern;
  GetStrSearchBounds(sStart, lower, pattern);

  // Every stored value the search can reach, read once; a value counts once, Null is skipped.
  TakenValues taken;
  {
    auto db = Engine().OpenDatabase(dbName);
    auto rs = db->OpenRecordset(NextStatement(iSynchron, lower, pattern), dbOpenForwardOnly);
    for (; !rs->Eof(); rs->MoveNext()) {
      Variant v = rs->Fields(0).Value();
      if (!v.IsNull()) taken.Add(v.ToText());
    }
    rs->Close();
    db->Close();
  }

  std::string candidate = sStart;
  for (;;) {
    const std::string next = ZeroFill(IncrementStrValue(candidate), iLength);
    // The empty text has no successor: stop instead of testing it forever.
    if (next.empty()) return next;
    candidate = next;
    if (!taken.Contains(candidate)) return candidate;
  }
}

std::string GetNewStrValue(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron) {
  const TorvelSettings settings = ReadTorvelSettings();
  // Any strategy other than 1 or 2 proposes the next free value, as 0 does.
  const std::string proposal =
      (settings.AutoValueType == 1 || settings.AutoValueType == 2)
          ? GetNewStrMaxValue(dbName, iSynchron, settings.AutoValueType, settings.AutoValueNumericLength)
          : GetNewStrNextValue(dbName, sStart, iSynchron, settings.AutoValueNumericLength);
  return ApplyKeyValueCase(proposal, settings.KeyValueUpperAndLowerCase);
}

}  // namespace kx
