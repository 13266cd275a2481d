// The real new-job dialog run from the host window: a timer plays the user, the new job
// appears in the host's grid.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "host_fixture.h"
#include "job_grid_model.h"

namespace kxhost::test {
namespace {

class HostNewJob : public HostFixture {
 protected:
  void MakeWorld() {
    MakeJobs();
    Execute(
        "insert into Machine (Machine, KelbDirectory, NcDirectory, KelbFileExtension, NcFileExtension) "
        "values ('Laser1', '" +
        (tmp / "jobs").string() + "', '" + (tmp / "nc").string() + "', 'job', 'nc')");
    tmp.MakeDir("base/Cust1/Order1");
    tmp.Write("docs/Host/AddIns/Kx/Kestrafix.ini",
              "[frmMain]\r\nText2(0).Text=" + (tmp / "base").string() + "\r\n");
    const auto shipped = fs::path(__FILE__).parent_path() / "../../../examples/ResStr/torvel.044";
    tmp.MakeDir("Host/ResStr");
    fs::copy_file(shipped, tmp / "Host/ResStr/torvel.044");
    Register();
  }
};

// Plays the dialog: picks the first address and order, confirms; answers any message box
// and records its text. Gives up (closing every modal window) after about ten seconds.
class Player {
 public:
  Player() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start(50);
  }
  QStringList boxes;
  bool sawDialog = false;
  bool gaveUp = false;

 private:
  void Tick() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    if (++ticks_ > 200) {
      gaveUp = true;
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      boxes << box->text();
      box->accept();
      return;
    }
    if (w->objectName() != QStringLiteral("frmMain")) return;
    sawDialog = true;
    for (const char* name : {"SSDBCombo2(1)", "SSDBCombo2(2)"}) {
      auto* list = w->findChild<QComboBox*>(QString::fromLatin1(name));
      if (list && list->currentIndex() < 0 && list->count() > 0) {
        list->setCurrentIndex(0);
        return;  // the order list fills after the address changes: next tick
      }
    }
    if (auto* ok = w->findChild<QPushButton*>(QStringLiteral("Command3(0)")); ok && ++clicks_ <= 3)
      ok->click();
  }
  QTimer timer_;
  int ticks_ = 0;
  int clicks_ = 0;
};

TEST_F(HostNewJob, TheDialogsNewJobAppearsInTheHostsGrid) {
  MakeWorld();
  HostWindow& w = Window();
  ASSERT_TRUE(w.OpenConfiguration(QString::fromStdString(config.string()))) << Errors();
  ASSERT_EQ(w.Api()->grid_set_row(w.Grid(), 2), KX_OK);  // C300 on Laser1

  Player player;
  const int result = w.NewJob();
  EXPECT_TRUE(player.sawDialog);
  EXPECT_FALSE(player.gaveUp) << player.boxes.join(" | ").toStdString();
  EXPECT_EQ(result, 1) << player.boxes.join(" | ").toStdString();
  EXPECT_EQ(w.StatusText().toStdString(), "New job created");
  ASSERT_EQ(w.Model()->rowCount(), 4);
  const int file = w.Model()->ColumnOf("Filename");
  EXPECT_EQ(w.Model()->CellText(3, file).toStdString(), "C301");
  EXPECT_EQ(w.Model()->CellText(3, w.Model()->ColumnOf("Machine")).toStdString(), "Laser1");
  int32_t row = -1;
  w.Api()->grid_current(w.Grid(), &row, nullptr);
  EXPECT_EQ(row, 3);  // the dialog leaves the new job current
}

}  // namespace
}  // namespace kxhost::test
