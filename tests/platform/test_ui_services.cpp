// The UI services seam: per-thread instance and the error report's form. (The scripted
// answers are the other tests' seam and get exercised there.)
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
