// Full file names that depend on files present: data file, set-up sheet, optimised NC file.
#include <gtest/gtest.h>

#include "job_record_test.h"

namespace kx::test {
namespace {

class RsDataFiles : public JobRecordTest {
 protected:
  RsDataFiles() { db.AddJob({{"Filename", "A1"}, {"Machine", "MD"}}); }
};

TEST_F(RsDataFiles, DataFileReplacesTheNcFileWhenPresent) {
  clsRsData rs = Load("A1");
  EXPECT_FALSE(rs.IsDatFile());
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A1.nc");
  EXPECT_EQ(rs.FullFileDat(), "D:\\Nc\\A1.txt");
  env.Write("data/Nc/A1.txt", "data");
  EXPECT_TRUE(rs.IsDatFile());
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A1.txt");
  rs.ExtDat("");
  EXPECT_FALSE(rs.IsDatFile());
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A1.nc");
}

TEST_F(RsDataFiles, PdfSetUpSheetFallsBackToThePresentDataFile) {
  clsRsData rs = Load("A1");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.PDF");  // neither present
  env.Write("data/Nc/A1.txt", "data");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.txt");
  env.Write("data/Nc/A1.PDF", "%PDF");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.PDF");
  std::filesystem::remove(env / "data/Nc/A1.PDF");
  rs.ExtDat("");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.PDF");
  rs.ExtDat("txt");
  rs.ExtSet("set");  // not a PDF: always its own name
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.set");
}

TEST_F(RsDataFiles, OptimisedFileAbsoluteRelativeOrBeside) {
  clsRsData rs = Load("A1");
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Nc\\A1.opt");
  rs.DirOpt("Opt");
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Nc\\Opt\\A1.opt");
  rs.DirOpt("D:\\Optimised\\");
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Optimised\\A1.opt");
  rs.DirOpt("Q:\\Opt");  // a drive that does not exist counts as relative
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Nc\\Q:\\Opt\\A1.opt");
}

}  // namespace
}  // namespace kx::test
