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

// The largest-value statement of one key column (iSynchron 1: Filename, 2: ProgramNumber).
// Over both columns the text strategy takes every value, numeric or not.
std::string MaxStatement(std::int16_t iAutoValueType, std::int16_t iSynchron, bool bothColumns = false) {
  const std::string c = iSynchron == 2 ? "Programnumber" : "Filename";
  if (iAutoValueType == 1) {
    return "SELECT " + c + " FROM DATA" + (bothColumns ? "" : " WHERE Not IsNumeric(" + c + ")") + " Order By " +
           c + " DESC";
  }
  if (iAutoValueType == 2)
    return "SELECT " + c + " FROM DATA WHERE IsNumeric(" + c + ") Order By CDbl(" + c + ") DESC";
  return {};
}

// One column's statement of the next-value query; L and P are already quoted literals.
// `above` is ">", or ">=" when the start has more digits than a double holds: a stored
// neighbour then has the same double as the start and must be read as well.
std::string NextStatementFor(const std::string& column, const std::string& alias, const std::string& lower,
                             bool numeric, const char* above, const std::string& lowerLiteral,
                             const std::string& patternLiteral) {
  const std::string select = "SELECT " + column + alias + " FROM Data";
  if (lower.empty()) return select;
  if (numeric) {
    return select + " Where IsNumeric(" + column + ") and IIF(IsNumeric(" + column + "), CDbl(" + column +
           "),-1) " + above + " " + lower;
  }
  return select + " Where Not IsNumeric(" + column + ") and " + column + " > " + lowerLiteral + " And " +
         column + " like " + patternLiteral;
}

std::string NextStatement(std::int16_t iSynchron, const std::string& lower, const std::string& pattern,
                          bool exact) {
  const bool numeric = !lower.empty() && IsNumeric(lower);
  const char* above = exact ? ">" : ">=";
  // Doubled double quotes inside the literals.
  const std::string l = QuoteSqlText(lower, '"');
  const std::string p = QuoteSqlText(pattern, '"');
  const std::string byFile = NextStatementFor("Filename", "", lower, numeric, above, l, p);
  const std::string byProgram = NextStatementFor("ProgramNumber", "", lower, numeric, above, l, p);
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
             (numeric ? byProgram
                      : NextStatementFor("ProgramNumber", " as Filename", lower, numeric, above, l, p)) +
             " )";
  }
}

// The taken-value set, without regard to case. ASCII texts are equal ignoring case exactly
// when their lower-case forms are, so printable ones are kept lower-cased, side by side in
// one buffer, and need no collation key. Everything else, and any lookup that could equal
// a non-ASCII value, goes through the keyed collection.
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
      // A non-ASCII candidate may equal an ASCII value (the Kelvin sign folds to k): key them all once.
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

// Numbers written with more significant digits than a double holds exactly.
bool BeyondDouble(std::string_view numeric) {
  int digits = 0;
  bool leading = true;
  for (const char c : numeric) {
    if (c == 'e' || c == 'E') break;
    if (c < '0' || c > '9' || (leading && c == '0')) continue;
    leading = false;
    ++digits;
  }
  return digits > 15;
}

// Exact order of two numeric texts (sign, digits, ".", exponent), whatever their length.
int CompareNumbers(std::string_view a, std::string_view b) {
  struct Decimal {
    int sign = 0;         // -1, 0, 1
    std::string digits;   // no leading or trailing zeros
    long long point = 0;  // value = 0.digits * 10^point
  };
  auto parse = [](std::string_view s) {
    Decimal d;
    bool negative = false, fraction = false;
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
      if (s[i] == '.') {
        fraction = true;
      } else if (s[i] >= '0' && s[i] <= '9') {
        if (d.digits.empty() && s[i] == '0') {
          if (fraction) --d.point;
          continue;
        }
        d.digits += s[i];
        if (!fraction) ++d.point;
      }
    }
    if (i < s.size()) d.point += static_cast<long long>(LeadingNumber(s.substr(i + 1)));
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    d.sign = d.digits.empty() ? 0 : (negative ? -1 : 1);
    return d;
  };
  const Decimal x = parse(a), y = parse(b);
  if (x.sign != y.sign) return x.sign < y.sign ? -1 : 1;
  if (x.sign == 0) return 0;
  const int m = x.point != y.point ? (x.point < y.point ? -1 : 1) : x.digits.compare(y.digits);
  return x.sign * ((m > 0) - (m < 0));
}

// The key condition of the validation's count for one value: the column(s) the proposal is for.
std::string KeyCondition(std::int16_t iSynchron, const std::string& value) {
  const std::string v = QuoteSqlText(value, '\'');
  std::string where;
  if (iSynchron != 1) where = "[ProgramNumber]=" + v;
  if (iSynchron != 2) where += (where.empty() ? "" : " or ") + std::string("[Filename]=") + v;
  return where;
}

// Whether the uniqueness test of the validation would refuse the value: the same count
// over the key column(s) that the proposal is for.
bool IsStored(Database& db, std::int16_t iSynchron, const std::string& value) {
  auto rs = db.OpenRecordset("select Count(*) from data where " + KeyCondition(iSynchron, value),
                             dbOpenForwardOnly);
  const bool stored = !rs->Eof() && rs->Fields(0).Value().ToNumber() > 0;
  rs->Close();
  return stored;
}

// The stored values among the candidates, found by index seeks with the validation's "=" on
// the key column(s). What it costs does not depend on the size of the table.
TakenValues StoredAmong(Database& db, std::int16_t iSynchron, const std::vector<std::string>& candidates) {
  std::string list;
  for (const std::string& c : candidates) list += (list.empty() ? "" : ", ") + QuoteSqlText(c, '\'');
  std::vector<std::string> keys;
  if (iSynchron != 2) keys.emplace_back("[Filename]");
  if (iSynchron != 1) keys.emplace_back("[ProgramNumber]");
  std::string columns, where;
  for (const std::string& key : keys) {
    columns += (columns.empty() ? "" : ", ") + key;
    where += (where.empty() ? "" : " or ") + key + " in (" + list + ")";
  }
  TakenValues taken;
  auto rs = db.OpenRecordset("select " + columns + " from data where " + where, dbOpenForwardOnly);
  for (; !rs->Eof(); rs->MoveNext()) {
    for (int f = 0; f < rs->FieldCount(); ++f) {
      const Variant& v = rs->Fields(f).Value();
      if (v.IsText()) {
        taken.Add(v.AsText());
      } else if (!v.IsNull()) {
        taken.Add(v.ToText());
      }
    }
  }
  rs->Close();
  return taken;
}

// Strategy 0 inside a long run of taken values: every stored value the search can reach, read
// once, then the candidates tested in memory; the first one not in the set is checked with the
// validation's own test, so a value the set could not know of is never proposed.
std::string NextFreeInRange(Database& db, const std::string& sStart, std::int16_t iSynchron, std::int16_t iLength,
                     std::int16_t caseMode) {
  std::string lower, pattern;
  GetStrSearchBounds(sStart, lower, pattern);

  // A value counts once, Null is skipped.
  TakenValues taken;
  {
    auto rs =
        db.OpenRecordset(NextStatement(iSynchron, lower, pattern, !BeyondDouble(sStart)), dbOpenForwardOnly);
    for (; !rs->Eof(); rs->MoveNext()) {
      const Variant& v = rs->Fields(0).Value();
      if (v.IsText()) {
        taken.Add(v.AsText());
      } else if (!v.IsNull()) {
        taken.Add(v.ToText());
      }
    }
    rs->Close();
  }

  std::string candidate = sStart;
  for (;;) {
    const std::string next = ZeroFill(IncrementStrValue(candidate), iLength);
    // The empty text has no successor: stop instead of testing it forever.
    if (next.empty()) return next;
    candidate = next;
    if (!taken.Contains(candidate) && !IsStored(db, iSynchron, ApplyKeyValueCase(candidate, caseMode)))
      return candidate;
  }
}

// Strategy 0 on an open database. The first candidates are looked up by index seeks, so the
// usual proposal costs the same at any table size; a start inside a longer run of taken values
// reads the values the search can reach at once instead of one query per candidate.
std::string NextFree(Database& db, const std::string& sStart, std::int16_t iSynchron, std::int16_t iLength,
                     std::int16_t caseMode) {
  constexpr std::size_t kSeeks = 16;
  std::vector<std::string> candidates, cased;
  std::string candidate = sStart;
  while (candidates.size() < kSeeks) {
    candidate = ZeroFill(IncrementStrValue(candidate), iLength);
    // The empty text has no successor: stop instead of testing it forever.
    if (candidate.empty()) return candidate;
    candidates.push_back(candidate);
    cased.push_back(ApplyKeyValueCase(candidate, caseMode));
  }
  TakenValues taken = StoredAmong(db, iSynchron, cased);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!taken.Contains(cased[i]) && !IsStored(db, iSynchron, cased[i])) return candidates[i];
  }
  return NextFreeInRange(db, sStart, iSynchron, iLength, caseMode);
}

// The first row's value of a statement, empty for none or Null; the hint lets the engine
// stop after it.
std::string FirstValue(Database& db, const std::string& sql) {
  std::string value;
  auto rs = db.OpenRecordset(sql, dbOpenForwardOnly, 0, 1);
  if (!rs->Eof()) {
    const Variant& v = rs->Fields(0).Value();
    if (!v.IsNull()) value = v.ToText();
  }
  rs->Close();
  return value;
}

// The largest stored value of the strategy; ties of numbers longer than a double holds
// are decided on their digits.
std::string MaxStored(Database& db, std::int16_t iSynchron, std::int16_t iAutoValueType) {
  if (iSynchron != 1 && iSynchron != 2) {
    // Both columns: each column's index gives its largest value at once, where their union
    // would be read and sorted whole; the larger of the two is the union's largest.
    const bool text = iAutoValueType == 1;
    const std::string file = text ? FirstValue(db, MaxStatement(1, 1, true)) : MaxStored(db, 1, 2);
    const std::string program = text ? FirstValue(db, MaxStatement(1, 2, true)) : MaxStored(db, 2, 2);
    if (file.empty() || program.empty()) return file.empty() ? program : file;
    if (!text) return CompareNumbers(file, program) >= 0 ? file : program;
    // Text order is the engine's collation: it sorts the two as it would sort the union.
    return FirstValue(db, "SELECT V FROM (SELECT Filename as V FROM DATA WHERE Filename = " +
                              QuoteSqlText(file, '"') +
                              " UNION SELECT Programnumber as V FROM DATA WHERE Programnumber = " +
                              QuoteSqlText(program, '"') + ") Order By [V] DESC");
  }
  const std::string sql = MaxStatement(iAutoValueType, iSynchron);
  std::string maximum = FirstValue(db, sql);
  if (iAutoValueType != 2 || !BeyondDouble(maximum)) return maximum;
  const double top = CDbl(maximum);
  auto rs = db.OpenRecordset(sql, dbOpenForwardOnly);
  for (; !rs->Eof(); rs->MoveNext()) {
    const std::string v = rs->Fields(0).Value().ToText();
    if (CDbl(v) != top) break;
    if (CompareNumbers(v, maximum) > 0) maximum = v;
  }
  rs->Close();
  return maximum;
}

std::string MaxValueProposal(const std::string& dbName, std::int16_t iSynchron, std::int16_t iAutoValueType,
                             std::int16_t iLength, std::int16_t caseMode) {
  if (MaxStatement(iAutoValueType, 1).empty()) return {};
  auto db = Engine().OpenDatabase(dbName);
  std::string proposal = ZeroFill(IncrementStrValue(MaxStored(*db, iSynchron, iAutoValueType)), iLength);
  // Text order may put A9 above a stored A10: a taken successor goes on as strategy 0 does.
  if (!proposal.empty() && IsStored(*db, iSynchron, ApplyKeyValueCase(proposal, caseMode)))
    proposal = NextFree(*db, proposal, iSynchron, iLength, caseMode);
  db->Close();
  return proposal;
}

std::string NextValueProposal(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron,
                              std::int16_t iLength, std::int16_t caseMode) {
  auto db = Engine().OpenDatabase(dbName);
  std::string proposal = NextFree(*db, sStart, iSynchron, iLength, caseMode);
  db->Close();
  return proposal;
}

}  // namespace

std::string GetNewStrMaxValue(const std::string& dbName, std::int16_t iSynchron, std::int16_t iAutoValueType,
                              std::int16_t iLength) {
  return MaxValueProposal(dbName, iSynchron, iAutoValueType, iLength, 0);
}

std::string GetNewStrNextValue(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron,
                               std::int16_t iLength) {
  return NextValueProposal(dbName, sStart, iSynchron, iLength, 0);
}

std::string GetNewStrValue(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron) {
  const TorvelSettings settings = ReadTorvelSettings();
  const std::int16_t caseMode = settings.KeyValueUpperAndLowerCase;
  // Any strategy other than 1 or 2 proposes the next free value, as 0 does.
  const std::string proposal =
      (settings.AutoValueType == 1 || settings.AutoValueType == 2)
          ? MaxValueProposal(dbName, iSynchron, settings.AutoValueType, settings.AutoValueNumericLength,
                             caseMode)
          : NextValueProposal(dbName, sStart, iSynchron, settings.AutoValueNumericLength, caseMode);
  return ApplyKeyValueCase(proposal, caseMode);
}

}  // namespace kx
