// The real new-job dialog run from the host window: a timer plays the user, the new job
// appears in the host's grid.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "host_fixture.h"
#include "job_grid_model.h"

namespace kxhost::test {
namespace {

class HostNewJob : public HostFixture {
 protected:
  void MakeWorld() const {
    MakeJobs();
    Jobs().Execute(
        "insert into Machine (Machine, KelbDirectory, NcDirectory, KelbFileExtension, NcFileExtension) "
        "values ('Laser1', 'D:\\jobs', 'D:\\nc', 'job', 'nc')");
    env.MakeDir("data/base/Cust1/Order1");
    env.WriteAddInIni("[frmMain]\r\nText2(0).Text=D:\\base\r\n");
    env.InstallMessages("044");
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
      Describe(*w);
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
      if (list && list->count() > 0 && !picked_.contains(list)) {
        picked_ << list;
        list->setCurrentIndex(0);
        emit list->activated(0);  // as a user's pick
        return;                   // the order list fills after the address changes: next tick
      }
    }
    if (auto* ok = w->findChild<QPushButton*>(QStringLiteral("Command3(0)")); ok && ++clicks_ <= 3)
      ok->click();
  }
  // What the dialog showed when the player gave up, for the failure message.
  void Describe(const QWidget& w) {
    if (auto* bar = w.findChild<QStatusBar*>(QStringLiteral("StatusBar1")))
      boxes << "status: " + bar->currentMessage();
    for (auto* e : w.findChildren<QLineEdit*>()) boxes << e->objectName() + "=" + e->text();
    for (auto* c : w.findChildren<QComboBox*>())
      boxes << c->objectName() + "=" + c->currentText() + " (" + QString::number(c->count()) + ")";
  }
  QList<QComboBox*> picked_;
  QTimer timer_;
  int ticks_ = 0;
  int clicks_ = 0;
};

TEST_F(HostNewJob, TheDialogsNewJobAppearsInTheHostsGrid) {
  MakeWorld();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
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
