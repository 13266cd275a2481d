// Text equality and order on the server against the client's own rule (core/text): equal
// when equal after simple case folding; ordered by the root collator on the folds, then by
// their bytes.
#include <unicode/utf8.h>

#include <algorithm>

#include "core/text.h"
#include "pg_job_db.h"
#include "platform/job_table_grid.h"

namespace kx::test {
namespace {

std::string Utf8(UChar32 c) {
  char buf[4];
  int32_t len = 0;
  U8_APPEND_UNSAFE(buf, len, c);
  return std::string(buf, static_cast<std::size_t>(len));
}

bool Before(const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; }

bool Valid(UChar32 c) { return c > 0 && !U_IS_SURROGATE(c); }

using PgTextRules = PgJobDbTest;

TEST_F(PgTextRules, FoldIsTheClientsForEveryCodePoint) {
  // Every code point alone: the server names those it changes, each must be the client's change.
  long changed = 0;
  auto conn = pg.Open();
  auto single = conn->OpenRecordset(
      "select cp, kx_fold(chr(cp)) from generate_series(1, 1114111) cp where (cp < 55296 or cp > 57343) "
      "and kx_fold(chr(cp)) <> chr(cp)");
  std::vector<bool> seen(0x110000);
  for (; !single->Eof(); single->MoveNext(), ++changed) {
    const auto c = static_cast<UChar32>(single->Fields(0).Value().AsInteger());
    EXPECT_EQ(single->Fields(1).Value().ToText(), FoldCase(Utf8(c))) << std::hex << c;
    seen[static_cast<std::size_t>(c)] = true;
  }
  for (UChar32 c = 1; c < 0x110000; ++c) {
    if (Valid(c) && !seen[static_cast<std::size_t>(c)]) {
      ASSERT_EQ(FoldCase(Utf8(c)), Utf8(c)) << std::hex << c;
    }
  }
  EXPECT_GT(changed, 1400);
  // And in texts of 97 code points, ASCII and the rest mixed, as keys hold them.
  auto texts = conn->OpenRecordset(
      "select cp / 97, kx_fold(string_agg(chr(cp), '' order by cp)) from generate_series(1, 1114111) cp "
      "where cp < 55296 or cp > 57343 group by cp / 97");
  long n = 0;
  for (; !texts->Eof(); texts->MoveNext(), ++n) {
    const long block = static_cast<long>(texts->Fields(0).Value().AsInteger());
    std::string expected;
    for (UChar32 c = static_cast<UChar32>(block * 97); c < (block + 1) * 97 && c < 0x110000; ++c)
      if (Valid(c)) expected += Utf8(c);
    ASSERT_EQ(texts->Fields(1).Value().ToText(), FoldCase(expected)) << "block " << block;
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
    pg.AddKeys(p.stored, "P" + key);
    EXPECT_EQ(pg.Count("select count(*) from data where [Filename]=" + SqlLiteral(p.asked)), p.equal ? 1 : 0)
        << p.asked;
    long dup = 0;
    try {
      pg.AddKeys(p.asked, "Q" + key);
    } catch (const KxError& e) {
      dup = e.Number();
    }
    EXPECT_EQ(dup, p.equal ? dberr::DuplicateKey : 0) << p.asked;
    EXPECT_EQ(
        pg.Count("select count(*) from data where [Filename] like " + SqlLiteral(std::string(p.asked) + "*")),
        p.equal ? 1 : 1 + (FoldCase(p.stored).starts_with(FoldCase(p.asked)) ? 1 : 0))
        << p.asked;
    pg.Execute("delete from NCDATA");
  }
}

TEST_F(PgTextRules, OrderIsTheRootCollationOfTheFolds) {
  std::vector<std::string> texts = {
      "b",   "A",          "a2",    "A²",         "A10",   "ä",      "Ä1",       "file1", "ﬁle2", "x1",
      "ｘ1", "so\u00ADft", "soft2", "cafe\u0301", "café2", "straße", "STRASSE2", "Zebra", "zz",   "_x",
      "1",   "10",         "9",     "İ",          "i2",    "Ω",      "ω2",       "",      " "};
  int number = 0;
  for (const std::string& t : texts) pg.AddKeys(t, "P" + std::to_string(++number));
  std::stable_sort(texts.begin(), texts.end(), Before);
  EXPECT_EQ(pg.Rows("select Filename from data order by Filename"), texts);
  // A bound compares the same way: "FILE1" is file1, and so many texts come after it.
  const long after = static_cast<long>(texts.end() - std::find(texts.begin(), texts.end(), "file1")) - 1;
  EXPECT_EQ(pg.Count("select count(*) from data where Filename > \"FILE1\""), after);
  std::reverse(texts.begin(), texts.end());
  EXPECT_EQ(pg.Rows("select [Filename] from DATA order by [Filename] desc"), texts);
}

}  // namespace
}  // namespace kx::test
