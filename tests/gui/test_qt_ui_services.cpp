#include <gtest/gtest.h>

#include "fs/native_path.h"
#include "gui/qt_ui_services.h"
#include "test_environment.h"

namespace kx {
namespace {

TEST(QtUiServicesParts, IconsAndButtons) {
  EXPECT_EQ(ToQtIcon(MsgIcon::Critical), QMessageBox::Critical);
  EXPECT_EQ(ToQtIcon(MsgIcon::Question), QMessageBox::Question);
  EXPECT_EQ(ToQtIcon(MsgIcon::Exclamation), QMessageBox::Warning);
  EXPECT_EQ(ToQtIcon(MsgIcon::Information), QMessageBox::Information);
  EXPECT_EQ(ToQtIcon(MsgIcon::None), QMessageBox::NoIcon);
  EXPECT_EQ(ToQtButtons(MsgButtons::YesNo), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(ToQtButtons(MsgButtons::OK), QMessageBox::Ok);
  EXPECT_EQ(ToQtDefaultButton(MsgButtons::YesNo), QMessageBox::Yes);
}

TEST(QtUiServicesParts, Answers) {
  EXPECT_EQ(ToMsgAnswer(QMessageBox::Yes), MsgAnswer::Yes);
  EXPECT_EQ(ToMsgAnswer(QMessageBox::No), MsgAnswer::No);
  EXPECT_EQ(ToMsgAnswer(QMessageBox::Ok), MsgAnswer::OK);
  EXPECT_EQ(ToMsgAnswer(QMessageBox::Cancel), MsgAnswer::Cancel);
  EXPECT_EQ(ToMsgAnswer(0), MsgAnswer::Cancel);  // closed without a choice
}

TEST(QtUiServicesParts, ErrorTextLineBreaks) {
  EXPECT_EQ(ToBoxText("3022\r\nThe changes were not successful"),
            QString("3022\nThe changes were not successful"));
  EXPECT_EQ(ToBoxText("a\rb"), QString("a\nb"));
  EXPECT_EQ(ToBoxText("Größe"), QString::fromUtf8("Größe"));
}

using QtUiServicesPicker = test::EnvTest;

TEST_F(QtUiServicesPicker, FoldersCrossTheNativeEdge) {
  const auto native = env.MakeDir("data/Jobs/A100");
  const std::string windows = "D:\\Jobs\\A100";
  EXPECT_EQ(ToWindows(native), windows);
  EXPECT_EQ(PickerStartDir(windows), QString::fromStdString(native.string()));
  EXPECT_EQ(PickedFolder(QString::fromStdString(native.string())), windows);
  EXPECT_EQ(PickerStartDir(""), QString());
  EXPECT_EQ(PickedFolder(QString()), "");  // cancelled
}

}  // namespace
}  // namespace kx
