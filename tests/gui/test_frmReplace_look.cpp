// The replace dialog as a user sees it, with English texts from the add-in INI, on a job
// database with a few jobs and the Material column current: every caption fits its control
// (the labels have a fixed width of about 80 pixels, so the texts are short).
// With KX_SCREENSHOT_DIR set, the rendered dialog is written there as frmReplace-en.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <cstdlib>

#include "test_frmReplace_world.h"

namespace kx::test {
namespace {

constexpr const char* kEnglish =
    "[frmReplace]\r\nCaption=Replace a column\r\nLabel1(0).Caption=Column\r\n"
    "Label1(1).Caption=Value like\r\nLabel1(2).Caption=New value\r\n";

class FrmReplaceLook : public ReplaceWorld {};

TEST_F(FrmReplaceLook, EnglishCaptionsFitTheirControls) {
  WriteAddInIni(kEnglish);
  AddMaterial("W1000", "ST52");
  AddMaterial("W1001", "ST37");
  AddMaterial("W1002", "AL99");
  AddMaterial("W1003", "ST52");
  // The host titles its columns in the user's language; here they are the English names.
  auto grid = std::make_shared<JobTableGrid>(path_, [](std::string_view c) { return std::string(c); });
  grid->MoveTo(2);
  grid->SetCol(grid->ColumnIndex("Material"));
  Shared().goSSDBGrid = grid;

  frmReplace d;
  ASSERT_TRUE(ui->shown.empty()) << ui->shown.front().text;
  d.show();
  QElapsedTimer t;
  t.start();
  while (!d.isActiveWindow() && t.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_TRUE(d.isActiveWindow());

  EXPECT_EQ(d.windowTitle(), "Replace a column");
  EXPECT_EQ(ColumnList(d).Text(), "Material");
  EXPECT_EQ(Box(d, 0).text(), "AL99");  // the current job's material

  // Labels and buttons show their whole text; the inputs lie inside the dialog.
  for (QWidget* w : d.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&d)) continue;
    SCOPED_TRACE(w->objectName().toStdString());
    if (auto* l = qobject_cast<QLabel*>(w)) {
      EXPECT_FALSE(l->text().isEmpty());
      EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(l->text()), l->width()) << l->text().toStdString();
      EXPECT_GE(l->height(), QFontMetrics(l->font()).height());
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      EXPECT_LE(QFontMetrics(b->font()).horizontalAdvance(b->text()) + 8, b->width())
          << b->text().toStdString();
    }
    if (w->parentWidget() == &d) {
      EXPECT_TRUE(d.rect().contains(w->geometry())) << w->x() << "," << w->y();
    }
  }

  if (const char* out = std::getenv("KX_SCREENSHOT_DIR"); out && *out) {
    const QString file = QString("%1/frmReplace-en.png").arg(out);
    EXPECT_TRUE(d.grab().save(file, "PNG")) << file.toStdString();
  }
  d.close();
}

}  // namespace
}  // namespace kx::test
