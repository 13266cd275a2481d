// The new-job dialog as a user sees it, in German and English: every caption fits its
// control. With KX_SCREENSHOT_DIR set, the rendered dialog is written there as
// frmMain-<language>.png.
#include <QAbstractButton>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <cstdlib>

#include "frmMain_test_util.h"
#include "messages/clsResStrs.h"

namespace kx::test {
namespace {

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
  InstallMessages(lang.country);
  WriteAddInIni(lang.ini);
  dir_.MakeDir("D/Auftraege/Kunde A/4711");
  dir_.MakeDir("D/Auftraege/Kunde B");
  AddJob({{"Filename", "W1000"}, {"ProgramNumber", "1000"}, {"DataType", "1"}, {"Machine", "M1"}});
  // The host titles its columns with the message table, as the shipped host does.
  clsResStrs captions;
  captions.Load((dir_ / "C/Programs/Host/ResStr" / (std::string("torvel.") + lang.country)).string());
  UseGrid(
      0, [&](std::string_view column) { return captions.Msg("NcData." + std::string(column) + ".Caption"); });

  frmMain d;
  ASSERT_TRUE(ui->shown.empty()) << ui->shown.front().text;
  ListOf(d, "SSDBCombo2(1)").SetValue("Kunde A");
  Find<QCheckBox>(d, "Check2(3)").setChecked(true);
  d.show();
  ASSERT_TRUE(WaitActive(d));
  d.ShowStatus(lang.code == std::string("de") ? "Bereit" : "Ready");

  // Every caption is a real text and fits into its control beside the control's own parts.
  for (QWidget* w : d.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&d)) continue;
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
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.startsWith('*'));
    EXPECT_LE(QFontMetrics(w->font()).horizontalAdvance(text), room) << text.toStdString();
    EXPECT_GE(w->height(), QFontMetrics(w->font()).height());
  }

  if (const char* out = std::getenv("KX_SCREENSHOT_DIR"); out && *out) {
    const QString file = QString("%1/frmMain-%2.png").arg(out, lang.code);
    EXPECT_TRUE(d.grab().save(file, "PNG")) << file.toStdString();
  }
  d.close();
}

INSTANTIATE_TEST_SUITE_P(Languages, FrmMainLook, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& p) {
                           return std::string(p.param.code);
                         });

}  // namespace
}  // namespace kx::test
