// The job file set: which files of a job are found, how they are classified and ordered.
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "jobdata/clsRsData.h"
#include "jobfiles/ClsFiles.h"
#include "jobfiles_fixture.h"

namespace kx::test {
namespace {

class JobFileSetTest : public JobFilesTest {
 protected:
  ClsFiles Load(const std::string& job) const {
    clsRsData rs;
    rs.Initialize(db.Path(), job);
    ClsFiles files;
    files.Initialize(rs, Shared().glSubFolderCount);
    return files;
  }
  // "path type current [dat]" per file, in list order.
  static std::vector<std::string> Listing(const ClsFiles& files) {
    std::vector<std::string> out;
    for (const auto& f : files) {
      std::string line = f->FullFile() + " " + std::to_string(f->FileType()) + (f->IsCurrent() ? " cur" : "");
      if (!f->FullFileDat().empty()) line += " <" + f->FullFileDat();
      out.push_back(line);
    }
    return out;
  }
};

TEST_F(JobFileSetTest, SharedTreeListsOnlyTheJobsFilesDownToTheSubFolderCount) {
  db.AddJobOn("A100", "Flat");
  env.Put("Shared\\A100.cam");
  env.Put("Shared\\A100.nc");
  env.Put("Shared\\A100");  // no extension: still named after the job
  env.Put("Shared\\A1000.nc");
  env.Put("Shared\\B200.nc");
  env.Put("Shared\\.A100.nc");  // hidden
  env.Put("Shared\\S1\\A100.set");
  env.Put("Shared\\S1\\deep\\A100.nc");  // below the depth
  env.MakeDir("data/Shared/A100.dir");   // a folder is no file
  Shared().glSubFolderCount = 1;

  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\Shared\\A100 0 cur",
                                       "D:\\Shared\\A100.cam 0 cur",
                                       "D:\\Shared\\A100.nc 1 cur",
                                       "D:\\Shared\\S1\\A100.set 1 cur",
                                   }));

  Shared().glSubFolderCount = 2;
  EXPECT_EQ(Load("A100").Count(), 5);
}

TEST_F(JobFileSetTest, OwnFolderListsEveryFileAtAnyDepthAndClassifiesByTree) {
  db.AddJobOn("A100", "Own", "S1");
  Shared().glSubFolderCount = 0;  // ignored: every level of a job's own folder counts
  env.Put("Jobs\\A100\\S1\\A100.cam");
  env.Put("Jobs\\A100\\S10\\notes.txt");
  env.Put("Jobs\\A100\\other\\a\\b\\c\\A100.nc");  // in the job tree: a job file whatever its extension
  env.Put("Nc\\A100\\S1\\A100.cam");               // in the NC tree: an NC file whatever its extension
  env.Put("Nc\\A100\\S1\\Opt\\A100.nc");           // relative optimisation folder
  env.Put("Nc\\A100\\S1\\Opt\\A100.DAT", "");      // data test wins over the optimised one
  env.Put("Nc\\A100\\S1\\A100.opt");               // opt extension outside Opt: DirOpt set, so plain NC
  env.Put("Jobs\\B200\\B200.cam");                 // another job's folder

  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\Jobs\\A100\\other\\a\\b\\c\\A100.nc 0",
                                       "D:\\Jobs\\A100\\S1\\A100.cam 0 cur",
                                       "D:\\Jobs\\A100\\S10\\notes.txt 0 cur",  // text prefix of S1
                                       "D:\\Nc\\A100\\S1\\A100.cam 1 cur",
                                       "D:\\Nc\\A100\\S1\\A100.opt 1 cur",
                                       "D:\\Nc\\A100\\S1\\Opt\\A100.DAT 2 cur",
                                       "D:\\Nc\\A100\\S1\\Opt\\A100.nc 4 cur",
                                   }));
}

TEST_F(JobFileSetTest, SeparateTreesAndAnAbsoluteOptimisationFolder) {
  db.AddJobOn("A100", "Split");
  env.Put("J0\\A100.nc");       // job tree
  env.Put("N0\\A100.cam");      // NC tree
  env.Put("OptAbs\\A100.opt");  // neither base: a job file, so the optimised test never applies
  Shared().glSubFolderCount = 0;
  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\J0\\A100.nc 0 cur",
                                       "D:\\N0\\A100.cam 1 cur",
                                       "D:\\OptAbs\\A100.opt 0",
                                   }));
}

TEST_F(JobFileSetTest, OptimisedByExtensionWhenThereIsNoOptimisationFolder) {
  db.AddMachine({{"Machine", "NoOpt"},
                 {"DirectoryType", "0"},
                 {"KelbDirectory", "D:\\X"},
                 {"NcDirectory", "D:\\X"},
                 {"NcFileExtension", "nc"},
                 {"OptNcFileExtension", "OPT"}});
  db.AddJobOn("A100", "NoOpt");
  env.Put("X\\A100.opt");
  env.Put("X\\A100.nc");
  env.Put("X\\A100.txt");
  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\X\\A100.nc 1 cur",
                                       "D:\\X\\A100.opt 4 cur",
                                       "D:\\X\\A100.txt 0 cur",
                                   }));
}

TEST_F(JobFileSetTest, DataFileAddsTheFilesItNamesThatExist) {
  db.AddJobOn("A100", "Own");
  env.Put("Nc\\A100\\sub\\part1.nc");
  env.Put("Nc\\A100\\part 2.nc");
  env.Put("Other\\a,b.nc");
  env.Put("Other\\far.nc");
  env.Put("Nc\\A100\\A100.dat",
          "sub\\part1.nc,  part 2.nc  \r\n"
          "\"D:\\Other\\a,b.nc\"\r\n"
          "\\missing.nc\n"
          "D:\\Other\\far.nc,sub\\\r\n"
          "\r\n");
  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\Nc\\A100\\A100.dat 2 cur",
                                       "D:\\Nc\\A100\\part 2.nc 3 cur <D:\\Nc\\A100\\A100.dat",
                                       "D:\\Nc\\A100\\sub\\part1.nc 3 cur <D:\\Nc\\A100\\A100.dat",
                                       "D:\\Other\\a,b.nc 3 cur <D:\\Nc\\A100\\A100.dat",
                                       "D:\\Other\\far.nc 3 cur <D:\\Nc\\A100\\A100.dat",
                                   }));
}

TEST_F(JobFileSetTest, OrderAndLookupIgnoreLetterCase) {
  db.AddJobOn("A100", "Own");
  for (const char* name : {"b.nc", "A.nc", "a2.NC", "C.nc", "_x.nc"})
    env.Put(std::string("Nc\\A100\\") + name);
  ClsFiles files = Load("A100");
  ASSERT_EQ(files.Count(), 5);
  std::vector<std::string> paths;
  for (const auto& f : files) paths.push_back(f->FullFile());
  for (std::size_t i = 1; i < paths.size(); ++i)
    EXPECT_LT(CompareNoCase(paths[i - 1], paths[i]), 0) << paths[i];
  EXPECT_EQ(files.Item(1)->FullFile(), paths[0]);
  EXPECT_EQ(files.Item(5)->FullFile(), paths[4]);
  EXPECT_EQ(files.Item(0), nullptr);
  EXPECT_EQ(files.Item(6), nullptr);
  ASSERT_NE(files.Item("d:\\nc\\a100\\B.NC"), nullptr);
  EXPECT_EQ(files.Item("d:\\nc\\a100\\B.NC")->FullFile(), "D:\\Nc\\A100\\b.nc");
  EXPECT_EQ(files.Item("D:\\Nc\\A100\\zz.nc"), nullptr);
}

TEST_F(JobFileSetTest, NamesOnDiskInAnotherLetterCaseAreFound) {
  db.AddJobOn("A100", "Flat");
  env.Write("data/shared/a100.CAM", "x");
  env.Write("data/shared/sub/A100.Nc", "x");
  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\Shared\\a100.CAM 0 cur",
                                       "D:\\Shared\\sub\\A100.Nc 1 cur",
                                   }));
}

TEST_F(JobFileSetTest, NoJobNameOrNoFoldersGiveAnEmptySet) {
  db.AddJobOn("A100", "Own");
  env.Put("Jobs\\A100\\A100.cam");
  EXPECT_EQ(Load("").Count(), 0);
  EXPECT_EQ(Load("A100").Count(), 1);
  ClsFiles files = Load("A100");
  clsRsData unknown;  // no database row: no directories
  unknown.Initialize(db.Path(), "Z999");
  files.Initialize(unknown, 1);  // a second Initialize starts afresh
  EXPECT_EQ(files.Count(), 0);
}

// The directory type is an 8-bit value: 257 is an overflow, not type 1.
TEST_F(JobFileSetTest, DirectoryTypeBeyondEightBitsIsAnOverflow) {
  db.AddMachine({{"Machine", "Wide"}, {"DirectoryType", 257}, {"KelbDirectory", "D:\\Shared"}});
  db.AddJobOn("A100", "Wide");
  env.Put("Shared\\B200.cam");
  EXPECT_EQ(ErrorOf([&] { Load("A100"); }).Number(), err::Overflow);
}

TEST_F(JobFileSetTest, OnlyNormalFilesAreListedAndRead) {
  db.AddJobOn("A100", "Own");
  env.Put("Nc\\A100\\A100.dat", "x.nc");
  std::filesystem::create_directory_symlink(env.MakeDir("empty"), env.Data("Nc\\A100\\B.dat"));  // a folder
  ASSERT_EQ(::mkfifo(env.Data("Nc\\A100\\C.dat").c_str(), 0600), 0);  // reading it would block
  std::filesystem::create_symlink(env.Data("Nc\\A100\\A100.dat"), env.Data("Nc\\A100\\D.dat"));
  EXPECT_EQ(Listing(Load("A100")), (std::vector<std::string>{
                                       "D:\\Nc\\A100\\A100.dat 2 cur",
                                       "D:\\Nc\\A100\\D.dat 2 cur",
                                   }));
}

TEST_F(JobFileSetTest, DataFileThatCannotBeReadRaises) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  db.AddJobOn("A100", "Own");
  env.Put("Nc\\A100\\A100.dat", "x.nc");
  std::filesystem::permissions(env.Data("Nc\\A100\\A100.dat"), std::filesystem::perms::none);
  KxError e = ErrorOf([&] { Load("A100"); });
  EXPECT_EQ(e.Number(), err::PermissionDenied);
  EXPECT_NE(e.Description().find("A100.dat"), std::string::npos);
}

TEST_F(JobFileSetTest, ReadOnlySetsAndClearsEveryFile) {
  db.AddJobOn("A100", "Own");
  env.Put("Jobs\\A100\\A100.cam");
  env.Put("Nc\\A100\\A100.nc");
  ClsFiles files = Load("A100");
  files.ReadOnly(true);
  for (const auto& f : files) EXPECT_TRUE(Fso().FileReadOnly(f->FullFile())) << f->FullFile();
  files.ReadOnly(false);
  for (const auto& f : files) EXPECT_FALSE(Fso().FileReadOnly(f->FullFile())) << f->FullFile();
}

}  // namespace
}  // namespace kx::test
