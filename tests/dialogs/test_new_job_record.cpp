// The new job: the checks of its keys and machine before anything is written, and storing a
// confirmed one (the row's columns, the copy of a selected job, the job's folders and files,
// the failures that leave the dialog open).
#include <gtest/gtest.h>

#include <fmt/chrono.h>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "case_table.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "core/numbers.h"
#include "dialogs/new_job_record.h"
#include "new_job_record_fixture.h"
#include "platform/ui_services.h"

namespace kx::test {
namespace {

using AddTest = OnEachEngine<NewJobRecordTest>;
using ValidateTest = OnEachEngine<NewJobRecordTest>;

std::string NowText() { return fmt::format("{:%Y-%m-%d %H:%M:%S}", fmt::localtime(std::time(nullptr))); }

TEST_P(AddTest, NewJobWithoutCopyGetsFreshValuesAndItsFolders) {
  db.AddJobOn("A100", "Own", "S1");
  env.Put("Jobs\\A100\\S1\\A100.cam");
  SelectInGrid("A100");
  const std::string before = NowText();
  ASSERT_TRUE(Confirm());
  const std::string after = NowText();

  // Nothing is taken from the selected job (Programmer); the markers are cleared again.
  EXPECT_EQ(
      db.Rows("select ProgramNumber, DataType, Machine, Machineset, Version, Text10, ElecRefFilename, "
              "NestComment, Author, DataArchive, Released, Adresstext, OrderNumber, Programmer from NcData "
              "where Filename = 'A101'"),
      std::vector<std::string>{"P101|3|Own|S1|1||||jdoe|0|0|Addr1|Ord1|<Null>"});
  const std::string created = Job("A101").at("Createdate");
  EXPECT_GE(created, before);
  EXPECT_LE(created, after);

  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Jobs\\A101\\S1")));
  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Nc\\A101\\S1")));
  EXPECT_TRUE(std::filesystem::is_empty(env.Data("Jobs\\A101\\S1")));  // no files without the copy box
  EXPECT_EQ(env.Ui().beeps, 0);
  EXPECT_TRUE(env.Ui().shown.empty());
  EXPECT_TRUE(view.statuses.empty());
  EXPECT_FALSE(Grid().IsAddingNew());
  EXPECT_EQ(Grid().Rows(), 2);
}

TEST_P(AddTest, CopyTakesEveryOtherColumnOfTheSelectedJob) {
  db.Execute(
      "INSERT INTO NCDATA (Filename, ProgramNumber, DataType, Machine, Machineset, MachinesetMax, Text10, "
      "ElecRefFilename, NestComment, Version, Author, Programmer, Createdate, DataArchive, Released, "
      "NestStatus, "
      "Adresstext, OrderNumber, Material, Materialthickness, Name, Customer, Comment, VEMIX_SEQUENCE) VALUES "
      "('A100', 'P100', 1, 'Flat', 'S9', 'S12', 't10', 'E100', 'nest', 7, 'someone', 'prog', "
      "'2001-02-03 04:05:06', 1, 1, 2, 'OldAddr', 'OldOrd', 'St37', 2.5, 'Bracket', Null, 'c', 4)");
  db.AddKeys("A050", "P050");  // the selected job is not the last row
  SelectInGrid("A100");
  view.checks["Check2(3)"] = true;
  ASSERT_TRUE(Confirm());

  const auto source = Job("A100");
  const auto copy = Job("A101");
  const std::set<std::string> set = {"ID",         "Filename",   "ProgramNumber", "DataType",   "Machine",
                                     "Machineset", "Version",    "Author",        "Createdate", "DataArchive",
                                     "Released",   "Adresstext", "OrderNumber"};
  for (const auto& [column, value] : source) {
    if (!set.count(column)) {
      EXPECT_EQ(copy.at(column), value) << column;
    }
  }
  EXPECT_EQ(
      db.Rows("select Customer, Version, ProgramNumber, DataType, Machine, Machineset, Author, DataArchive, "
              "Released, Adresstext, OrderNumber from NcData where Filename = 'A101'"),
      std::vector<std::string>{"<Null>|8|P101|3|Own|S1|jdoe|0|0|Addr1|Ord1"});
  EXPECT_NE(copy.at("Createdate"), "2001-02-03 04:05:06");
  EXPECT_EQ(Job("A100"), source);  // the source row is untouched
}

// The copied version counts up below the limit 32767; no number counts from nothing.
TEST_P(AddTest, CopiedVersionCountsUpBelowTheLimit) {
  const std::pair<Variant, const char*> versions[] = {
      {"7", "8"}, {"32766", "32767"}, {"32767", "32767"}, {"40000", "40000"},
      {"", "1"},  {kNull, "1"},       {"12abc", "13"}};
  view.checks["Check2(3)"] = true;
  if (!OnServer()) db.DropNumberGuards();  // a version that is no number: a file made before them
  for (const auto& [source, expected] : versions) {
    if (OnServer() && !source.IsNull() && !IsNumeric(source.ToText())) continue;
    db.Execute("DELETE FROM NcData");
    db.AddJob({{"Filename", "A100"}, {"ProgramNumber", "P100"}, {"Machine", "Own"}, {"Version", source}});
    grid.reset();
    SelectInGrid("A100");
    ASSERT_TRUE(Confirm());
    EXPECT_EQ(Job("A101").at("Version"), expected) << source.ToText();
  }
}

TEST_P(AddTest, CopyTakesTheJobFilesUnderTheNewName) {
  db.AddJobOn("A100", "Own", "S1");
  env.Put("Jobs\\A100\\S1\\A100.cam", "cam");
  env.Put("Jobs\\A100\\S1\\A100.txt", "txt");
  env.Put("Nc\\A100\\S1\\A100.nc", "nc");
  SelectInGrid("A100");
  view.checks["Check2(3)"] = true;
  const auto before = env.Tree();
  ASSERT_TRUE(Confirm());

  auto after = env.Tree();
  EXPECT_EQ(after["Jobs\\A101\\S1\\A101.cam"], "cam");
  EXPECT_EQ(after["Jobs\\A101\\S1\\A101.txt"], "txt");
  for (const auto& [rel, content] : before) EXPECT_EQ(after[rel], content) << rel;
  EXPECT_EQ(after.size(), before.size() + 2);  // no NC files: only the job files come along
  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Nc\\A101\\S1")));
}

TEST_P(AddTest, FailingFileCopyIsReportedOnceAndTheRowStays) {
  db.AddJobOn("A100", "Own", "S1");
  env.Put("Jobs\\A100\\S1\\A100.cam", "cam");
  env.Put("Jobs\\A101\\S1", "a file where the new job needs its folder");
  SelectInGrid("A100");
  view.checks["Check2(3)"] = true;
  EXPECT_FALSE(Confirm());

  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / clsFso / DataAdd: 75 [critical]"});
  const auto job = Job("A101");
  ASSERT_FALSE(job.empty());  // stored before the files were copied
  EXPECT_EQ(job.at("Adresstext"), "Addr1");
  EXPECT_EQ(view.Text("Text1(1)"), "A101");
  EXPECT_TRUE(view.statuses.empty());
  EXPECT_EQ(ReadAll(env.Data("Jobs\\A100\\S1\\A100.cam")), "cam");
}

TEST_P(AddTest, KeyCaseIsAppliedToTheBoxesBeforeAnyCheck) {
  SetKeyCase(1);
  view.texts["Text1(0)"] = "ab12";
  view.texts["Text1(1)"] = "a\xC3\xA4";  // "aä"
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(view.Text("Text1(0)"), "AB12");
  EXPECT_EQ(view.Text("Text1(1)"), "A\xC3\x84");
  EXPECT_EQ(Job("A\xC3\x84").at("ProgramNumber"), "AB12");
  EXPECT_EQ(db.Count("select Count(*) from NcData where [ProgramNumber]='ab12'"), 1);

  // The uniqueness test and its message see the converted value.
  view.texts = {{"Text1(0)", "ab12"}, {"Text1(1)", "b7"}};
  EXPECT_FALSE(Confirm());
  EXPECT_EQ(view.Text("Text1(0)"), "AB12");
  EXPECT_EQ(view.Text("Text1(1)"), "B7");
  EXPECT_EQ(view.LastStatus(), "Program number AB12 exists");
  EXPECT_EQ(JobCount(), 1);  // nothing written
  EXPECT_FALSE(Grid().IsAddingNew());
  EXPECT_TRUE(env.Ui().shown.empty());

  // Lower case, and the boxes show it even when the address check fails.
  SetKeyCase(2);
  view.texts = {{"Text1(0)", "Q9"}, {"Text1(1)", "C9"}};
  view.SetList("SSDBCombo2(1)", "nowhere", false);
  EXPECT_FALSE(Confirm());
  EXPECT_EQ(view.Text("Text1(0)"), "q9");
  EXPECT_EQ(view.Text("Text1(1)"), "c9");
}

// Address and order must be rows of their lists, checked before the keys; nothing is written.
TEST_P(AddTest, AddressAndOrderMustBeRowsOfTheirLists) {
  const struct {
    const char* list;
    const char* text;
    bool inList;
    const char* status;
  } cases[] = {{"SSDBCombo2(1)", "typed", false, "Address?"},
               {"SSDBCombo2(1)", "", true, "Address?"},
               {"SSDBCombo2(2)", "typed", false, "Order?"},
               {"SSDBCombo2(2)", "", true, "Order?"}};
  const FakeNewJobView valid = view;
  for (const auto& c : cases) {
    view = valid;
    env.Ui().beeps = 0;
    view.SetList(c.list, c.text, c.inList);
    view.texts["Text1(0)"] = "";
    EXPECT_FALSE(Confirm());
    EXPECT_EQ(env.Ui().beeps, 1);
    EXPECT_EQ(view.statuses, std::vector<std::string>{c.status});
    EXPECT_EQ(view.focused, std::vector<std::string>{c.list});
  }
  EXPECT_TRUE(env.Ui().shown.empty());
  EXPECT_EQ(JobCount(), 0);
}

TEST_P(AddTest, KeyWithASingleQuoteIsStored) {
  view.texts = {{"Text1(0)", "O'Brien"}, {"Text1(1)", "O'Brien"}};
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(Job("O'Brien").at("ProgramNumber"), "O'Brien");
  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Jobs\\O'Brien\\S1")));
}

// Without a host grid, or with an engine error while counting, the error is reported as DataAdd.
TEST_P(AddTest, ErrorsAreReportedAsDataAdd) {
  auto conn = db.Open();
  EXPECT_FALSE(AddJobRecord(view, nullptr, *conn, settings));
  conn->Close();
  EXPECT_FALSE(AddJobRecord(view, &Grid(), *conn, settings));
  EXPECT_EQ(env.Shown(), (std::vector<std::string>{"Kestrafix / Kestrafix / DataAdd: 91 [critical]",
                                                   "Kestrafix / DAO.Database / DataAdd: 3420 [critical]"}));
  EXPECT_EQ(JobCount(), 0);
}

// Another user stores the same key between our counts and our insert. The data type is read
// only for the insert, so reading it is the moment to let the other user in.
TEST_P(ValidateTest, KeyStoredMeanwhileIsReportedAsExisting) {
  const struct {
    const char* filename;
    const char* programNumber;
    const char* box;
    const char* status;
  } cases[] = {{"Z1", "p101", "Text1(0)", "Program number P101 exists"},
               {"a101", "Z1", "Text1(1)", "File name A101 exists"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    db.Execute("DELETE FROM NcData");
    env.Ui().beeps = 0;
    struct Rival : FakeNewJobView {
      std::function<void()> other;
      Variant ListValue(std::string_view control) const override {
        if (control == "SSDBCombo1(2)" && other) std::exchange(const_cast<Rival*>(this)->other, nullptr)();
        return FakeNewJobView::ListValue(control);
      }
    } rival;
    static_cast<FakeNewJobView&>(rival) = view;
    // The other user's own connection to the same database file.
    rival.other = [&] {
      auto otherDb = Engine().OpenDatabase(db.Path());
      otherDb->Execute("insert into NcData ([Filename], [ProgramNumber]) values (" + SqlLiteral(c.filename) +
                       ", " + SqlLiteral(c.programNumber) + ")");
      otherDb->Close();
    };
    auto conn = db.Open();
    EXPECT_FALSE(AddJobRecord(rival, &Grid(), *conn, settings));

    EXPECT_TRUE(env.Ui().shown.empty());
    EXPECT_EQ(env.Ui().beeps, 1);
    EXPECT_EQ(rival.statuses, std::vector<std::string>{c.status});
    EXPECT_EQ(rival.focused, std::vector<std::string>{c.box});
    ASSERT_EQ(rival.selections.size(), 1u);
    EXPECT_EQ(rival.selections[0].control, c.box);
    EXPECT_EQ(rival.selections[0].length, 4);
    EXPECT_EQ(JobCount(), 1);  // only the other user's row
    EXPECT_FALSE(Grid().IsAddingNew());
    EXPECT_EQ(rival.Text("Text1(0)"), "P101");
    EXPECT_EQ(rival.Text("Text1(1)"), "A101");
  }
}

std::string Repeat(const std::string& unit, int n) { return n ? unit + Repeat(unit, n - 1) : ""; }

// The dialog's values (nullptr: the valid default), the keys stored before, and the answer:
// "" passes without any reaction; otherwise one beep, that one status text, the focus on the
// field, no message box, and an existing key selected whole (characters, not bytes). Lengths
// count characters; values are not trimmed; a quote is part of the key; both keys must be
// file names (tests/data/cases/job_names.txt); the checks run in the order program number,
// file name, machine.
struct ValidateCase {
  const char* program;
  const char* file;
  std::string machine;
  const char* stored[2];  // file name, program number
  std::string status;
  const char* focus;
  int selected;
};

TEST_P(ValidateTest, EachCheckRejectsWithOneBeepAStatusAndTheFocus) {
  const std::string ae255 = Repeat("ä", 255), ae256 = ae255 + "ä", x255 = Repeat("x", 255),
                    euro256 = Repeat("€", 256);
  std::vector<ValidateCase> cases = {
      {nullptr, nullptr, "Own", {"A100", "P100"}, "", nullptr, 0},
      {"", "", "", {}, "missing Program number", "Text1(0)", 0},
      {nullptr, "", "", {}, "missing File name", "Text1(1)", 0},
      {nullptr, nullptr, "", {}, "missing Machine", "SSDBCombo1(3)", 0},
      {x255.c_str(), x255.c_str(), Repeat("ä", 100), {}, "", nullptr, 0},
      {ae255.c_str(), nullptr, "Own", {}, "Program number " + ae255 + " no name", "Text1(0)", 0},
      {ae256.c_str(), nullptr, "Own", {}, "Program number longer than 255", "Text1(0)", 0},
      {nullptr, euro256.c_str(), "Own", {}, "File name longer than 255", "Text1(1)", 0},
      {nullptr, nullptr, Repeat("m", 101), {}, "Machine longer than 100", "SSDBCombo1(3)", 0},
      {"PÄ7", nullptr, "Own", {"A100", "pä7"}, "Program number PÄ7 exists", "Text1(0)", 3},
      {nullptr, nullptr, "Own", {"a101", "P100"}, "File name A101 exists", "Text1(1)", 4},
      {"   ", nullptr, "Own", {"A100", "   "}, "Program number     exists", "Text1(0)", 3},
      {"O'Brien", "it's", "Own", {}, "", nullptr, 0},
      {"O'Brien", "it's", "Own", {"IT'S", "o'brien"}, "Program number O'Brien exists", "Text1(0)", 7},
  };
  const std::vector<Case> names = Cases("job_names.txt");
  for (const Case& n : names) {
    const bool ok = n.out == "valid";
    const char* name = n.in[0].c_str();
    const auto refused = [&](const char* caption) { return ok ? "" : caption + n.in[0] + " no name"; };
    cases.push_back({name, nullptr, "Own", {}, refused("Program number "), ok ? nullptr : "Text1(0)", 0});
    cases.push_back({nullptr, name, "Own", {}, refused("File name "), ok ? nullptr : "Text1(1)", 0});
  }
  const FakeNewJobView valid = view;
  for (const ValidateCase& c : cases) {
    SCOPED_TRACE(fmt::format("{} | {} => {}", c.program ? c.program : "", c.file ? c.file : "", c.status));
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

// A machine row without folders, or with relative ones: the job is stored, its folders are
// named in the status bar instead of being made in the root or the working folder, and a copy
// of job files is refused with an error that names the machine and the column.
TEST_P(ValidateTest, FoldersAreMadeOnlyWhereTheMachineSaysAbsolutely) {
  db.AddJobOn("A100", "Own");
  env.Put("Jobs\\A100\\A100.cam", "cam");
  const auto before = env.Tree();
  // Relative folders would resolve in the working folder: let that be the root of D:.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(env.Data());
  view.SetList("SSDBCombo1(3)", "NoDir");
  const bool stored = Confirm();
  const auto statuses = view.statuses;
  view.texts = {{"Text1(0)", "P102"}, {"Text1(1)", "A102"}};
  view.checks["Check2(3)"] = true;
  SelectInGrid("A100");
  const bool copied = Confirm();
  std::filesystem::current_path(cwd);

  EXPECT_TRUE(stored);
  EXPECT_EQ(statuses, (std::vector<std::string>{"NoDir KelbDirectory  not absolute",
                                                "NoDir NcDirectory rel\\nc\\A101\\S1 not absolute"}));
  EXPECT_FALSE(copied);
  EXPECT_EQ(env.Shown().size(), 1u);
  EXPECT_NE(env.Ui().shown.at(0).text.find("\"NoDir\" of job A102: KelbDirectory"), std::string::npos);
  EXPECT_EQ(env.Tree(), before);  // no A102.cam at the root of D:
  EXPECT_FALSE(std::filesystem::exists(env.Data("rel")));
  EXPECT_EQ(JobCount(), 3);  // the row stays, as after any error of the copy
}

TEST_P(ValidateTest, CountReadsTheFirstFieldOfTheFirstRow) {
  db.AddKeys("A100", "P100");
  db.AddKeys("A200", "P200");
  auto conn = db.Open();
  EXPECT_EQ(CountRecords(*conn, "select Count(*) from data", 0), 2);
  EXPECT_EQ(CountRecords(*conn, "select Count(*) from data where [Filename]='a200'", 0), 1);
  conn->Close();
  EXPECT_EQ(ErrorOf([&] { CountRecords(*conn, "select Count(*) from data", 0); }).Number(),
            dberr::ObjectClosed);
}

KX_ON_EACH_ENGINE(AddTest);
KX_ON_EACH_ENGINE(ValidateTest);

}  // namespace
}  // namespace kx::test
