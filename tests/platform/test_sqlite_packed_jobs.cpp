// A replace's jobs captured in its own update and read back packed: every kind of old value and
// any IDs come back as they were; a limit passed takes the update back; a damaged packed value
// is an error, never other jobs.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sqlite_packed_jobs.h"

namespace kx::test {
namespace {

using Rows = std::vector<std::string>;

struct Closer {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

class PackedJobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    db_.reset(raw);
    ASSERT_EQ(RegisterPackedJobs(raw), SQLITE_OK);
    Exec("CREATE TABLE t (ID INTEGER PRIMARY KEY, v)");
    Exec("CREATE TABLE h (Packed BLOB)");
  }
  // Returns "" or the error.
  std::string Exec(const std::string& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &err);
    std::string out = rc == SQLITE_OK ? "" : (err ? err : "error");
    sqlite3_free(err);
    return out;
  }
  // Each row's columns joined by '|'; a failing statement gives its error as the last row.
  Rows Query(const std::string& sql) {
    Rows out;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
      return {std::string("error: ") + sqlite3_errmsg(db_.get())};
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(raw); ++i) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
        row += (i ? "|" : "") + std::string(p ? p : "NULL");
      }
      out.push_back(row);
    }
    if (rc != SQLITE_DONE) out.push_back(std::string("error: ") + sqlite3_errmsg(db_.get()));
    return out;
  }
  std::unique_ptr<sqlite3, Closer> db_;
};

TEST_F(PackedJobsTest, EveryKindOfOldValueAndAnyIdComeBackAsTheyWere) {
  // IDs out of order, far apart, both ends of the range; values of every kind SQLite stores.
  const char* values[] = {
      "(5, 'ST37')",     "(3, '')",          "(9223372036854775807, 7)", "(-9223372036854775808, -7)",
      "(-2, 1.25)",      "(1000000, NULL)",  "(6, x'00ff00')",           "(7, 'Ölwanne ÄÖÜ ß')",
      "(8, 9007199254740993)", "(4, -0.0)",  "(2, 1e308)",
  };
  for (const char* v : values) ASSERT_EQ(Exec(std::string("INSERT INTO t VALUES ") + v), "");
  const Rows before = Query("SELECT ID, quote(v), typeof(v) FROM t ORDER BY ID");
  ASSERT_EQ(Exec("BEGIN"), "");
  EXPECT_EQ(Query("SELECT kx_capture_start(1000)"), Rows{"1"});
  ASSERT_EQ(Exec("UPDATE t SET v = kx_capture(ID, v, 'new')"), "");
  EXPECT_EQ(Query("SELECT kx_capture_count()"), Rows{std::to_string(std::size(values))});
  ASSERT_EQ(Exec("INSERT INTO h VALUES (kx_capture_take())"), "");
  ASSERT_EQ(Exec("COMMIT"), "");
  EXPECT_EQ(Query("SELECT count(*) FROM t WHERE v = 'new'"), Rows{std::to_string(std::size(values))});
  EXPECT_EQ(Query("SELECT k.JobID, quote(k.OldValue), typeof(k.OldValue) FROM h, kx_replace_jobs(h.Packed) k "
                  "ORDER BY k.JobID"),
            before);
  // The capture ended with its take: nothing more is added.
  EXPECT_EQ(Query("SELECT kx_capture_count()"), Rows{"0"});
  EXPECT_NE(Exec("UPDATE t SET v = kx_capture(ID, v, 'again')"), "");
}

TEST_F(PackedJobsTest, PassingTheLimitTakesTheUpdateBackAndSaysSo) {
  for (int id = 1; id <= 100; ++id) Exec("INSERT INTO t VALUES (" + std::to_string(id) + ", 'OLD')");
  ASSERT_EQ(Exec("BEGIN"), "");
  Query("SELECT kx_capture_start(200)");  // about 30 jobs
  EXPECT_NE(Exec("UPDATE t SET v = kx_capture(ID, v, 'NEW')"), "");
  EXPECT_EQ(Query("SELECT kx_capture_count()"), Rows{"-1"});
  // Only the statement was taken back: the transaction goes on.
  EXPECT_EQ(Query("SELECT count(*) FROM t WHERE v = 'OLD'"), Rows{"100"});
  EXPECT_EQ(Exec("UPDATE t SET v = 'NEW' WHERE ID = 1"), "");
  EXPECT_EQ(Exec("COMMIT"), "");
}

// Every shorter piece of a packed value, and a few broken ones: the jobs read are the first jobs
// of the whole, and a piece ending inside a job is damaged.
TEST_F(PackedJobsTest, ADamagedPackedValueIsAnErrorNeverOtherJobs) {
  PackedJobsWriter w;
  std::vector<PackedJob> all;
  std::vector<std::size_t> ends{w.Bytes().size()};  // where each job ends (the first: no job)
  const auto add = [&](std::int64_t id, PackedValue v) {
    w.Add(id, v);
    all.push_back({id, v});
    ends.push_back(w.Bytes().size());
  };
  add(10, {PackedValue::Text, 0, 0, "ST37"});
  add(std::numeric_limits<std::int64_t>::min(), {PackedValue::Integer, -300, 0, ""});
  add(11, {PackedValue::Real, 0, 2.5, ""});
  add(12, {PackedValue::Null, 0, 0, ""});
  add(9, {PackedValue::Blob, 0, 0, std::string("\0\x80", 2)});
  const std::string whole = w.Bytes();
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    SCOPED_TRACE(n);
    PackedJobsReader r(std::string_view(whole).substr(0, n));
    std::vector<PackedJob> read;
    while (auto job = r.Next()) read.push_back(*job);
    const auto end = std::find(ends.begin(), ends.end(), n);
    EXPECT_EQ(r.Damaged(), end == ends.end());
    const std::size_t complete = static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), n) - ends.begin());
    EXPECT_EQ(read, std::vector<PackedJob>(all.begin(), all.begin() + (complete == 0 ? 0 : complete - 1)));
  }
  for (const std::string& broken : {std::string("KXJ2"), whole.substr(0, 4) + std::string("\x02\x09", 2),
                                    whole.substr(0, 4) + std::string("\x02\x03\x7f" "ab", 5),
                                    whole.substr(0, 4) + std::string(11, '\xff')}) {
    PackedJobsReader r(broken);
    EXPECT_FALSE(r.Next());
    EXPECT_TRUE(r.Damaged());
  }
  // Through SQL, an error naming the decoder.
  Exec("INSERT INTO h VALUES (x'4b584a310209')");
  const Rows rows = Query("SELECT k.JobID FROM h, kx_replace_jobs(h.Packed) k");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NE(rows[0].find("kx_replace_jobs: the packed jobs are damaged"), std::string::npos) << rows[0];
}

}  // namespace
}  // namespace kx::test
