// kestrafix-host's window over a job database, with scripted message boxes and the add-in
// registered in a temp registry file: rows, captions, sorting, the current cell, the add-in's
// commands with a fake dialog and with the real new-job dialog, and what it says when the
// configuration, the job database or the add-in is missing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

#include "addin_library.h"
#include "addin_loader.h"
#include "dialogs/replace_column.h"
#include "host_prompts.h"
#include "host_window.h"
#include "job_database.h"
#include "job_grid_model.h"
#include "kx_install_paths.h"
#include "modal_script.h"
#include "translations.h"

namespace kxhost::test {
namespace {

namespace fs = std::filesystem;

class ScriptedPrompts : public HostPrompts {
 public:
  void Error(QWidget*, const QString& title, const QString& text) override { errors << title + ": " + text; }
  void Info(QWidget*, const QString& title, const QString& text) override { infos << title + ": " + text; }
  bool OpenDocument(const QString& file) override {
    opened << file;
    return true;
  }
  void Warning(QWidget*, const QString& title, const QString& text) override {
    warnings << title + ": " + text;
  }
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
  QStringList errors, questions, infos, opened, warnings;
  std::deque<bool> answers;
};

// The host window in a test environment: the host configuration names the job database
// (native path, not yet created) and the country 44.
class HostFixture : public ::testing::Test {
 protected:
  HostFixture() {
    env.WriteHostConfig("DbName=" + db.string() + "\r\nCountry=44\r\n");
    if (qApp->findChildren<QTranslator*>().isEmpty()) InstallTranslations(*qApp, QLocale(QLocale::English));
  }
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
            "insert into NcData (Filename, ProgramNumber, Machine, Version, DataType) values "
            "('A100', '100', 'Laser1', 9, 0), ('b200', '200', 'Laser2', 100, 3), ('C300', '300', 'Laser1', "
            "10, 1)");
  }
  void Register(const std::string& library = kx::test::AddinLibraryFile()) const {
    env.Write("xdg-config/kestrafix/addins.ini", "[Kestrafix.IFace]\r\nLibrary=" + library + "\r\n");
  }
  HostWindow& Window(QString candidate = {}) {
    window.reset();
    const HostOptions options{std::move(candidate), QString::fromStdString((env / "host.ini").string()),
                              QString::fromStdString((env / "guide.md").string())};
    window = std::make_unique<HostWindow>(options, prompts);
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
  return w.Model()->headerData(col, Qt::Horizontal).toString().toStdString();
}

std::string Shown(HostWindow& w, int row, const char* column) {
  const int col = w.Model()->ColumnOf(QString::fromLatin1(column));
  return w.Model()->index(row, col).data().toString().toStdString();
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
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();  // without its message file: one warning naming it
  ASSERT_TRUE(Open(w)) << Errors();
  ASSERT_EQ(prompts.warnings.size(), 1);
  EXPECT_TRUE(prompts.warnings[0].contains("torvel.044")) << prompts.warnings[0].toStdString();
  env.Write("host/ResStr/torvel.044",
            "NcData.Filename.Caption=File name\nNcData.Version.Caption=Version no.\n"
            "NcData.DataType(3).Caption=Macro\nNcData.DataType(1).Caption=Sheet\n");
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
  ASSERT_EQ(w.Model()->rowCount(), 3);
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("filename")), "File name");
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("Version")), "Version no.");
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("Machine")), "Machine");  // no caption: the name
  EXPECT_EQ(Shown(w, 1, "Filename"), "b200");
  EXPECT_EQ(Shown(w, 1, "DataType"), "Macro");  // a data type by its name
  EXPECT_EQ(Shown(w, 0, "DataType"), "0");      // one the message file does not name
  EXPECT_EQ(w.JobCountText().toStdString(), "3 jobs");
  EXPECT_TRUE(w.NewJobAction()->isEnabled());
  EXPECT_EQ(w.NewJobAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(w.ReplaceAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

  const int version = w.Model()->ColumnOf("Version");
  w.View()->sortByColumn(version, Qt::DescendingOrder);
  EXPECT_EQ(Shown(w, 0, "Version"), "100");  // as texts "9" would come first
  EXPECT_EQ(Shown(w, 2, "Version"), "9");
  w.View()->sortByColumn(w.Model()->ColumnOf("Filename"), Qt::AscendingOrder);
  EXPECT_EQ(Shown(w, 1, "Filename"), "b200");  // without case

  // The search: anywhere in any column's shown text, without case, with wildcards.
  const struct {
    const char* text;
    int rows;
    const char* count;
  } searches[] = {{"macro", 1, "1 of 3 jobs"},   {"LASER1", 2, "2 of 3 jobs"},  {"c#0", 1, "1 of 3 jobs"},
                  {"[ab]?00", 2, "2 of 3 jobs"}, {"nothing", 0, "0 of 3 jobs"}, {"", 3, "3 jobs"}};
  for (const auto& c : searches) {
    EXPECT_TRUE(w.ApplySearch(QString::fromUtf8(c.text))) << c.text;
    EXPECT_EQ(w.Model()->rowCount(), c.rows) << c.text;
    EXPECT_EQ(w.JobCountText().toStdString(), c.count);
  }
  EXPECT_FALSE(w.ApplySearch(QStringLiteral("[a")));  // no pattern: said so, rows unchanged
  EXPECT_TRUE(w.StatusText().startsWith(QStringLiteral("The search \"[a\" cannot be read")))
      << w.StatusText().toStdString();
  EXPECT_EQ(w.Model()->rowCount(), 3);
}

TEST_F(HostWindowTest, TheViewsCurrentCellIsTheGridsCurrentRowAndColumn) {
  MakeJobs();
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(GridCurrent(w).first, 0);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

  // Two clicks on the file name's header sort the grid descending: its first row is the
  // table's last job.
  const int fileCol = w.Model()->ColumnOf("Filename");
  const int machineCol = w.Model()->ColumnOf("Machine");
  QHeaderView* header = w.View()->horizontalHeader();
  const QPoint title(header->sectionViewportPosition(fileCol) + header->sectionSize(fileCol) / 2,
                     header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  const QRect rect = w.View()->visualRect(w.Model()->index(0, machineCol));
  QTest::mouseClick(w.View()->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(GridCurrent(w), std::make_pair(0, machineCol));
  EXPECT_EQ(Shown(w, 0, "Filename"), "C300");

  QTest::keyClick(w.View(), Qt::Key_Down);
  EXPECT_EQ(GridCurrent(w), std::make_pair(1, machineCol));

  // A refresh keeps the job current and shows it as current; so does another order.
  w.RefreshGrid();
  EXPECT_EQ(GridCurrent(w).first, 1);
  EXPECT_EQ(w.View()->currentIndex().row(), 1);
  QTest::keyClick(w.View(), Qt::Key_Up);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
  EXPECT_EQ(Shown(w, 2, "Filename"), "C300");
  EXPECT_EQ(GridCurrent(w).first, 2);
  EXPECT_EQ(w.View()->currentIndex().row(), 2);
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

  // The dialog stores a job and leaves it current; the host shows it after the run.
  newJob.work = [this, &w] {
    Jobs().Execute("insert into NcData (Filename, ProgramNumber) values ('D400', '400')");
    w.Api()->grid_refresh(w.Grid());
    w.Api()->grid_set_row(w.Grid(), 3);
  };
  w.NewJobAction()->trigger();
  EXPECT_EQ(newJob.calls, 1);
  EXPECT_EQ(newJob.ini, config.string());
  EXPECT_EQ(newJob.filename, "C300");
  EXPECT_EQ(newJob.parameter, "");
  EXPECT_EQ(newJob.seen.has_grid, 1);
  EXPECT_EQ(w.StatusText().toStdString(), "New job D400 created");
  ASSERT_EQ(w.Model()->rowCount(), 4);
  EXPECT_EQ(w.Model()->CellText(3, w.Model()->ColumnOf("Filename")).toStdString(), "D400");

  newJob.work = nullptr;
  newJob.retVal = 0;
  EXPECT_EQ(w.NewJob(), 0);
  EXPECT_EQ(w.StatusText().toStdString(), "Cancelled");

  w.ReplaceAction()->trigger();
  EXPECT_EQ(replace.calls, 1);
  EXPECT_EQ(replace.parameter, "/Replace");
  EXPECT_EQ(w.StatusText().toStdString(), "1 job changed");

  replace.retVal = -1;  // the dialog fails: the add-in reports 0
  EXPECT_EQ(w.ReplaceJobs(), 0);
  EXPECT_EQ(w.StatusText().toStdString(), "Cancelled");
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
}

// The configuration used last and the window's size come back; a remembered configuration
// that is gone, or no configuration at all, is said in the window, without a box.
TEST_F(HostWindowTest, RemembersConfigurationsAndSaysWhenTheLastOneIsGone) {
  MakeJobs();
  Register();
  ASSERT_TRUE(Window().Start(QString::fromStdString(config.string()))) << Errors();
  window->resize(640, 420);
  window->close();
  HostWindow& w = Window();
  EXPECT_TRUE(w.Start({})) << Errors();
  EXPECT_EQ(w.ConfigFile().toStdString(), config.string());
  EXPECT_EQ(w.size(), QSize(640, 420));
  ASSERT_EQ(w.RecentMenu()->actions().size(), 1);
  EXPECT_TRUE(w.RecentMenu()->actions()[0]->text().startsWith("&1 torvel.cfg ("));

  fs::rename(config, env / "moved.cfg");
  EXPECT_FALSE(Window().Start({}));
  EXPECT_TRUE(window->StatusText().contains(QString::fromStdString(config.string())));
  fs::remove(env / "host.ini");
  EXPECT_FALSE(Window().Start({}));
  EXPECT_TRUE(window->StatusText().contains("kestrafix demo")) << window->StatusText().toStdString();
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
}

TEST_F(HostWindowTest, F1OpensTheUserGuideAndAboutNamesVersionAndLibraries) {
  HostWindow& w = Window();
  w.ShowUserGuide();  // not there yet
  ASSERT_EQ(prompts.errors.size(), 1);
  env.Write("guide.md", "# Guide");
  for (QAction* a : w.findChildren<QAction*>()) {
    if (a->shortcut() == QKeySequence(Qt::Key_F1)) a->trigger();
  }
  EXPECT_EQ(prompts.opened, QStringList{QString::fromStdString((env / "guide.md").string())});
  w.ShowAbout();
  ASSERT_EQ(prompts.infos.size(), 1);
  for (const QString& part : {QStringLiteral("Licence: "), "Qt " + QString(qVersion()),
                              "SQLite " + QString(sqlite3_libversion()), QStringLiteral("ICU ")})
    EXPECT_TRUE(prompts.infos[0].contains(part)) << part.toStdString();
}

// The German host: its own texts and Qt's buttons.
TEST(HostTranslations, GermanForTheHostAndForQtsOwnTexts) {
  const QStringList installed = InstallTranslations(*qApp, QLocale(QLocale::German));
  EXPECT_EQ(installed, (QStringList{"qtbase_de", "kestrafix-host_de"}));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString(), "&Ja");
  EXPECT_EQ(QCoreApplication::translate("kxhost::HostWindow", "&File").toStdString(), "&Datei");
  EXPECT_EQ(QCoreApplication::translate("kxhost::HostWindow", "%n job(s)", nullptr, 2).toStdString(),
            "2 Aufträge");
  for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

// --screenshot never waits for a person: a box is pictured and the exit status says so.
TEST_F(HostWindowTest, AScreenshotWithAMessagePendingIsTakenAndFails) {
  const std::string png = (env / "shot.png").string();
  const std::string line = std::string("timeout 60 '") + KX_HOST_BINARY + "' --config '" +
                           (env / "none.cfg").string() + "' --screenshot '" + png + "' 2>/dev/null";
  const int status = std::system(line.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_GT(fs::file_size(png), 1000u);
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

// "Undo last replace": the confirmation states how many jobs get their old value and how many
// changed since are left alone; No changes nothing, Yes sets them back and the grid shows it.
TEST_F(HostWindowTest, UndoLastReplaceConfirmsTheCountAndSetsTheJobsBack) {
  MakeJobs();
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(w.UndoLastReplace(), 0);
  EXPECT_EQ(Errors(), "Undo last replace: No replace to undo.");
  ASSERT_EQ(kx::ReplaceMatching(db.string(), "Machine", "Laser1", "Laser9", 0, {"tester", 50}), 2);
  Jobs().Execute("update NcData set Machine = 'Laser7' where Filename = 'A100'");
  prompts.answers = {false, true};
  EXPECT_EQ(w.UndoLastReplace(), 0);
  w.UndoReplaceAction()->trigger();
  const QString question =
      "Undo last replace: Undo replace 1 of [Machine]?\n\n1 job(s) get their old value back.\n1 job(s) "
      "changed "
      "since or deleted are left alone.";
  EXPECT_EQ(prompts.questions, QStringList({question, question}));
  EXPECT_EQ(Shown(w, 0, "Machine"), "Laser7");
  EXPECT_EQ(Shown(w, 2, "Machine"), "Laser1");
  EXPECT_EQ(w.StatusText().toStdString(), "Replace 1 undone: 1 job(s) set back, 1 left alone");
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

TEST(HostLibrarySearch, FindsTheLibraryInTheBuildTreeBesideTheHostOrInstalled) {
  kx::test::TempDir tmp;
  tmp.Write("build/src/addin/libkestrafix.so", "x");
  tmp.MakeDir("build/apps/host");
  EXPECT_EQ(LibraryNearExecutable(QString::fromStdString((tmp / "build/apps/host").string())).toStdString(),
            fs::canonical(tmp / "build/src/addin/libkestrafix.so").string());
  tmp.Write("opt/bin/libkestrafix.so", "x");
  EXPECT_EQ(LibraryNearExecutable(QString::fromStdString((tmp / "opt/bin").string())).toStdString(),
            fs::canonical(tmp / "opt/bin/libkestrafix.so").string());
  const fs::path installed = (tmp / "usr/bin" / KX_ADDIN_FROM_BIN / "libkestrafix.so").lexically_normal();
  tmp.Write(installed.lexically_relative(tmp.Path()).string(), "x");
  tmp.MakeDir("usr/bin");
  EXPECT_EQ(LibraryNearExecutable(QString::fromStdString((tmp / "usr/bin").string())).toStdString(),
            fs::canonical(installed).string());
  EXPECT_TRUE(LibraryNearExecutable(QString::fromStdString((tmp / "nowhere").string())).isEmpty());
}

// A stale DISPLAY (nothing answers on :99): one line on stderr and a non-zero exit, no core;
// --help (80 columns) and --version answer all the same.
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
    for (std::size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
      if (out.compare(at, 7, "Usage: ") == 0) continue;  // names the binary where it was built
      EXPECT_LE(end - at, 80u) << out.substr(at, end - at);
    }
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

// The new job is selected in full view, also when the search would hide it (the search goes).
TEST_F(HostNewJob, TheDialogsNewJobAppearsSelectedInTheHostsGrid) {
  MakeWorld();
  Jobs().Execute(
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < 60) "
      "insert into NcData (Filename, ProgramNumber) select 'J' || i, 'P' || i from n");
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  w.resize(500, 300);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.SearchField()->setText("c300");
  ASSERT_TRUE(w.ApplySearch(w.SearchField()->text()));
  ASSERT_EQ(w.Model()->rowCount(), 1);  // C300 on Laser1, current

  // The user picks the first address and order (filled once the address is chosen), confirms.
  kx::test::ModalScript user{{kx::test::Pick("frmMain", "SSDBCombo2(1)"),
                              kx::test::Pick("frmMain", "SSDBCombo2(2)"),
                              kx::test::Press("frmMain", "Command3(0)")}};
  user.Start();
  EXPECT_EQ(w.NewJob(), 1);
  EXPECT_FALSE(user.timedOut) << ::testing::PrintToString(user.seen);
  EXPECT_EQ(w.StatusText().toStdString(), "New job C301 created");
  EXPECT_TRUE(w.SearchField()->text().isEmpty());
  ASSERT_EQ(w.Model()->rowCount(), 64);
  const int file = w.Model()->ColumnOf("Filename");
  EXPECT_EQ(w.Model()->CellText(63, file).toStdString(), "C301");
  EXPECT_EQ(w.Model()->CellText(63, w.Model()->ColumnOf("Machine")).toStdString(), "Laser1");
  EXPECT_EQ(GridCurrent(w).first, 63);
  const QModelIndex current = w.View()->currentIndex();
  EXPECT_EQ(current.row(), 63);
  EXPECT_TRUE(w.View()->selectionModel()->isRowSelected(current.row(), {}));
  const QRect shown = w.View()->visualRect(current);
  EXPECT_TRUE(w.View()->viewport()->rect().contains(QRect(0, shown.top(), 1, shown.height())))
      << shown.top() << "+" << shown.height() << " in " << w.View()->viewport()->height();
}

// After the replace dialog the status bar says how many jobs changed, or that none did.
TEST_F(HostNewJob, ReplaceSaysHowManyJobsChanged) {
  MakeWorld();
  env.WriteAddInIni("[MSG]\r\nQuestion=Confirm\r\nUpdate=/1 jobs?\r\n");
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  w.SelectCell(0, w.Model()->ColumnOf("Machine"));  // Laser1: two jobs
  const auto typed = [](const char* pattern) {
    return [=](QWidget& d) {
      if (d.objectName() != "frmReplace") return false;
      d.findChild<QLineEdit*>("Text1(0)")->setText(pattern);
      kx::test::Click(d.findChild<QPushButton*>("OKButton"));
      return true;
    };
  };
  const struct {
    std::vector<kx::test::ModalStep> steps;
    const char* status;
  } runs[] = {
      {{kx::test::Press("frmReplace", "OKButton"), kx::test::Answer(QMessageBox::No)}, "Nothing changed"},
      {{typed("zz*")}, "Nothing changed"},
      {{kx::test::Press("frmReplace", "OKButton"), kx::test::Answer(QMessageBox::Yes)}, "2 jobs changed"}};
  for (const auto& run : runs) {
    kx::test::ModalScript user{run.steps};
    user.Start();
    EXPECT_EQ(w.ReplaceJobs(), 2) << ::testing::PrintToString(user.seen) << Errors();
    EXPECT_FALSE(user.timedOut) << ::testing::PrintToString(user.seen);
    EXPECT_EQ(w.StatusText().toStdString(), run.status);
  }
}

}  // namespace
}  // namespace kxhost::test
