// Text equality and order on the server, checked against the rule computed here with ICU:
// equal when equal after simple case folding; ordered by the root collator on the folds,
// then by their bytes.
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

#include "pg_job_db.h"

namespace kx::test {
namespace {

std::string Utf8(UChar32 c) {
  char buf[4];
  int32_t len = 0;
  U8_APPEND_UNSAFE(buf, len, c);
  return std::string(buf, static_cast<std::size_t>(len));
}

std::string Fold(std::string_view s) {
  std::string out;
  for (int32_t i = 0; i < static_cast<int32_t>(s.size());) {
    UChar32 c;
    U8_NEXT(reinterpret_cast<const uint8_t*>(s.data()), i, static_cast<int32_t>(s.size()), c);
    out += Utf8(u_foldCase(c, U_FOLD_CASE_DEFAULT));
  }
  return out;
}

bool Before(const std::string& a, const std::string& b) {
  static const std::unique_ptr<UCollator, decltype(&ucol_close)> root = [] {
    UErrorCode status = U_ZERO_ERROR;
    return std::unique_ptr<UCollator, decltype(&ucol_close)>(ucol_open("", &status), ucol_close);
  }();
  const std::string fa = Fold(a), fb = Fold(b);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult r = ucol_strcollUTF8(root.get(), fa.data(), static_cast<int32_t>(fa.size()),
                                              fb.data(), static_cast<int32_t>(fb.size()), &status);
  return r == UCOL_EQUAL ? fa < fb : r == UCOL_LESS;
}

bool Valid(UChar32 c) { return c > 0 && !U_IS_SURROGATE(c); }

using PgTextRules = PgJobDbTest;

TEST_F(PgTextRules, FoldMatchesIcuForEveryCodePoint) {
  // Every code point alone: the server names those it changes, each must be ICU's change.
  long changed = 0;
  auto db = Open();
  auto single = db->OpenRecordset(
      "select cp, kx_fold(chr(cp)) from generate_series(1, 1114111) cp where (cp < 55296 or cp > 57343) "
      "and kx_fold(chr(cp)) <> chr(cp)");
  std::vector<bool> seen(0x110000);
  for (; !single->Eof(); single->MoveNext(), ++changed) {
    const auto c = static_cast<UChar32>(single->Fields(0).Value().AsInteger());
    EXPECT_EQ(single->Fields(1).Value().ToText(), Utf8(u_foldCase(c, U_FOLD_CASE_DEFAULT))) << std::hex << c;
    seen[static_cast<std::size_t>(c)] = true;
  }
  for (UChar32 c = 1; c < 0x110000; ++c) {
    if (Valid(c) && !seen[static_cast<std::size_t>(c)]) {
      ASSERT_EQ(u_foldCase(c, U_FOLD_CASE_DEFAULT), c) << std::hex << c;
    }
  }
  EXPECT_GT(changed, 1400);
  // And in texts of 97 code points, ASCII and the rest mixed, as keys hold them.
  auto texts = db->OpenRecordset(
      "select cp / 97, kx_fold(string_agg(chr(cp), '' order by cp)) from generate_series(1, 1114111) cp "
      "where cp < 55296 or cp > 57343 group by cp / 97");
  long n = 0;
  for (; !texts->Eof(); texts->MoveNext(), ++n) {
    const long block = static_cast<long>(texts->Fields(0).Value().AsInteger());
    std::string expected;
    for (UChar32 c = static_cast<UChar32>(block * 97); c < (block + 1) * 97 && c < 0x110000; ++c)
      if (Valid(c)) expected += Utf8(u_foldCase(c, U_FOLD_CASE_DEFAULT));
    ASSERT_EQ(texts->Fields(1).Value().ToText(), expected) << "block " << block;
  }
  EXPECT_GT(n, 11000);
}

TEST_F(PgTextRules, EqualityIsEqualityAfterSimpleFolding) {
  struct Pair {
    const char* stored;
    const char* asked;
    bool equal;
  };
  const Pair pairs[] = {
      {"Ä1", "ä1", true},
      {"ǅ1", "ǆ1", true},
      {"Σ1", "ς1", true},
      {"\u212A1", "k1", true},
      {"A²", "A2", false},
      {"ﬁle1", "file1", false},
      {"ｘ1", "x1", false},
      {"so\u00ADft", "soft", false},
      {"ze\u200Bro", "zero", false},
      {"cafe\u0301", "café", false},
      {"STRASSE", "straße", false},
      {"İ1", "i1", false},
  };
  int number = 0;
  for (const Pair& p : pairs) {
    const std::string key = std::to_string(++number);
    AddKeys(p.stored, "P" + key);
    EXPECT_EQ(Count("select count(*) from data where [Filename]=" + Lit(p.asked)), p.equal ? 1 : 0)
        << p.asked;
    long dup = 0;
    try {
      AddKeys(p.asked, "Q" + key);
    } catch (const KxError& e) {
      dup = e.Number();
    }
    EXPECT_EQ(dup, p.equal ? dberr::DuplicateKey : 0) << p.asked;
    EXPECT_EQ(Count("select count(*) from data where [Filename] like " + Lit(std::string(p.asked) + "*")),
              p.equal ? 1 : 1 + (Fold(p.stored).rfind(Fold(p.asked), 0) == 0 ? 1 : 0))
        << p.asked;
    Open()->Execute("delete from NCDATA");
  }
}

TEST_F(PgTextRules, OrderIsTheRootCollationOfTheFolds) {
  std::vector<std::string> texts = {
      "b",   "A",          "a2",    "A²",         "A10",   "ä",      "Ä1",       "file1", "ﬁle2", "x1",
      "ｘ1", "so\u00ADft", "soft2", "cafe\u0301", "café2", "straße", "STRASSE2", "Zebra", "zz",   "_x",
      "1",   "10",         "9",     "İ",          "i2",    "Ω",      "ω2",       "",      " "};
  int number = 0;
  for (const std::string& t : texts) AddKeys(t, "P" + std::to_string(++number));
  std::stable_sort(texts.begin(), texts.end(), Before);
  EXPECT_EQ(Rows("select Filename from data order by Filename"), texts);
  // A bound compares the same way: "FILE1" is file1, and so many texts come after it.
  const long after = static_cast<long>(texts.end() - std::find(texts.begin(), texts.end(), "file1")) - 1;
  EXPECT_EQ(Count("select count(*) from data where Filename > \"FILE1\""), after);
  std::reverse(texts.begin(), texts.end());
  EXPECT_EQ(Rows("select [Filename] from DATA order by [Filename] desc"), texts);
}

}  // namespace
}  // namespace kx::test
