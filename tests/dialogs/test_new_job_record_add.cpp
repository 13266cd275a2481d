// Storing a confirmed new job: the row's columns, the copy of a selected job, the job's
// folders and files, and the failures that leave the dialog open.
#include <ctime>
#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <string>

#include "core/error.h"
#include "new_job_record_fixture.h"

namespace kx::test {
namespace {

using AddTest = NewJobRecordTest;

std::string NowText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

TEST_F(AddTest, NewJobWithoutCopyGetsFreshValuesAndItsFolders) {
  db.AddJobOn("A100", "Own", "S1");
  env.Put("Jobs\\A100\\S1\\A100.cam");
  SelectInGrid("A100");
  const std::string before = NowText();
  ASSERT_TRUE(Confirm());
  const std::string after = NowText();

  const auto job = Job("A101");
  EXPECT_EQ(job.at("ProgramNumber"), "P101");
  EXPECT_EQ(job.at("DataType"), "3");
  EXPECT_EQ(job.at("Machine"), "Own");
  EXPECT_EQ(job.at("Machineset"), "S1");
  EXPECT_EQ(job.at("Version"), "1");
  for (const char* cleared : {"Text10", "ElecRefFilename", "NestComment"})
    EXPECT_EQ(job.at(cleared), "") << cleared;
  EXPECT_EQ(job.at("Author"), "jdoe");
  EXPECT_GE(job.at("Createdate"), before);
  EXPECT_LE(job.at("Createdate"), after);
  EXPECT_EQ(job.at("DataArchive"), "0");
  EXPECT_EQ(job.at("Released"), "0");
  EXPECT_EQ(job.at("Adresstext"), "Addr1");
  EXPECT_EQ(job.at("OrderNumber"), "Ord1");
  EXPECT_EQ(job.at("Programmer"), "<Null>");  // nothing taken from the selected job

  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Jobs\\A101\\S1")));
  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Nc\\A101\\S1")));
  EXPECT_TRUE(std::filesystem::is_empty(env.Data("Jobs\\A101\\S1")));  // no files without the copy box
  EXPECT_EQ(env.Ui().beeps, 0);
  EXPECT_TRUE(env.Ui().shown.empty());
  EXPECT_TRUE(view.statuses.empty());
  EXPECT_FALSE(Grid().IsAddingNew());
  EXPECT_EQ(Grid().Rows(), 2);
}

TEST_F(AddTest, CopyTakesEveryOtherColumnOfTheSelectedJob) {
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
  EXPECT_EQ(copy.at("Customer"), "<Null>");
  EXPECT_EQ(copy.at("Version"), "8");
  EXPECT_EQ(copy.at("ProgramNumber"), "P101");
  EXPECT_EQ(copy.at("DataType"), "3");
  EXPECT_EQ(copy.at("Machine"), "Own");
  EXPECT_EQ(copy.at("Machineset"), "S1");
  EXPECT_EQ(copy.at("Author"), "jdoe");
  EXPECT_NE(copy.at("Createdate"), "2001-02-03 04:05:06");
  EXPECT_EQ(copy.at("DataArchive"), "0");
  EXPECT_EQ(copy.at("Released"), "0");
  EXPECT_EQ(copy.at("Adresstext"), "Addr1");
  EXPECT_EQ(copy.at("OrderNumber"), "Ord1");
  EXPECT_EQ(Job("A100"), source);  // the source row is untouched
}

// The copied version counts up below the limit 32767; no number counts from nothing.
TEST_F(AddTest, CopiedVersionCountsUpBelowTheLimit) {
  const std::pair<Variant, const char*> versions[] = {
      {"7", "8"}, {"32766", "32767"}, {"32767", "32767"}, {"40000", "40000"},
      {"", "1"},  {kNull, "1"},       {"12abc", "13"}};
  view.checks["Check2(3)"] = true;
  for (const auto& [source, expected] : versions) {
    db.Execute("DELETE FROM NcData");
    db.AddJob({{"Filename", "A100"}, {"ProgramNumber", "P100"}, {"Machine", "Own"}, {"Version", source}});
    grid.reset();
    SelectInGrid("A100");
    ASSERT_TRUE(Confirm());
    EXPECT_EQ(Job("A101").at("Version"), expected) << source.ToText();
  }
}

TEST_F(AddTest, CopyTakesTheJobFilesUnderTheNewName) {
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

TEST_F(AddTest, FailingFileCopyIsReportedOnceAndTheRowStays) {
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

TEST_F(AddTest, KeyCaseIsAppliedToTheBoxesBeforeAnyCheck) {
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

  // Lower case, and the boxes show it even when the address check fails.
  SetKeyCase(2);
  view.texts = {{"Text1(0)", "Q9"}, {"Text1(1)", "C9"}};
  view.SetList("SSDBCombo2(1)", "nowhere", false);
  EXPECT_FALSE(Confirm());
  EXPECT_EQ(view.Text("Text1(0)"), "q9");
  EXPECT_EQ(view.Text("Text1(1)"), "c9");
}

// Address and order must be rows of their lists, checked before the keys; nothing is written.
TEST_F(AddTest, AddressAndOrderMustBeRowsOfTheirLists) {
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

TEST_F(AddTest, WrongInputWritesNothing) {
  db.AddKeys("A100", "P101");
  EXPECT_FALSE(Confirm());
  EXPECT_EQ(view.LastStatus(), "Program number P101 exists");
  EXPECT_EQ(JobCount(), 1);
  EXPECT_FALSE(Grid().IsAddingNew());
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(AddTest, KeyWithASingleQuoteIsStored) {
  view.texts = {{"Text1(0)", "O'Brien"}, {"Text1(1)", "O'Brien"}};
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(Job("O'Brien").at("ProgramNumber"), "O'Brien");
  EXPECT_TRUE(std::filesystem::is_directory(env.Data("Jobs\\O'Brien\\S1")));
}

TEST_F(AddTest, WithoutAHostGridTheErrorIsReported) {
  auto conn = db.Open();
  EXPECT_FALSE(AddJobRecord(view, nullptr, *conn, settings));
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / Kestrafix / DataAdd: 91 [critical]"});
  EXPECT_EQ(JobCount(), 0);
}

TEST_F(AddTest, EngineErrorWhileCountingIsReportedAsDataAdd) {
  auto conn = db.Open();
  conn->Close();
  EXPECT_FALSE(AddJobRecord(view, &Grid(), *conn, settings));
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / DAO.Database / DataAdd: 3420 [critical]"});
  EXPECT_EQ(JobCount(), 0);
}

// Another user stores the same key between our counts and our insert. The data type is read
// only for the insert, so reading it is the moment to let the other user in.
struct ClashCase {
  const char* name;
  const char* filename;
  const char* programNumber;
  const char* box;
  const char* status;
};
void PrintTo(const ClashCase& c, std::ostream* os) { *os << c.name; }

class ClashTest : public NewJobRecordTest, public ::testing::WithParamInterface<ClashCase> {};

TEST_P(ClashTest, KeyStoredMeanwhileIsReportedAsExisting) {
  const ClashCase& c = GetParam();
  struct Rival : FakeNewJobView {
    std::function<void()> other;
    Variant ListValue(std::string_view control) const override {
      if (control == "SSDBCombo1(2)" && other) {
        auto run = other;
        const_cast<Rival*>(this)->other = nullptr;
        run();
      }
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

INSTANTIATE_TEST_SUITE_P(
    Keys, ClashTest,
    ::testing::Values(ClashCase{"ProgramNumber", "Z1", "p101", "Text1(0)", "Program number P101 exists"},
                      ClashCase{"FileName", "a101", "Z1", "Text1(1)", "File name A101 exists"}),
    [](const auto& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace kx::test
