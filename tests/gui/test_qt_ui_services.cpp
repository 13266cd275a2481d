#include <gtest/gtest.h>

#include "fs/native_path.h"
#include "gui/qt_ui_services.h"
#include "test_environment.h"

namespace kx {
namespace {

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
