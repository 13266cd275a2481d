// Checks of the new job's program number, file name and machine before anything is written.
#include <string>

#include "core/error.h"
#include "new_job_record_fixture.h"

namespace kx::test {
namespace {

std::string Repeat(const std::string& unit, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

// The dialog's values (nullptr: the valid default), the keys stored before, and the answer:
// "" passes without any reaction; otherwise one beep, that one status text, the focus on the
// field, no message box, and an existing key selected whole (characters, not bytes). Lengths
// count characters; values are not trimmed; a quote is part of the key; the checks run in
// the order program number, file name, machine.
struct ValidateCase {
  const char* program;
  const char* file;
  std::string machine;
  const char* stored[2];  // file name, program number
  std::string status;
  const char* focus;
  int selected;
};

TEST_F(NewJobRecordTest, EachCheckRejectsWithOneBeepAStatusAndTheFocus) {
  const std::string ae255 = Repeat("ä", 255), ae256 = ae255 + "ä", x255 = Repeat("x", 255),
                    euro256 = Repeat("€", 256);
  const ValidateCase cases[] = {
      {nullptr, nullptr, "Own", {"A100", "P100"}, "", nullptr, 0},
      {"", "", "", {}, "missing Program number", "Text1(0)", 0},
      {nullptr, "", "", {}, "missing File name", "Text1(1)", 0},
      {nullptr, nullptr, "", {}, "missing Machine", "SSDBCombo1(3)", 0},
      {ae255.c_str(), x255.c_str(), Repeat("ä", 100), {}, "", nullptr, 0},
      {ae256.c_str(), nullptr, "Own", {}, "Program number longer than 255", "Text1(0)", 0},
      {nullptr, euro256.c_str(), "Own", {}, "File name longer than 255", "Text1(1)", 0},
      {nullptr, nullptr, Repeat("m", 101), {}, "Machine longer than 100", "SSDBCombo1(3)", 0},
      {"PÄ7", nullptr, "Own", {"A100", "pä7"}, "Program number PÄ7 exists", "Text1(0)", 3},
      {nullptr, nullptr, "Own", {"a101", "P100"}, "File name A101 exists", "Text1(1)", 4},
      {"   ", nullptr, "Own", {"A100", "   "}, "Program number     exists", "Text1(0)", 3},
      {"P7 ", nullptr, "Own", {"A200", "P7"}, "", nullptr, 0},
      {"O'Brien", "it's", "Own", {}, "", nullptr, 0},
      {"O'Brien", "it's", "Own", {"IT'S", "o'brien"}, "Program number O'Brien exists", "Text1(0)", 7},
  };
  const FakeNewJobView valid = view;
  for (const ValidateCase& c : cases) {
    SCOPED_TRACE(c.status);
    db.Execute("DELETE FROM NcData");
    if (c.stored[0]) db.AddKeys(c.stored[0], c.stored[1]);
    env.Ui().beeps = 0;
    view = valid;
    if (c.program) view.texts["Text1(0)"] = c.program;
    if (c.file) view.texts["Text1(1)"] = c.file;
    view.SetList("SSDBCombo1(3)", c.machine);
    EXPECT_EQ(Validate(), c.status.empty());
    EXPECT_EQ(env.Ui().beeps, c.status.empty() ? 0 : 1);
    EXPECT_TRUE(env.Ui().shown.empty());
    EXPECT_EQ(view.statuses,
              c.status.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.status});
    EXPECT_EQ(view.focused, c.focus ? std::vector<std::string>{c.focus} : std::vector<std::string>{});
    ASSERT_EQ(view.selections.size(), c.selected ? 1u : 0u);
    if (c.selected) {
      EXPECT_EQ(view.selections[0].control, c.focus);
      EXPECT_EQ(view.selections[0].start, 0);
      EXPECT_EQ(view.selections[0].length, c.selected);
    }
  }
}

TEST_F(NewJobRecordTest, CountReadsTheFirstFieldOfTheFirstRow) {
  db.AddKeys("A100", "P100");
  db.AddKeys("A200", "P200");
  auto conn = db.Open();
  EXPECT_EQ(CountRecords(*conn, "select Count(*) from data", 0), 2);
  EXPECT_EQ(CountRecords(*conn, "select Count(*) from data where [Filename]='a200'", 0), 1);
  conn->Close();
  EXPECT_EQ(ErrorOf([&] { CountRecords(*conn, "select Count(*) from data", 0); }).Number(),
            dberr::ObjectClosed);
}

}  // namespace
}  // namespace kx::test
