#include "dialogs/next_value_query.h"

#include <algorithm>
#include <string_view>
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
// level), so they are kept as lower-case text, side by side in one buffer, and need no
// collation key. Everything else, and any lookup that could equal a non-ASCII value, goes
// through the keyed collection.
class TakenValues {
 public:
  void Add(std::string_view text) {
    if (!IsPrintableAscii(text)) {
      others_.InsertSorted(std::string(text), text);
      return;
    }
    const std::size_t at = chars_.size();
    chars_.append(text);
    for (std::size_t i = at; i < chars_.size(); ++i) chars_[i] = AsciiLower(chars_[i]);
    spans_.push_back({at, text.size()});
    sorted_ = false;
    if (keyedAscii_) others_.InsertSorted(std::string(text), text);
  }

  bool Contains(const std::string& candidate) {
    if (!IsPrintableAscii(candidate)) {
      // A non-ASCII candidate may equal an ASCII value (e.g. a ligature): key them all once.
      if (!keyedAscii_) {
        for (const Span& s : spans_) others_.InsertSorted(std::string(View(s)), View(s));
        keyedAscii_ = true;
      }
      return CollectionHasKey(others_, candidate);
    }
    std::string lowered = candidate;
    for (char& c : lowered) c = AsciiLower(c);
    if (ContainsLowered(lowered)) return true;
    return !others_.Empty() && CollectionHasKey(others_, candidate);
  }

 private:
  struct Span {
    std::size_t offset;
    std::size_t length;
  };
  std::string_view View(const Span& s) const { return std::string_view(chars_).substr(s.offset, s.length); }

  // Candidates come in rising order and the values arrive sorted by the index, so the
  // place after the last hit is tried before a binary search.
  bool ContainsLowered(std::string_view c) {
    if (!sorted_) {
      auto less = [this](const Span& a, const Span& b) { return View(a) < View(b); };
      if (!std::is_sorted(spans_.begin(), spans_.end(), less)) std::sort(spans_.begin(), spans_.end(), less);
      sorted_ = true;
      hint_ = 0;
    }
    if (hint_ < spans_.size() && View(spans_[hint_]) == c) {
      ++hint_;
      return true;
    }
    const auto it = std::lower_bound(spans_.begin(), spans_.end(), c,
                                     [this](const Span& a, std::string_view b) { return View(a) < b; });
    const bool found = it != spans_.end() && View(*it) == c;
    hint_ = static_cast<std::size_t>(it - spans_.begin()) + (found ? 1 : 0);
    return found;
  }

  static bool IsPrintableAscii(std::string_view s) {
    for (const char c : s)
      if (c < 0x20 || c > 0x7E) return false;
    return true;
  }
  static char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

  std::string chars_;        // the ASCII values, lower-cased, one after the other
  std::vector<Span> spans_;  // sorted before the first lookup
  bool sorted_ = true;
  std::size_t hint_ = 0;
  bool keyedAscii_ = false;  // the ASCII values are in others_ as well
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
      const Variant& v = rs->Fields(0).Value();
      if (v.IsText()) {
        taken.Add(v.AsText());
      } else if (!v.IsNull()) {
        taken.Add(v.ToText());
      }
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
