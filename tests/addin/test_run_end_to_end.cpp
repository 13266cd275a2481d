// Run end to end as a host does it: dlopen the library, create Kestrafix.IFace, hand over the
// configuration and a job grid, and call Run. The real Qt dialogs open; a timer in the host
// process plays the user by finding the modal windows by their object names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <string>
#include <vector>

#include "addin_loader.h"
#include "job_database.h"
#include "modal_script.h"

namespace {

using kx::test::Answer;
using kx::test::Click;
using kx::test::ModalScript;
using kx::test::ModalStep;
using kx::test::Press;

ModalScript* g_script = nullptr;

// Called by Qt inside every QApplication constructor, also the one the library makes.
void OnApplicationCreated() {
  if (g_script) g_script->Start();
}

ModalStep FillReplace(const char* column, const char* pattern, const char* value) {
  return [=](QWidget& w) {
    if (!kx::test::Pick("frmReplace", "SSDBCombo1(0)", column)(w)) return false;
    w.findChild<QLineEdit*>("Text1(0)")->setText(pattern);
    w.findChild<QLineEdit*>("Text1(1)")->setText(value);
    Click(w.findChild<QPushButton*>("OKButton"));
    return true;
  };
}

class RunEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = [] {
      qAddPreRoutine(&OnApplicationCreated);
      return true;
    }();
    (void)registered;
    ASSERT_TRUE(api.Loaded());
    db.Seed("materials.sql");
    env.WriteHostConfig("DbName=D:\\jobs.db\r\n");
    env.WriteAddInIni("[MSG]\r\nQuestion=Replace?\r\nUpdate=Change /1 jobs?\r\n");
  }
  void TearDown() override { g_script = nullptr; }

  // One IFace: configuration, grid (current row 0, no current column) and parameter.
  int32_t Run(const char* parameter, ModalScript& script) {
    kx_object* o = nullptr;
    EXPECT_EQ(api.create_object("Kestrafix.IFace", &o), KX_OK);
    if (!o) return -1;
    kx_grid* grid = nullptr;
    EXPECT_EQ(api.grid_open_job_table(db.Path().c_str(), &grid), KX_OK);
    EXPECT_EQ(api.grid_set_row(grid, 0), KX_OK);
    api.object_put_string(o, "IniFile", "C:\\torvel.cfg");
    api.object_put_object(o, "SSDBGrid", grid, nullptr);
    api.object_put_string(o, "Parameter", parameter);
    g_script = &script;
    if (QCoreApplication::instance()) script.Start();  // a Qt host: its application already runs
    int32_t result = -1;
    EXPECT_EQ(api.object_run(o, &result), KX_OK);
    g_script = nullptr;
    api.object_release(o);
    api.grid_release(grid);
    EXPECT_FALSE(script.timedOut) << "a window was left open";
    return result;
  }

  std::vector<std::string> Materials() const { return db.Rows("select Material from NcData order by ID"); }

  kx::test::TestEnvironment env;
  kx::test::JobDatabase db{"D:\\jobs.db"};
  kx::test::AddinLibrary api;
};

// The replace road from the host's call to the database: the dialog, the question, the update.
TEST_F(RunEndToEnd, HostWithoutQtConfirmsTheReplaceAndGetsTwo) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  ModalScript script{{FillReplace("Material", " ST* ", "X9"), Answer(QMessageBox::Yes)}};
  EXPECT_EQ(Run("/Replace", script), 2);
  EXPECT_EQ(script.seen, (std::vector<std::string>{"frmReplace", "Change 2 jobs?"}));
  EXPECT_EQ(Materials(), (std::vector<std::string>{"X9", "X9", "AL99", "<Null>", ""}));
  EXPECT_EQ(QCoreApplication::instance(), nullptr);  // the application made for Run is gone
}

TEST_F(RunEndToEnd, EmptyParameterOpensTheNewJobDialog) {
  // Cancelled new-job dialog: 0. Boxes its loading may show are closed with OK.
  ModalScript script{{[](QWidget& w) {
    if (auto* box = qobject_cast<QMessageBox*>(&w)) {
      Click(box->button(QMessageBox::Ok));
      return false;
    }
    if (w.objectName() != "frmMain") return false;
    Click(w.findChild<QPushButton*>("Command3(1)"));
    return true;
  }}};
  EXPECT_EQ(Run("", script), 0);
  EXPECT_EQ(script.seen, (std::vector<std::string>{"frmMain"}));
}

TEST_F(RunEndToEnd, QtHostKeepsItsApplication) {
  int argc = 1;
  char arg0[] = "host";
  char* argv[] = {arg0, nullptr};
  QApplication app(argc, argv);
  ModalScript cancel{{Press("frmReplace", "CancelButton")}};
  EXPECT_EQ(Run("/Replace", cancel), 0);
  EXPECT_EQ(QCoreApplication::instance(), &app);
}

TEST_F(RunEndToEnd, WithoutADisplayRunGivesZeroAndTheHostLivesOn) {
  env.Unset("DISPLAY");
  env.Unset("WAYLAND_DISPLAY");
  env.Set("QT_QPA_PLATFORM", "xcb");  // would abort the process without a display
  ModalScript none;
  EXPECT_EQ(Run("/Replace", none), 0);
  EXPECT_EQ(Run("", none), 0);
  env.Unset("QT_QPA_PLATFORM");
  EXPECT_EQ(Run("/Replace", none), 0);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"ST52", "ST37", "AL99", "<Null>", ""}));
}

}  // namespace
