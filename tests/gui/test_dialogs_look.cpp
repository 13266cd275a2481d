// Both dialogs as a user sees them, in German and English: every caption fits its control.
// With KX_SCREENSHOT_DIR set, the rendered dialogs are written there as
// frmMain-<language>.png and frmReplace-en.png.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <cstdlib>

#include "dialog_fixture.h"
#include "gui/frmMain.h"
#include "gui/frmReplace.h"
#include "messages/clsResStrs.h"

namespace kx::test {
namespace {

// Every shown caption is a real text and fits into its control beside the control's own
// parts; the controls lie inside the dialog. Then the screenshot, when asked for.
void ExpectCaptionsFit(QWidget& d, const QString& shot) {
  for (QWidget* w : d.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&d)) continue;
    SCOPED_TRACE(w->objectName().toStdString());
    if (w->parentWidget() == &d) {
      EXPECT_TRUE(d.rect().contains(w->geometry()));
    }
    QString text;
    int room = w->width();
    if (auto* l = qobject_cast<QLabel*>(w); l && !w->objectName().startsWith("Panels")) {
      text = l->text();
    } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
      text = c->text();
      room -= 24;  // the box itself
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      text = b->text();
      room -= 8;  // the button's frame
    } else {
      continue;
    }
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.startsWith('*'));
    EXPECT_LE(QFontMetrics(w->font()).horizontalAdvance(text), room) << text.toStdString();
    EXPECT_GE(w->height(), QFontMetrics(w->font()).height());
  }
  if (const char* out = std::getenv("KX_SCREENSHOT_DIR"); out && *out) {
    const QString file = QString("%1/%2.png").arg(out, shot);
    EXPECT_TRUE(d.grab().save(file, "PNG")) << file.toStdString();
  }
}

struct Language {
  const char* code;     // file name part
  const char* country;  // message file extension
  const char* ini;      // add-in INI [frmMain]
};

const Language kLanguages[] = {
    {"de", "049",
     "[frmMain]\r\nCaption=Neuer Auftrag\r\nLabel2(0).Caption=Verzeichnis...\r\n"
     "Check2(3).Caption=Auftragsdateien kopieren\r\nText2(0).Text=D:\\Auftraege\r\n"},
    {"en", "044",
     "[frmMain]\r\nCaption=New job\r\nLabel2(0).Caption=Folder...\r\n"
     "Check2(3).Caption=Copy job files\r\nText2(0).Text=D:\\Auftraege\r\n"},
};

class FrmMainLook : public FrmMainTest, public ::testing::WithParamInterface<Language> {};

TEST_P(FrmMainLook, CaptionsFitTheirControls) {
  const Language& lang = GetParam();
  WriteHostConfig(std::string("Country=") + lang.country + "\r\nShowElectrode=1\r\n");
  env.InstallMessages(lang.country);
  env.WriteAddInIni(lang.ini);
  env.MakeDir("data/Auftraege/Kunde A/4711");
  env.MakeDir("data/Auftraege/Kunde B");
  db.AddJob({{"Filename", "W1000"}, {"ProgramNumber", "1000"}, {"DataType", "1"}, {"Machine", "M1"}});
  // The host titles its columns with the message table, as the shipped host does.
  clsResStrs captions;
  captions.Load((env / "host/ResStr" / (std::string("torvel.") + lang.country)).string());
  UseGrid(0, "", [&](std::string_view column) {
    return captions.Msg("NcData." + std::string(column) + ".Caption");
  });

  frmMain d;
  ASSERT_TRUE(env.Ui().shown.empty()) << env.Ui().shown.front().text;
  ListOf(d, "SSDBCombo2(1)").SetValue("Kunde A");
  Find<QCheckBox>(d, "Check2(3)").setChecked(true);
  ASSERT_TRUE(ShowActive(d));
  d.ShowStatus(lang.code == std::string("de") ? "Bereit" : "Ready");
  ExpectCaptionsFit(d, QString("frmMain-") + lang.code);
  d.close();
}

INSTANTIATE_TEST_SUITE_P(Languages, FrmMainLook, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& p) {
                           return std::string(p.param.code);
                         });

// English texts from the add-in INI (the labels have a fixed width of about 80 pixels).
TEST_F(DialogWorld, FrmReplaceCaptionsFitTheirControls) {
  WriteHostConfig();
  env.WriteAddInIni(
      "[frmReplace]\r\nCaption=Replace a column\r\nLabel1(0).Caption=Column\r\n"
      "Label1(1).Caption=Value like\r\nLabel1(2).Caption=New value\r\n");
  db.Seed("materials.sql");
  UseGrid(2, "Material", [](std::string_view c) { return std::string(c); });
  frmReplace d;
  ASSERT_TRUE(env.Ui().shown.empty()) << env.Ui().shown.front().text;
  ASSERT_TRUE(ShowActive(d));
  EXPECT_EQ(d.windowTitle(), "Replace a column");
  EXPECT_EQ(ListOf(d, "SSDBCombo1(0)").Text(), "Material");
  EXPECT_EQ(TextOf(d, "Text1(0)"), "AL99");  // the current job's material
  ExpectCaptionsFit(d, "frmReplace-en");
  d.close();
}

}  // namespace
}  // namespace kx::test
