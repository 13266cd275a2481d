// The job file import: targets, renaming, overwriting, data files, moves and failures.
#include <map>
#include <string>
#include <vector>

#include "case_table.h"
#include "core/text.h"
#include "jobdata/clsRsData.h"
#include "jobfiles/ClsFiles.h"
#include "jobfiles/internal/mdlTorvel_steps.h"
#include "jobfiles/mdlTorvel.h"
#include "jobfiles_fixture.h"
#include "messages/clsResStrs.h"

namespace kx::test {
namespace {

// Jobs A100 and A101 on machine Own.
class ImportTest : public JobFilesTest {
 protected:
  ImportTest() {
    db.AddJobOn("A100", "Own");
    db.AddJobOn("A101", "Own");
  }
  void Import(const std::string& src, const std::string& dst, bool jobFiles, bool ncFiles, bool move,
              std::uint8_t overwrite, std::int16_t rename, const std::string& filter = "",
              std::int16_t datMode = 0) const {
    ImportJobFiles(db.Path(), src, db.Path(), dst, jobFiles, ncFiles, move, overwrite, rename, filter,
                   datMode);
  }
  std::vector<std::string> TempLeftovers() const {
    std::vector<std::string> out;
    for (const auto& [rel, content] : env.Tree())
      if (rel.find("kxtmp") != std::string::npos) out.push_back(rel);
    return out;
  }
};

// The cases of tests/data/cases/target_names.txt for the target names.
TEST(TargetFileName, ModesAndTheirFallback) {
  for (const Case& c : Cases("target_names.txt"))
    EXPECT_EQ(torvel::GetTargetFileName(c.in[0], c.in[1], c.in[2], std::stoi(c.in[3])), c.out) << c.line;
}

TEST_F(ImportTest, WithoutJobOrNcFilesNothingIsLoadedOrChanged) {
  env.Put("Jobs\\A100\\A100.cam");
  const std::string bad = (env / "bad.db").string();
  env.Write("bad.db", std::string(4096, 'x'));  // any load of a record would fail on it
  const auto before = env.Tree();
  ImportJobFiles(bad, "A100", bad, "A101", false, false, true, 1, 3, "", 0);
  EXPECT_EQ(env.Tree(), before);
  ErrorOf([&] { ImportJobFiles(bad, "A100", bad, "A101", true, false, false, 1, 3, "", 0); });
}

TEST_F(ImportTest, RenameModeThreeNamesEveryFileAfterTheTargetJob) {
  db.Execute("UPDATE NcData SET Machineset = 'S1'");
  env.Put("Jobs\\A100\\S1\\A100.cam", "cam");
  env.Put("Jobs\\A100\\S1\\A100.txt", "txt");
  env.Put("Jobs\\A100\\S1\\A100_old.txt", "old");
  env.Put("Nc\\A100\\S1\\A100.nc", "nc");
  const auto sources = env.Tree();
  Import("A100", "A101", true, false, false, 1, 3);

  EXPECT_EQ(Read("Jobs\\A101\\S1\\A101.cam"), "cam");
  // Both text files become A101.txt: the one later in list order replaced the earlier copy.
  clsRsData rs;
  rs.Initialize(db.Path(), "A100");
  ClsFiles files;
  files.Initialize(rs, 1);
  std::string later;
  for (const auto& f : files)
    if (f->FullFile().ends_with(".txt")) later = f->FullFile().ends_with("_old.txt") ? "old" : "txt";
  EXPECT_EQ(Read("Jobs\\A101\\S1\\A101.txt"), later);
  EXPECT_FALSE(Exists("Nc\\A101"));  // NC files were not asked for
  for (const auto& [rel, content] : sources) EXPECT_EQ(Read(rel), content) << rel;
}

TEST_F(ImportTest, RenameModeOutOfRangeFollowsTheTargetsDirectoryType) {
  db.AddJobOn("B100", "Flat");
  db.AddJobOn("B101", "Flat");
  env.Put("Jobs\\A100\\A100_old.cam");
  env.Put("Shared\\B100.cam");
  Import("A100", "A101", true, false, false, 1, 9);  // own folders: names kept
  EXPECT_TRUE(Exists("Jobs\\A101\\A100_old.cam"));
  Import("B100", "B101", true, false, false, 1, -1);  // shared folders: named after the job
  EXPECT_TRUE(Exists("Shared\\B101.cam"));
}

TEST_F(ImportTest, OverwriteModesKeepReplaceOrAsk) {
  env.Put("Jobs\\A100\\A100.cam", "new");
  const std::string msgFile = env.Write("torvel.049",
                                        "MSG(ImportFiles_003)=Replace /1 with /2?\r\n"
                                        "MSG(Question)=Question\r\n")
                                  .string();
  ASSERT_TRUE(ResStrs().Load(msgFile));

  env.Put("Jobs\\A101\\A101.cam", "old");
  Import("A100", "A101", true, false, false, 0, 3);
  EXPECT_EQ(Read("Jobs\\A101\\A101.cam"), "old");

  env.Ui().nextAnswers.push_back(MsgAnswer::No);
  Import("A100", "A101", true, false, false, 2, 3);
  EXPECT_EQ(Read("Jobs\\A101\\A101.cam"), "old");
  EXPECT_EQ(env.Shown(), std::vector<std::string>{
                             "Question: Replace D:\\Jobs\\A101\\A101.cam with D:\\Jobs\\A100\\A100.cam? "
                             "[yes/no] [question]"});

  env.Ui().nextAnswers.push_back(MsgAnswer::Yes);
  Import("A100", "A101", true, false, false, 2, 3);
  EXPECT_EQ(Read("Jobs\\A101\\A101.cam"), "new");
  EXPECT_EQ(env.Ui().shown.size(), 2u);

  env.Put("Jobs\\A101\\A101.cam", "old");
  Import("A100", "A101", true, false, false, 1, 3);
  EXPECT_EQ(Read("Jobs\\A101\\A101.cam"), "new");
  EXPECT_EQ(env.Ui().shown.size(), 2u);  // mode 1 never asks
  EXPECT_EQ(Read("Jobs\\A100\\A100.cam"), "new");
}

TEST_F(ImportTest, CopyOntoItselfChangesNothing) {
  db.Execute("UPDATE NcData SET Machineset = 'S1'");
  env.Put("Jobs\\A100\\S1\\A100.cam", "cam");
  env.Write("data/Nc/A100/S1/a100.NC", "nc");  // another letter case than the database's name
  env.Put("Nc\\A100\\S1\\Opt\\A100.opt", "opt");
  const auto before = env.Tree();
  Import("A100", "A100", true, true, false, 1, 3);
  Import("a100", "A100", true, true, true, 1, 3);
  EXPECT_EQ(env.Tree(), before);
  EXPECT_TRUE(env.Trashed().empty());
}

TEST_F(ImportTest, FilterTakesOnlyMatchingSourcePaths) {
  env.Put("Jobs\\A100\\A100.cam");
  env.Put("Jobs\\A100\\A100.txt");
  Import("A100", "A101", true, false, false, 1, 3, "*.xyz;*.CAM");
  EXPECT_TRUE(Exists("Jobs\\A101\\A101.cam"));
  EXPECT_FALSE(Exists("Jobs\\A101\\A101.txt"));
}

TEST_F(ImportTest, DataFileIsWrittenAnewForTheTargetJob) {
  env.Put("Nc\\A100\\A100_p1.nc", "p1");
  env.Put("Nc\\A100\\sub\\A100_p2.nc", "p2");
  env.Put("Other\\p,3.nc", "p3");
  const std::string dat = "A100_p1.nc, sub\\A100_p2.nc\r\n\"D:\\Other\\p,3.nc\"\r\nmissing.nc\r\n";
  env.Put("Nc\\A100\\A100.dat", dat);
  Import("A100", "A101", false, true, false, 1, 3, "", 0);

  EXPECT_EQ(Read("Nc\\A101\\A101.dat"), "A101\\A101_p1.nc\r\nA101\\A101_p2.nc\r\n\"A101\\p,3.nc\"\r\n");
  EXPECT_EQ(Read("Nc\\A101\\A101\\A101_p1.nc"), "p1");
  EXPECT_EQ(Read("Nc\\A101\\A101\\A101_p2.nc"), "p2");
  EXPECT_EQ(Read("Nc\\A101\\A101\\p,3.nc"), "p3");
  EXPECT_EQ(Read("Nc\\A100\\A100.dat"), dat);
  EXPECT_EQ(Read("Other\\p,3.nc"), "p3");
}

// A data file from a Windows workstation is written back the way it came: UTF-16 with its
// byte order mark, Windows-1252, UTF-8; CR LF or LF.
TEST_F(ImportTest, NewDataFileKeepsTheEncodingAndLineEndsOfTheOld) {
  const std::string old = *Utf8ToCp1252("Ä100_p1.nc"),
                    now = *Utf8ToCp1252("Ä101\\Ä101_p1.nc");  // Windows-1252
  const auto utf16 = [](std::string_view latin1, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : latin1) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
  };
  const std::pair<std::string, std::string> cases[] = {
      {old + "\r\n", now + "\r\n"},
      {Cp1252ToUtf8(old) + "\n", Cp1252ToUtf8(now) + "\n"},
      {utf16(old + "\r\n", false), utf16(now + "\r\n", false)},
      {utf16(old + "\n", true), utf16(now + "\n", true)}};
  for (const auto& [source, target] : cases) {
    db.Execute("DELETE FROM NCDATA");
    db.AddJobOn("Ä100", "Own");
    db.AddJobOn("Ä101", "Own");
    env.Put("Nc\\Ä100\\Ä100_p1.nc", "p1");
    env.Put("Nc\\Ä100\\Ä100.dat", source);
    Import("Ä100", "Ä101", false, true, false, 1, 3, "", 0);
    EXPECT_EQ(Read("Nc\\Ä101\\Ä101.dat"), target);
    EXPECT_EQ(Read("Nc\\Ä101\\Ä101\\Ä101_p1.nc"), "p1");
    std::filesystem::remove_all(env.Data("Nc"));
  }
}

TEST_F(ImportTest, DataModesPlaceReferencesBesideOrInASubFolder) {
  db.AddJobOn("A102", "Own");
  env.Put("Nc\\A100\\A100_p1.nc", "p1");
  env.Put("Nc\\A100\\A100.dat", "A100_p1.nc");
  Import("A100", "A101", false, true, false, 1, 3, "", 1);
  EXPECT_EQ(Read("Nc\\A101\\A101.dat"), "A101_p1.nc\r\n");
  EXPECT_EQ(Read("Nc\\A101\\A101_p1.nc"), "p1");
  Import("A100", "A102", false, true, false, 1, 3, "", 2);
  EXPECT_EQ(Read("Nc\\A102\\A102.dat"), "D:\\Nc\\A102\\A102\\A102_p1.nc\r\n");
  EXPECT_EQ(Read("Nc\\A102\\A102\\A102_p1.nc"), "p1");
}

TEST_F(ImportTest, OptimisedFilesFollowTheOptimisationFolder) {
  db.AddMachine({{"Machine", "OptIn"},
                 {"DirectoryType", "0"},
                 {"KelbDirectory", "D:\\J0"},
                 {"NcDirectory", "D:\\N0"},
                 {"OptNcDirectory", "D:\\N0\\Opt"},
                 {"NcFileExtension", "nc"},
                 {"OptNcFileExtension", "opt"}});
  db.AddJobOn("B100", "OptIn");
  db.AddJobOn("B101", "OptIn");
  env.Put("Nc\\A100\\Opt\\A100.nc", "rel");  // relative folder: follows the NC tree
  env.Put("N0\\Opt\\B100.nc", "abs");        // absolute folder: stays in it
  Import("A100", "A101", false, true, false, 1, 3);
  Import("B100", "B101", false, true, false, 1, 3);
  EXPECT_EQ(Read("Nc\\A101\\Opt\\A101.nc"), "rel");
  EXPECT_EQ(Read("N0\\Opt\\B101.nc"), "abs");
}

TEST_F(ImportTest, MoveOfOwnFoldersSendsTheSourceFoldersToTheTrash) {
  db.Execute("UPDATE NcData SET Machineset = 'S1'");
  env.Put("Jobs\\A100\\S1\\A100.cam", "cam");
  env.Put("Nc\\A100\\S1\\A100.nc", "nc");
  env.Put("Nc\\A100\\S1\\A100_p.nc", "p");
  env.Put("Nc\\A100\\A100.dat", "S1\\A100_p.nc");
  Import("A100", "A101", true, true, true, 1, 3);

  EXPECT_EQ(Read("Jobs\\A101\\S1\\A101.cam"), "cam");
  EXPECT_EQ(Read("Nc\\A101\\S1\\A101.nc"), "nc");
  EXPECT_EQ(Read("Nc\\A101\\A101\\A101_p.nc"), "p");
  EXPECT_EQ(Read("Nc\\A101\\A101.dat"), "A101\\A101_p.nc\r\n");
  EXPECT_FALSE(Exists("Jobs\\A100"));
  EXPECT_FALSE(Exists("Nc\\A100"));
  EXPECT_EQ(env.Trashed(), (std::vector<std::string>{"A100", "A100.2"}));
}

TEST_F(ImportTest, MoveLeavesAJobFolderThatStillHoldsFilesOfTheJob) {
  env.Put("Jobs\\A100\\A100.cam", "cam");
  env.Put("Nc\\A100\\A100.nc", "nc");  // NC files are not taken over
  Import("A100", "A101", true, false, true, 1, 3);
  EXPECT_EQ(Read("Jobs\\A101\\A101.cam"), "cam");
  EXPECT_FALSE(Exists("Jobs\\A100"));
  EXPECT_EQ(Read("Nc\\A100\\A100.nc"), "nc");
  EXPECT_EQ(env.Trashed(), std::vector<std::string>{"A100"});
}

TEST_F(ImportTest, MoveKeepsSourceFoldersInsideTheProgramFilesFolder) {
  env.Put("Jobs\\A100\\A100.cam", "cam");
  env.Set("ProgramFiles", "D:\\Jobs");
  Import("A100", "A101", true, false, true, 1, 3);
  EXPECT_EQ(Read("Jobs\\A101\\A101.cam"), "cam");
  EXPECT_FALSE(Exists("Jobs\\A100\\A100.cam"));
  EXPECT_TRUE(Exists("Jobs\\A100"));
  EXPECT_TRUE(env.Trashed().empty());
}

TEST_F(ImportTest, MoveOfSharedFoldersRemovesOnlyFoldersLeftEmpty) {
  db.AddMachine({{"Machine", "Split2"},
                 {"DirectoryType", "0"},
                 {"KelbDirectory", "D:\\J1"},
                 {"NcDirectory", "D:\\N1"}});
  db.Execute("UPDATE NcData SET Machine = IIF(Filename = 'A100', 'Split', 'Split2')");
  env.Put("J0\\S1\\A100.cam", "1");
  env.Put("J0\\S2\\A100.cam", "2");
  env.Put("J0\\S2\\keep.txt", "k");  // not a file of the job
  env.Put("J0\\A100.cam", "0");      // the base folder itself stays
  env.Put("N0\\S3\\A100.nc", "3");
  Import("A100", "A101", true, true, true, 1, 3);

  EXPECT_EQ(Read("J1\\S1\\A101.cam"), "1");
  EXPECT_EQ(Read("J1\\S2\\A101.cam"), "2");
  EXPECT_EQ(Read("J1\\A101.cam"), "0");
  EXPECT_EQ(Read("N1\\S3\\A101.nc"), "3");
  EXPECT_FALSE(Exists("J0\\S1"));
  EXPECT_FALSE(Exists("N0\\S3"));
  EXPECT_EQ(Read("J0\\S2\\keep.txt"), "k");
  EXPECT_TRUE(Exists("J0"));
  EXPECT_EQ(env.Trashed(), (std::vector<std::string>{"S1", "S3"}));
}

TEST_F(ImportTest, NamesInAnotherLetterCaseAreFoundAndCarriedOver) {
  env.Write("data/jobs/a100/s1/a100.CAM", "cam");
  Import("A100", "A101", true, false, false, 1, 3);
  EXPECT_EQ(ReadAll(env / "data/jobs/A101/s1/A101.CAM"), "cam");
}

class ImportFailureTest : public ImportTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ImportFailureTest, FailurePartWayLeavesEveryFileWholeAndReachesTheCaller) {
  const bool move = GetParam();
  env.Put("Jobs\\A100\\S1\\A100.cam", "1");
  env.Put("Jobs\\A100\\S2\\A100.cam", "2");
  env.Put("Jobs\\A100\\S3\\A100.cam", "3");
  env.Put("Jobs\\A101\\S2", "a file where the target needs a folder");
  ErrorOf([&] { Import("A100", "A101", true, false, move, 1, 3); });

  EXPECT_EQ(Read("Jobs\\A101\\S1\\A101.cam"), "1");
  EXPECT_EQ(Exists("Jobs\\A100\\S1\\A100.cam"), !move);
  EXPECT_EQ(Read("Jobs\\A100\\S2\\A100.cam"), "2");
  EXPECT_EQ(Read("Jobs\\A100\\S3\\A100.cam"), "3");
  EXPECT_FALSE(Exists("Jobs\\A101\\S3"));
  EXPECT_TRUE(TempLeftovers().empty());
  EXPECT_TRUE(env.Trashed().empty());  // the clean-up never ran
}

INSTANTIATE_TEST_SUITE_P(CopyAndMove, ImportFailureTest, ::testing::Values(false, true));

}  // namespace
}  // namespace kx::test
