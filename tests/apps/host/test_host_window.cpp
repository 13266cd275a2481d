// kestrafix-host's window over a job database, with scripted message boxes and the add-in
// registered in a temp registry file: rows, captions, sorting, the current cell, the add-in's
// commands with a fake dialog and with the real new-job dialog, and what it says when the
// configuration, the job database or the add-in is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

#include "addin_library.h"
#include "addin_loader.h"
#include "host_prompts.h"
#include "host_window.h"
#include "job_database.h"
#include "job_grid_model.h"
#include "modal_script.h"

namespace kxhost::test {
namespace {

namespace fs = std::filesystem;

class ScriptedPrompts : public HostPrompts {
 public:
  void Error(QWidget*, const QString& title, const QString& text) override { errors << title + ": " + text; }
  bool Ask(QWidget*, const QString& title, const QString& text) override {
    questions << title + ": " + text;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return false;
    }
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  QStringList errors;
  QStringList questions;
  std::deque<bool> answers;
};

// The host window in a test environment: the host configuration names the job database
// (native path, not yet created) and the country 44.
class HostFixture : public ::testing::Test {
 protected:
  HostFixture() { env.WriteHostConfig("DbName=" + db.string() + "\r\nCountry=44\r\n"); }
  void TearDown() override {
    if (window && window->Api()) {
      window->Api()->testing_set_dialog(KX_DIALOG_NEW_JOB, nullptr, nullptr);
      window->Api()->testing_set_dialog(KX_DIALOG_REPLACE, nullptr, nullptr);
    }
    window.reset();
  }

  // Three jobs whose versions sort differently as numbers and as texts.
  void MakeJobs() const {
    kx::test::JobDatabase(db.string())
        .Execute(
            "insert into NcData (Filename, ProgramNumber, Machine, Version) values "
            "('A100', '100', 'Laser1', 9), ('b200', '200', 'Laser2', 100), ('C300', '300', 'Laser1', 10)");
  }
  void Register(const std::string& library = kx::test::AddinLibraryFile()) const {
    env.Write("xdg-config/kestrafix/addins.ini", "[Kestrafix.IFace]\r\nLibrary=" + library + "\r\n");
  }
  HostWindow& Window(QString candidate = {}) {
    window = std::make_unique<HostWindow>(HostOptions{std::move(candidate)}, prompts);
    return *window;
  }
  // The job database, once created.
  kx::test::JobDatabase Jobs() const { return kx::test::JobDatabase(db.string(), false); }
  bool Open(HostWindow& w) const { return w.OpenConfiguration(QString::fromStdString(config.string())); }
  std::string Errors() const { return prompts.errors.join(QStringLiteral(" | ")).toStdString(); }

  kx::test::TestEnvironment env;
  fs::path db = env.Data("jobs.db");
  fs::path config = env / "torvel.cfg";
  ScriptedPrompts prompts;
  std::unique_ptr<HostWindow> window;
};

std::string Header(HostWindow& w, int col) {
  return w.Proxy()->headerData(col, Qt::Horizontal).toString().toStdString();
}

std::string Shown(HostWindow& w, int row, const char* column) {
  const int col = w.Model()->ColumnOf(QString::fromLatin1(column));
  return w.Proxy()->index(row, col).data().toString().toStdString();
}

std::pair<int32_t, int32_t> GridCurrent(HostWindow& w) {
  int32_t r = -9, c = -9;
  EXPECT_EQ(w.Api()->grid_current(w.Grid(), &r, &c), KX_OK);
  return {r, c};
}

class HostWindowTest : public HostFixture {};

TEST_F(HostWindowTest, ShowsTheJobTableWithMessageCaptionsAndSortsNumbersAsNumbers) {
  MakeJobs();
  Register();
  env.Write("host/ResStr/torvel.044",
            "NcData.Filename.Caption=File name\nNcData.Version.Caption=Version no.\n");
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
  ASSERT_EQ(w.Model()->rowCount(), 3);
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("filename")), "File name");
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("Version")), "Version no.");
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("Machine")), "Machine");  // no caption: the name
  EXPECT_EQ(Shown(w, 1, "Filename"), "b200");
  EXPECT_TRUE(w.NewJobAction()->isEnabled());
  EXPECT_EQ(w.NewJobAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(w.ReplaceAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

  const int version = w.Model()->ColumnOf("Version");
  w.View()->sortByColumn(version, Qt::DescendingOrder);
  EXPECT_EQ(Shown(w, 0, "Version"), "100");  // as texts "9" would come first
  EXPECT_EQ(Shown(w, 2, "Version"), "9");
  w.View()->sortByColumn(w.Model()->ColumnOf("Filename"), Qt::AscendingOrder);
  EXPECT_EQ(Shown(w, 1, "Filename"), "b200");  // without case
}

TEST_F(HostWindowTest, TheViewsCurrentCellIsTheGridsCurrentRowAndColumn) {
  MakeJobs();
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(GridCurrent(w).first, 0);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

  // Sorted descending by file name, the first shown row is the table's last.
  const int fileCol = w.Model()->ColumnOf("Filename");
  const int machineCol = w.Model()->ColumnOf("Machine");
  w.View()->sortByColumn(fileCol, Qt::DescendingOrder);
  const QModelIndex cell = w.Proxy()->index(0, machineCol);
  const QRect rect = w.View()->visualRect(cell);
  QTest::mouseClick(w.View()->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(GridCurrent(w), std::make_pair(2, machineCol));

  QTest::keyClick(w.View(), Qt::Key_Down);
  EXPECT_EQ(GridCurrent(w), std::make_pair(1, machineCol));

  // A refresh keeps the job current and shows it as current.
  w.RefreshGrid();
  EXPECT_EQ(GridCurrent(w).first, 1);
  EXPECT_EQ(w.Proxy()->mapToSource(w.View()->currentIndex()).row(), 1);
}

using kx::test::FakeDialog;

TEST_F(HostWindowTest, CommandsHandTheHostsInputsToTheAddinAndShowItsResult) {
  MakeJobs();
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  FakeDialog newJob, replace;
  ASSERT_EQ(w.Api()->testing_set_dialog(KX_DIALOG_NEW_JOB, FakeDialog::Play, &newJob), KX_OK);
  ASSERT_EQ(w.Api()->testing_set_dialog(KX_DIALOG_REPLACE, FakeDialog::Play, &replace), KX_OK);
  ASSERT_EQ(w.Api()->grid_set_row(w.Grid(), 2), KX_OK);

  // The dialog stores a job behind the host's back; the host shows it after the run.
  newJob.work = [this] {
    Jobs().Execute("insert into NcData (Filename, ProgramNumber) values ('D400', '400')");
  };
  w.NewJobAction()->trigger();
  EXPECT_EQ(newJob.calls, 1);
  EXPECT_EQ(newJob.ini, config.string());
  EXPECT_EQ(newJob.filename, "C300");
  EXPECT_EQ(newJob.parameter, "");
  EXPECT_EQ(newJob.seen.has_grid, 1);
  EXPECT_EQ(w.StatusText().toStdString(), "New job created");
  ASSERT_EQ(w.Model()->rowCount(), 4);
  EXPECT_EQ(w.Model()->CellText(3, w.Model()->ColumnOf("Filename")).toStdString(), "D400");

  newJob.work = nullptr;
  newJob.retVal = 0;
  EXPECT_EQ(w.NewJob(), 0);
  EXPECT_EQ(w.StatusText().toStdString(), "Cancelled");

  w.ReplaceAction()->trigger();
  EXPECT_EQ(replace.calls, 1);
  EXPECT_EQ(replace.parameter, "/Replace");
  EXPECT_EQ(w.StatusText().toStdString(), "Jobs replaced");

  replace.retVal = -1;  // the dialog fails: the add-in reports 0
  EXPECT_EQ(w.ReplaceJobs(), 0);
  EXPECT_EQ(w.StatusText().toStdString(), "Cancelled");
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
}

TEST_F(HostWindowTest, AnEmptyJobTableRunsWithoutACurrentJob) {
  kx::test::JobDatabase created(db.string());
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(w.Model()->rowCount(), 0);
  FakeDialog newJob;
  newJob.retVal = 0;
  ASSERT_EQ(w.Api()->testing_set_dialog(KX_DIALOG_NEW_JOB, FakeDialog::Play, &newJob), KX_OK);
  EXPECT_EQ(w.NewJob(), 0);
  EXPECT_EQ(newJob.filename, "");
}

class HostErrors : public HostFixture {
 protected:
  void ExpectNoGrid(HostWindow& w) {
    EXPECT_EQ(w.Grid(), nullptr);
    EXPECT_EQ(w.Model()->rowCount(), 0);
    EXPECT_FALSE(w.NewJobAction()->isEnabled());
    EXPECT_FALSE(w.ReplaceAction()->isEnabled());
  }
};

// One error each, naming what is wrong; the same window opens the configuration once it is
// put right.
TEST_F(HostErrors, MissingConfigurationDbNameOrJobDatabase) {
  Register();
  env.Write("empty.cfg", "[TORVEL]\r\nCountry=49\r\n[Other]\r\nDbName=x.db\r\n");
  HostWindow& w = Window();
  const struct {
    std::string file, error;
  } cases[] = {{(env / "none.cfg").string(), (env / "none.cfg").string() + " does not exist"},
               {(env / "empty.cfg").string(), "DbName"},
               {config.string(), db.string() + " does not exist"}};
  for (const auto& c : cases) {
    prompts.errors.clear();
    EXPECT_FALSE(w.OpenConfiguration(QString::fromStdString(c.file)));
    ASSERT_EQ(prompts.errors.size(), 1) << Errors();
    EXPECT_TRUE(prompts.errors[0].contains(QString::fromStdString(c.error))) << Errors();
    ExpectNoGrid(w);
  }
  EXPECT_FALSE(fs::exists(db));                       // never created by opening
  EXPECT_EQ(w.NewJob(), -1);                          // no grid: refused with a message
  env.Write("data/jobs.db", std::string(4096, 'x'));  // no database at all
  EXPECT_FALSE(Open(w));
  EXPECT_TRUE(prompts.errors.back().contains("could not be opened")) << Errors();
  fs::remove(db);
  MakeJobs();
  EXPECT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(w.Model()->rowCount(), 3);
}

// Not registered: without a library beside the host an error; with one it is offered.
TEST_F(HostErrors, NotRegisteredTheLibraryBesideTheHostIsOfferedAndRegistered) {
  MakeJobs();
  EXPECT_FALSE(Open(Window()));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains("not registered")) << Errors();
  EXPECT_TRUE(prompts.errors[0].contains(AddinRegistryFile())) << Errors();
  ExpectNoGrid(*window);
  prompts.errors.clear();
  HostWindow& w = Window(QString::fromUtf8(kx::test::AddinLibraryFile()));
  prompts.answers = {false, true};
  EXPECT_FALSE(Open(w));
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_TRUE(prompts.questions[0].contains(kx::test::AddinLibraryFile()))
      << prompts.questions[0].toStdString();
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();  // declining is no error
  EXPECT_EQ(w.StatusText().toStdString(), "Add-in not registered");
  EXPECT_FALSE(fs::exists(env / "xdg-config/kestrafix/addins.ini"));
  ExpectNoGrid(w);

  EXPECT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(prompts.questions.size(), 2);
  EXPECT_TRUE(fs::equivalent(RegisteredLibrary(KX_PROGID).toStdString(), kx::test::AddinLibraryFile()));
  EXPECT_EQ(w.Model()->rowCount(), 3);
}

TEST_F(HostErrors, RegisteredLibraryThatCannotBeLoaded) {
  MakeJobs();
  Register((env / "gone/libkestrafix.so").string());
  HostWindow& w = Window(QString::fromUtf8(kx::test::AddinLibraryFile()));  // registered wins: no question
  EXPECT_FALSE(Open(w));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains("could not be loaded")) << Errors();
  EXPECT_TRUE(prompts.errors[0].contains("gone/libkestrafix.so")) << Errors();

  // A library that is no Kestrafix add-in.
  Register(QString::fromUtf8(KX_QT_CORE_LIBRARY).toStdString());
  EXPECT_FALSE(Open(w));
  ASSERT_EQ(prompts.errors.size(), 2);
  EXPECT_TRUE(prompts.errors[1].contains("no Kestrafix add-in")) << Errors();
  ExpectNoGrid(w);
}

TEST(HostLibrarySearch, FindsTheLibraryInTheBuildTreeOrBesideTheHost) {
  kx::test::TempDir tmp;
  tmp.Write("build/src/addin/libkestrafix.so", "x");
  tmp.MakeDir("build/apps/host");
  EXPECT_EQ(LibraryNearExecutable(QString::fromStdString((tmp / "build/apps/host").string())).toStdString(),
            fs::canonical(tmp / "build/src/addin/libkestrafix.so").string());
  tmp.Write("opt/bin/libkestrafix.so", "x");
  EXPECT_EQ(LibraryNearExecutable(QString::fromStdString((tmp / "opt/bin").string())).toStdString(),
            fs::canonical(tmp / "opt/bin/libkestrafix.so").string());
  EXPECT_TRUE(LibraryNearExecutable(QString::fromStdString((tmp / "nowhere").string())).isEmpty());
}

// A stale DISPLAY (nothing answers on :99): one line on stderr and a non-zero exit, no core;
// --help and --version answer all the same.
TEST(HostWithoutDisplay, SaysSoInOneLineAndExitsButAnswersHelpAndVersion) {
  kx::test::TempDir tmp;
  const struct {
    const char* args;
    int status;
    const char* out;
    const char* err;
  } cases[] = {
      {"", 1, "", "DISPLAY=:99"}, {"--help", 0, "Usage: ", ""}, {"--version", 0, "kestrafix-host ", ""}};
  for (const auto& c : cases) {
    const std::string command =
        "env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:99 '" KX_HOST_BINARY "' " + std::string(c.args) +
        " >'" + (tmp / "out").string() + "' 2>'" + (tmp / "err").string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << c.args;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args;
    const std::string out = kx::test::ReadAll(tmp / "out"), err = kx::test::ReadAll(tmp / "err");
    EXPECT_TRUE(out.starts_with(c.out)) << c.args << ": " << out;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), *c.err ? 1 : 0) << c.args << ": " << err;
    EXPECT_NE(err.find(c.err), std::string::npos) << c.args << ": " << err;
  }
}

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

TEST_F(HostNewJob, TheDialogsNewJobAppearsInTheHostsGrid) {
  MakeWorld();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  ASSERT_EQ(w.Api()->grid_set_row(w.Grid(), 2), KX_OK);  // C300 on Laser1

  // The user picks the first address and order (filled once the address is chosen), confirms.
  kx::test::ModalScript user{{kx::test::Pick("frmMain", "SSDBCombo2(1)"),
                              kx::test::Pick("frmMain", "SSDBCombo2(2)"),
                              kx::test::Press("frmMain", "Command3(0)")}};
  user.Start();
  EXPECT_EQ(w.NewJob(), 1);
  EXPECT_FALSE(user.timedOut) << ::testing::PrintToString(user.seen);
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
