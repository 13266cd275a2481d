// Checks of the new job's program number, file name and machine before anything is written.
#include <ostream>
#include <string>

#include "core/error.h"
#include "new_job_record_fixture.h"

namespace kx::test {
namespace {

using ValidateTest = NewJobRecordTest;

std::string Repeat(const std::string& unit, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

// One rejection: one beep, one status text, the focus on the field, no message box.
void ExpectRejected(const FakeNewJobView& view, const ScriptedUi& ui, const std::string& status,
                    const std::string& focus) {
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_TRUE(ui.shown.empty());
  ASSERT_EQ(view.statuses.size(), 1u);
  EXPECT_EQ(view.statuses[0], status);
  ASSERT_EQ(view.focused.size(), 1u);
  EXPECT_EQ(view.focused[0], focus);
}

TEST_F(ValidateTest, ValidInputPassesWithoutAnyReaction) {
  db.AddKeys("A100", "P100");
  EXPECT_TRUE(Validate());
  EXPECT_EQ(env.Ui().beeps, 0);
  EXPECT_TRUE(view.statuses.empty());
  EXPECT_TRUE(view.focused.empty());
}

TEST_F(ValidateTest, FirstFailingCheckIsTheOnlyOneReported) {
  view.texts["Text1(0)"] = "";
  view.texts["Text1(1)"] = "";
  view.SetList("SSDBCombo1(3)", "");
  EXPECT_FALSE(Validate());
  ExpectRejected(view, env.Ui(), "missing Program number", "Text1(0)");
}

TEST_F(ValidateTest, FileNameIsCheckedBeforeTheMachine) {
  view.texts["Text1(1)"] = "";
  view.SetList("SSDBCombo1(3)", "");
  EXPECT_FALSE(Validate());
  ExpectRejected(view, env.Ui(), "missing File name", "Text1(1)");
}

TEST_F(ValidateTest, MissingMachineFocusesTheMachineList) {
  view.SetList("SSDBCombo1(3)", "");
  EXPECT_FALSE(Validate());
  ExpectRejected(view, env.Ui(), "missing Machine", "SSDBCombo1(3)");
}

// Lengths count characters: "ä" is two bytes in UTF-8 and one character.
struct LengthCase {
  const char* name;
  std::string control;  // text box, or the machine list
  std::string unit;
  int count;
  const char* status;  // "" when the value passes
};
void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class LengthTest : public NewJobRecordTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(LengthTest, LimitInCharacters) {
  const LengthCase& c = GetParam();
  const std::string value = Repeat(c.unit, c.count);
  if (c.control == "SSDBCombo1(3)") {
    view.SetList(c.control, value);
  } else {
    view.texts[c.control] = value;
  }
  const bool passes = std::string(c.status).empty();
  EXPECT_EQ(Validate(), passes);
  if (passes) {
    EXPECT_TRUE(view.statuses.empty());
  } else {
    ExpectRejected(view, env.Ui(), c.status, c.control);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LengthTest,
    ::testing::Values(LengthCase{"Program255", "Text1(0)", "\xC3\xA4", 255, ""},
                      LengthCase{"Program256", "Text1(0)", "\xC3\xA4", 256, "Program number longer than 255"},
                      LengthCase{"File255", "Text1(1)", "x", 255, ""},
                      LengthCase{"File256", "Text1(1)", "\xE2\x82\xAC", 256, "File name longer than 255"},
                      LengthCase{"Machine100", "SSDBCombo1(3)", "\xC3\xA4", 100, ""},
                      LengthCase{"Machine101", "SSDBCombo1(3)", "m", 101, "Machine longer than 100"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(ValidateTest, ExistingProgramNumberIsSelectedWholeInAnyLetterCase) {
  db.AddKeys("A100",
             "p\xC3\xA4"
             "7");  // "pä7"
  view.texts["Text1(0)"] =
      "P\xC3\x84"
      "7";  // "PÄ7"
  EXPECT_FALSE(Validate());
  ExpectRejected(view, env.Ui(),
                 "Program number P\xC3\x84"
                 "7 exists",
                 "Text1(0)");
  ASSERT_EQ(view.selections.size(), 1u);
  EXPECT_EQ(view.selections[0].control, "Text1(0)");
  EXPECT_EQ(view.selections[0].start, 0);
  EXPECT_EQ(view.selections[0].length, 3);  // characters, not bytes
}

TEST_F(ValidateTest, ExistingFileNameIsReportedWithItsValue) {
  db.AddKeys("a101", "P100");
  EXPECT_FALSE(Validate());
  ExpectRejected(view, env.Ui(), "File name A101 exists", "Text1(1)");
  ASSERT_EQ(view.selections.size(), 1u);
  EXPECT_EQ(view.selections[0].control, "Text1(1)");
  EXPECT_EQ(view.selections[0].length, 4);
}

TEST_F(ValidateTest, ValuesAreNotTrimmed) {
  // Blanks only are a value, counted like any other.
  db.AddKeys("A100", "   ");
  view.texts["Text1(0)"] = "   ";
  EXPECT_FALSE(Validate());
  ExpectRejected(view, env.Ui(), "Program number     exists", "Text1(0)");

  // A trailing blank makes another key than the stored one.
  db.AddKeys("A200", "P7");
  view = FakeNewJobView();
  view.texts = {{"Text1(0)", "P7 "}, {"Text1(1)", "A201"}};
  view.SetList("SSDBCombo1(3)", "Own");
  EXPECT_TRUE(Validate());
}

TEST_F(ValidateTest, SingleQuoteIsPartOfTheKey) {
  view.texts["Text1(0)"] = "O'Brien";
  view.texts["Text1(1)"] = "it's";
  EXPECT_TRUE(Validate());
  db.AddKeys("IT'S", "o'brien");
  EXPECT_FALSE(Validate());
  EXPECT_EQ(view.LastStatus(), "Program number O'Brien exists");
}

TEST_F(ValidateTest, CountReadsTheFirstFieldOfTheFirstRow) {
  db.AddKeys("A100", "P100");
  db.AddKeys("A200", "P200");
  auto conn = db.Open();
  EXPECT_EQ(CountRecords(*conn, "select Count(*) from data", 0), 2);
  EXPECT_EQ(CountRecords(*conn, "select Count(*) from data where [Filename]='a200'", 0), 1);
  conn->Close();
  const KxError e = ErrorOf([&] { CountRecords(*conn, "select Count(*) from data", 0); });
  EXPECT_EQ(e.Number(), dberr::ObjectClosed);
}

}  // namespace
}  // namespace kx::test
