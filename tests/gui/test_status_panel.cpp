#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>

#include "gui/status_panel.h"

namespace kx {
namespace {

TEST(StatusPanel, KeepsTheLastTextInOnePanel) {
  QStatusBar bar;
  EXPECT_EQ(StatusText(bar), "");
  ShowStatus(bar, "Adresse?");
  EXPECT_EQ(StatusText(bar), "Adresse?");
  ShowStatus(bar, "<b>Auftrag</b>?");  // shown as typed, not as markup
  EXPECT_EQ(StatusText(bar), "<b>Auftrag</b>?");
  EXPECT_EQ(bar.findChildren<QLabel*>("Panels(1)").size(), 1);
  bar.showMessage("hint", 10);  // a passing message does not clear the panel
  bar.clearMessage();
  EXPECT_EQ(StatusText(bar), "<b>Auftrag</b>?");
  ShowStatus(bar, "");
  EXPECT_EQ(StatusText(bar), "");
}

}  // namespace
}  // namespace kx
