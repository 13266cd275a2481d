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

TEST(StatusPanel, ATextTooLongIsShortenedAndWholeInTheToolTip) {
  QStatusBar bar;
  bar.resize(160, 24);
  const std::string text =
      "Dateiname \"A10039-Ersatz\" ist bereits vergeben. Bitte einen anderen Wert eingeben.";
  ShowStatus(bar, text);
  bar.show();
  const auto* panel = bar.findChild<QLabel*>("Panels(1)");
  EXPECT_EQ(StatusText(bar), text);
  EXPECT_TRUE(panel->text().endsWith(QChar(0x2026))) << panel->text().toStdString();
  EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width());
  EXPECT_EQ(panel->toolTip().toStdString(), text);
  ShowStatus(bar, "Bereit");  // one that fits: as it is, no tip
  EXPECT_EQ(panel->text(), "Bereit");
  EXPECT_TRUE(panel->toolTip().isEmpty());
}

}  // namespace
}  // namespace kx
