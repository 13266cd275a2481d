// The UI services seam: per-thread instance, scripted answers, the error report's form.
#include <gtest/gtest.h>

#include <thread>

#include "platform/ui_services.h"

namespace kx {
namespace {

class UiServices : public ::testing::Test {
 protected:
  void SetUp() override { SetUi(ui); }
  void TearDown() override { SetUi(nullptr); }
  std::shared_ptr<ScriptedUi> ui = std::make_shared<ScriptedUi>();
};

TEST_F(UiServices, ScriptedAnswersThenDefaults) {
  ui->nextAnswers = {MsgAnswer::No, MsgAnswer::Cancel};
  EXPECT_EQ(Ui().MessageBox("q1", "t", MsgButtons::YesNo, MsgIcon::Question), MsgAnswer::No);
  EXPECT_EQ(Ui().MessageBox("q2", "t", MsgButtons::OK, MsgIcon::None), MsgAnswer::Cancel);
  EXPECT_EQ(Ui().MessageBox("q3", "t", MsgButtons::YesNo, MsgIcon::Question), MsgAnswer::Yes);
  EXPECT_EQ(Ui().MessageBox("q4", "t", MsgButtons::OK, MsgIcon::Information), MsgAnswer::OK);
  ASSERT_EQ(ui->shown.size(), 4u);
  EXPECT_EQ(ui->shown[2].text, "q3");
  EXPECT_EQ(ui->shown[3].icon, MsgIcon::Information);
  Ui().Beep();
  Ui().Beep();
  EXPECT_EQ(ui->beeps, 2);
}

TEST_F(UiServices, FolderPickerPopsFoldersThenCancels) {
  ui->nextFolders = {"C:\\Jobs", "D:\\NC"};
  EXPECT_EQ(Ui().BrowseForFolder("Basis", "C:\\"), "C:\\Jobs");
  EXPECT_EQ(Ui().BrowseForFolder("Basis", "C:\\Jobs"), "D:\\NC");
  EXPECT_EQ(Ui().BrowseForFolder("Basis", "D:\\NC"), "");
  ASSERT_EQ(ui->pickerCalls.size(), 3u);
  EXPECT_EQ(ui->pickerCalls[1], (std::pair<std::string, std::string>("Basis", "C:\\Jobs")));
}

TEST_F(UiServices, ErrorReportForm) {
  ReportError(KxError(3024, "DAO.Database", "Could not find file 'x.mdb'."), "Form_Load");
  ReportError(53, "Kestrafix", "File not found", "DataAdd");
  ASSERT_EQ(ui->shown.size(), 2u);
  EXPECT_EQ(ui->shown[0].title, "Kestrafix / DAO.Database / Form_Load");
  EXPECT_EQ(ui->shown[0].text, "3024\r\nCould not find file 'x.mdb'.");
  EXPECT_EQ(ui->shown[0].icon, MsgIcon::Critical);
  EXPECT_EQ(ui->shown[0].buttons, MsgButtons::OK);
  EXPECT_EQ(ui->shown[1].title, "Kestrafix / Kestrafix / DataAdd");
  EXPECT_EQ(ui->shown[1].text, "53\r\nFile not found");
}

TEST_F(UiServices, InstanceBelongsToTheThreadAndNullRestoresADefault) {
  IUiServices* other = nullptr;
  std::thread t([&] {
    other = &Ui();
    Ui().MessageBox("elsewhere", "t", MsgButtons::OK, MsgIcon::None);  // must not block
  });
  t.join();
  EXPECT_NE(other, ui.get());
  EXPECT_TRUE(ui->shown.empty());
  SetUi(nullptr);
  EXPECT_NE(&Ui(), ui.get());
  EXPECT_EQ(Ui().MessageBox("x", "t", MsgButtons::YesNo, MsgIcon::None), MsgAnswer::Yes);
}

}  // namespace
}  // namespace kx
