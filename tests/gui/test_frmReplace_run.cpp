// IFace::Run with the real replace dialog in a Qt host: a timer plays the user in the modal
// dialog, the scripted message boxes answer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "addin/IFace.h"
#include "dialogs/dialog_factory.h"
#include "gui/dialog_registration.h"
#include "test_frmReplace_world.h"

namespace kx {
namespace {
using test::Box;
using test::Button;
using test::ColumnList;

class FrmReplaceRunTest : public test::ReplaceWorld {
 protected:
  void SetUp() override {
    ReplaceWorld::SetUp();
    WriteAddInIni("[MSG]\r\nQuestion=Q\r\nUpdate=/1 jobs\r\n");
    AddMaterial("A", "ST52");
    AddMaterial("B", "ST37");
    SetDialogFactory(DialogKind::Replace, &CreateReplaceDialog);
    UseGrid(0, "Material");
  }
  void TearDown() override {
    SetDialogFactory(DialogKind::Replace, nullptr);
    ReplaceWorld::TearDown();
  }

  // Runs with the parameter while `play` acts on the modal dialog once it is open.
  std::int32_t RunWith(const std::string& parameter, std::function<void(QWidget&)> play) {
    bool played = false;
    std::function<void()> poll = [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal && modal->objectName() == "frmReplace") {
        played = true;
        play(*modal);
      } else {
        QTimer::singleShot(10, poll);
      }
    };
    QTimer::singleShot(0, poll);
    IFace face;
    face.Parameter(parameter);
    const std::int32_t result = face.Run();
    EXPECT_TRUE(played);
    return result;
  }
};

TEST_F(FrmReplaceRunTest, ConfirmedReplaceGivesTwo) {
  ui->nextAnswers = {MsgAnswer::Yes};
  const auto result = RunWith("/replace", [](QWidget& dialog) {
    EXPECT_EQ(ColumnList(dialog).Value(), "Material");
    EXPECT_EQ(Box(dialog, 0).text(), "ST52");  // the current cell
    Box(dialog, 0).setText("ST*");
    Box(dialog, 1).setText("X");
    Button(dialog, "OKButton").click();
  });
  EXPECT_EQ(result, 2);
  ASSERT_EQ(ui->shown.size(), 1u);
  EXPECT_EQ(ui->shown[0].text, "2 jobs");
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=X", "B=X"}));
}

TEST_F(FrmReplaceRunTest, CancelGivesZeroAndAnErrorLeavesTheDialogOpenUntilCancel) {
  EXPECT_EQ(RunWith("/Replace", [](QWidget& dialog) { Button(dialog, "CancelButton").click(); }), 0);

  const auto result = RunWith("/REPLACE", [this](QWidget& dialog) {
    std::filesystem::remove(path_);
    Button(dialog, "OKButton").click();
    EXPECT_EQ(ui->shown.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());  // still open after the report
    Button(dialog, "CancelButton").click();
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ui->shown.size(), 1u);
}

}  // namespace
}  // namespace kx
