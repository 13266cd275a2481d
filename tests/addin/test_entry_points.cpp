// The library as a host sees it: dlopen, the C entry points and nothing else; the objects,
// registration and the job grid.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "addin_loader.h"
#include "test_environment.h"

namespace {

namespace fs = std::filesystem;

using kx::test::FakeDialog;

int g_released = 0;
void CountRelease(void*) { ++g_released; }

class CEntryPoints : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(api.Loaded());
    ASSERT_EQ(api.testing_set_dialog(KX_DIALOG_NEW_JOB, FakeDialog::Play, &newJob), KX_OK);
    ASSERT_EQ(api.testing_set_dialog(KX_DIALOG_REPLACE, FakeDialog::Play, &replace), KX_OK);
    g_released = 0;
  }
  void TearDown() override {
    if (api.Loaded()) {
      api.testing_set_dialog(KX_DIALOG_NEW_JOB, nullptr, nullptr);
      api.testing_set_dialog(KX_DIALOG_REPLACE, nullptr, nullptr);
    }
  }
  kx_object* Create() {
    kx_object* o = nullptr;
    EXPECT_EQ(api.create_object("Kestrafix.IFace", &o), KX_OK);
    return o;
  }
  std::string Parameters(kx_object* o) {
    char buf[128];
    size_t needed = 0;
    EXPECT_EQ(api.object_get_string(o, "Parameters", buf, sizeof buf, &needed), KX_OK);
    return buf;
  }

  kx::test::TestEnvironment env;
  kx::test::AddinLibrary api;
  FakeDialog newJob, replace;
};

// Properties by name without case reach the dialog; handles go back once, also when replaced or
// cleared; a failing dialog gives 0; the next object starts clean. (Which dialog a parameter
// opens and the result codes are IFace's, tested there.)
TEST_F(CEntryPoints, PropertiesReachTheDialogAndHandlesGoBackOnce) {
  kx_object* o = Create();
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(Parameters(o), "IniFile;Filename;SSDBGrid;Data;Parameter");
  int grid = 0, data = 0, other = 0;
  EXPECT_EQ(api.object_put_string(o, "IniFile", "C:\\Host\\torvel.cfg"), KX_OK);
  EXPECT_EQ(api.object_put_string(o, "filename", "A100.nc"), KX_OK);
  EXPECT_EQ(api.object_put_object(o, "SSDBGrid", &grid, CountRelease), KX_OK);
  EXPECT_EQ(api.object_put_object(o, "Data", &other, CountRelease), KX_OK);
  EXPECT_EQ(api.object_put_object(o, "data", &data, CountRelease), KX_OK);  // the first goes back
  EXPECT_EQ(g_released, 1);
  EXPECT_EQ(api.object_put_string(o, "Parameter", nullptr), KX_OK);
  newJob.retVal = 1;
  int32_t result = -1;
  EXPECT_EQ(api.object_run(o, &result), KX_OK);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(newJob.ini, "C:\\Host\\torvel.cfg");
  EXPECT_EQ(newJob.filename, "A100.nc");
  EXPECT_EQ(newJob.parameter, "");
  EXPECT_EQ(newJob.seen.data_handle, &data);
  EXPECT_EQ(newJob.seen.has_grid, 0);  // a foreign handle is kept, but it is no grid of ours
  EXPECT_EQ(api.object_put_string(o, "PARAMETER", "/replace"), KX_OK);
  replace.retVal = -1;  // the dialog fails
  EXPECT_EQ(api.object_run(o, &result), KX_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(replace.parameter, "/replace");
  api.object_put_object(o, "Data", nullptr, nullptr);  // cleared: handed back
  EXPECT_EQ(g_released, 2);
  EXPECT_EQ(api.object_release(o), KX_OK);
  EXPECT_EQ(g_released, 3);

  kx_object* next = Create();
  newJob.retVal = 0;
  EXPECT_EQ(api.object_run(next, &result), KX_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(newJob.ini, "");
  EXPECT_EQ(newJob.seen.data_handle, nullptr);
  api.object_release(next);
}

TEST_F(CEntryPoints, BadCallsGiveCodesNotCrashes) {
  kx_object* o = nullptr;
  EXPECT_EQ(api.create_object("Kestrafix.Other", &o), KX_E_CLASS_NOT_AVAILABLE);
  EXPECT_EQ(o, nullptr);
  EXPECT_EQ(api.create_object(nullptr, &o), KX_E_CLASS_NOT_AVAILABLE);
  EXPECT_EQ(api.create_object("Kestrafix.IFace", nullptr), KX_E_INVALID_ARG);
  ASSERT_EQ(api.create_object("kestrafix.iface", &o), KX_OK);
  EXPECT_EQ(api.object_put_string(o, "Color", "red"), KX_E_UNKNOWN_NAME);
  EXPECT_EQ(api.object_put_string(o, nullptr, "x"), KX_E_INVALID_ARG);
  EXPECT_EQ(api.object_put_object(o, "IniFile", o, nullptr), KX_E_UNKNOWN_NAME);
  char small[4];
  size_t needed = 0;
  EXPECT_EQ(api.object_get_string(o, "Parameters", small, sizeof small, &needed), KX_E_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, sizeof "IniFile;Filename;SSDBGrid;Data;Parameter");
  EXPECT_EQ(api.object_get_string(o, "IniFile", small, sizeof small, nullptr), KX_E_WRITE_ONLY);
  EXPECT_EQ(api.object_get_string(o, "Nope", small, sizeof small, nullptr), KX_E_UNKNOWN_NAME);
  EXPECT_EQ(api.object_run(o, nullptr), KX_E_INVALID_ARG);
  EXPECT_EQ(api.object_run(nullptr, nullptr), KX_E_INVALID_ARG);
  EXPECT_EQ(api.object_release(nullptr), KX_E_INVALID_ARG);
  EXPECT_EQ(api.testing_set_dialog(7, FakeDialog::Play, nullptr), KX_E_INVALID_ARG);
  api.object_release(o);

  env.Unset("KX_TEST_MODE");
  EXPECT_EQ(api.testing_set_dialog(KX_DIALOG_NEW_JOB, FakeDialog::Play, &newJob), KX_E_ACCESS_DENIED);
}

TEST_F(CEntryPoints, UnloadOnlyWhenNothingLives) {
  EXPECT_EQ(api.can_unload_now(), 1);
  kx_class_factory* f = nullptr;
  ASSERT_EQ(api.get_class_object("Kestrafix.IFace", &f), KX_OK);
  EXPECT_EQ(api.can_unload_now(), 0);
  kx_object* o = nullptr;
  ASSERT_EQ(api.factory_create_instance(f, &o), KX_OK);
  EXPECT_EQ(api.factory_lock_server(f, 1), KX_OK);
  EXPECT_EQ(api.factory_release(f), KX_OK);  // its lock ends with it
  EXPECT_EQ(api.can_unload_now(), 0);        // the object still lives
  EXPECT_EQ(api.object_add_ref(o), KX_OK);
  EXPECT_EQ(api.object_release(o), KX_OK);
  EXPECT_EQ(api.can_unload_now(), 0);
  EXPECT_EQ(api.object_release(o), KX_OK);
  EXPECT_EQ(api.can_unload_now(), 1);

  ASSERT_EQ(api.get_class_object("Kestrafix.IFace", &f), KX_OK);
  EXPECT_EQ(api.factory_lock_server(f, 1), KX_OK);
  EXPECT_EQ(api.factory_lock_server(f, 0), KX_OK);
  EXPECT_EQ(api.factory_lock_server(f, 0), KX_E_INVALID_ARG);  // not locked
  EXPECT_EQ(api.factory_release(f), KX_OK);
  EXPECT_EQ(api.can_unload_now(), 1);
}

TEST_F(CEntryPoints, RegistrationWritesAndRemovesTheRegistryEntry) {
  const fs::path registry = env / "xdg-config/kestrafix/addins.ini";
  // Another add-in's entry must survive.
  env.Write("xdg-config/kestrafix/addins.ini", "[Other.Thing]\r\nLibrary=/opt/other.so\r\n");
  ASSERT_EQ(api.register_server(), KX_OK);
  const std::string text = kx::test::ReadAll(registry);
  EXPECT_NE(text.find("[Other.Thing]\r\nLibrary=/opt/other.so\r\n"), std::string::npos);
  const auto at = text.find("[Kestrafix.IFace]\r\nLibrary=");
  ASSERT_NE(at, std::string::npos) << text;
  std::string lib = text.substr(at + sizeof "[Kestrafix.IFace]\r\nLibrary=" - 1);
  lib = lib.substr(0, lib.find('\r'));
  EXPECT_TRUE(fs::equivalent(lib, kx::test::AddinLibraryFile())) << lib;
  EXPECT_TRUE(fs::path(lib).is_absolute());
  ASSERT_EQ(api.register_server(), KX_OK);  // again: still one entry
  EXPECT_EQ(kx::test::ReadAll(registry), text);

  ASSERT_EQ(api.unregister_server(), KX_OK);
  EXPECT_EQ(kx::test::ReadAll(registry).find("Kestrafix"), std::string::npos);
  EXPECT_NE(kx::test::ReadAll(registry).find("[Other.Thing]"), std::string::npos);
  EXPECT_EQ(api.unregister_server(), KX_OK);

  // Without XDG_CONFIG_HOME the file goes below $HOME/.config.
  env.Unset("XDG_CONFIG_HOME");
  ASSERT_EQ(api.register_server(), KX_OK);
  EXPECT_NE(kx::test::ReadAll(env / "home/.config/kestrafix/addins.ini").find("[Kestrafix.IFace]"),
            std::string::npos);
}

// A host that loads the library through a link finds the add-in's files beside the link:
// its documents mirror (where the add-in INI lies) follows the path the host used.
TEST(HostProcess, ALibraryLoadedThroughALinkIsWhereTheHostPutIt) {
  kx::test::TestEnvironment env;
  env.Unset("KESTRAFIX_ADDIN_PATH");
  const fs::path link = env.MakeDir("Host/AddIns/Kx") / "libkestrafix.so";
  fs::create_symlink(kx::test::AddinLibraryFile(), link);
  ASSERT_EQ(std::system(("'" KX_C_HOST "' '" + link.string() + "' >/dev/null").c_str()), 0);
  EXPECT_TRUE(fs::is_directory(env / "documents/Host/AddIns/Kx"));
}

// A stale DISPLAY (nothing answers on :99): Run shows nothing, gives 0, and the host lives on.
TEST(HostProcess, RunWithoutAReachableDisplayLeavesTheHostRunning) {
  kx::test::TestEnvironment env;
  const std::string command =
      "env -u KX_TEST_MODE -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:99 '" KX_C_HOST "' '" +
      std::string(kx::test::AddinLibraryFile()) + "' --real-dialog >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(CEntryPoints, OnlyTheCEntryPointsAreExported) {
  EXPECT_EQ(api.api_version(), KX_API_VERSION);
  EXPECT_EQ(dlsym(api.Handle(), "_ZN2kx6SharedEv"), nullptr);  // kx::Shared()
  EXPECT_EQ(dlsym(api.Handle(),
                  "_ZN2kx15SetDialogFactoryENS_10DialogKindESt8functionIFSt10unique_ptrINS_"
                  "12IModalDialogESt14default_deleteIS3_EEvEE"),
            nullptr);
}

// A job table written with plain SQLite, as another tool of the shop would.
void Exec(const fs::path& db, const std::string& sql) {
  sqlite3* h = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
  char* err = nullptr;
  const int rc = sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err);
  EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "");
  sqlite3_free(err);
  sqlite3_close(h);
}

class GridCApi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(api.Loaded());
    db = env / "jobs.db";
    Exec(db,
         "create table NCDATA (ID integer primary key, Filename text, ProgramNumber text, "
         "Version integer, Materialthickness double);"
         "insert into NCDATA (Filename, ProgramNumber, Version, Materialthickness) values "
         "('A100', '100', 1, 2.5), ('B7', null, 3, null), ('Zürich', '12', null, 10);");
  }
  void TearDown() override {
    if (grid) api.grid_release(grid);
  }
  void OpenGrid() { ASSERT_EQ(api.grid_open_job_table(db.c_str(), &grid), KX_OK) << LastError(); }
  std::string LastError() {
    char buf[512] = "";
    api.last_error(buf, sizeof buf, nullptr);
    return buf;
  }
  std::string Cell(int32_t row, int32_t col) {
    char buf[64] = "?";
    EXPECT_EQ(api.grid_cell_text(grid, row, col, buf, sizeof buf, nullptr), KX_OK);
    return buf;
  }
  int Kind(int32_t row, int32_t col) {
    int k = -1;
    EXPECT_EQ(api.grid_cell_kind(grid, row, col, &k), KX_OK);
    return k;
  }
  std::string Caption(int32_t col) {
    char buf[64] = "?";
    EXPECT_EQ(api.grid_column_caption(grid, col, buf, sizeof buf, nullptr), KX_OK);
    return buf;
  }
  std::pair<int32_t, int32_t> Current() {
    int32_t r = -7, c = -7;
    EXPECT_EQ(api.grid_current(grid, &r, &c), KX_OK);
    return {r, c};
  }

  kx::test::TestEnvironment env;
  kx::test::AddinLibrary api;
  fs::path db;
  kx_grid* grid = nullptr;
};

TEST_F(GridCApi, RowsColumnsAndCellsOfTheJobTable) {
  OpenGrid();
  int32_t rows = 0, cols = 0;
  ASSERT_EQ(api.grid_row_count(grid, &rows), KX_OK);
  ASSERT_EQ(api.grid_column_count(grid, &cols), KX_OK);
  EXPECT_EQ(rows, 3);
  ASSERT_EQ(cols, 4);  // the integer key is the bookmark, not a column
  const char* names[] = {"Filename", "ProgramNumber", "Version", "Materialthickness"};
  for (int32_t c = 0; c < cols; ++c) {
    char buf[64];
    size_t needed = 0;
    ASSERT_EQ(api.grid_column_name(grid, c, buf, sizeof buf, &needed), KX_OK);
    EXPECT_STREQ(buf, names[c]);
    EXPECT_EQ(needed, std::string(names[c]).size() + 1);
    EXPECT_EQ(Caption(c), names[c]);  // no captions set: the names
  }
  EXPECT_EQ(Cell(0, 0) + "|" + Cell(2, 0) + "|" + Cell(0, 3) + "|" + Cell(1, 1), "A100|Zürich|2.5|");
  // A number stored as text stays text.
  EXPECT_EQ((std::vector<int>{Kind(0, 0), Kind(0, 2), Kind(0, 3), Kind(1, 1), Kind(2, 1)}),
            (std::vector<int>{KX_CELL_TEXT, KX_CELL_NUMBER, KX_CELL_NUMBER, KX_CELL_NULL, KX_CELL_TEXT}));

  char small[3];
  size_t needed = 0;
  EXPECT_EQ(api.grid_cell_text(grid, 2, 0, small, sizeof small, &needed), KX_E_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, sizeof "Zürich");
}

TEST_F(GridCApi, CurrentRowAndColumnFollowTheHostAndSurviveRefresh) {
  OpenGrid();
  EXPECT_EQ(Current(), std::make_pair(0, -1));
  EXPECT_EQ(api.grid_set_row(grid, 2), KX_OK);
  EXPECT_EQ(api.grid_set_col(grid, 1), KX_OK);
  EXPECT_EQ(Current(), std::make_pair(2, 1));
  for (const int32_t row : {3, -1}) EXPECT_EQ(api.grid_set_row(grid, row), KX_E_INVALID_ARG);
  for (const int32_t col : {4, -2}) EXPECT_EQ(api.grid_set_col(grid, col), KX_E_INVALID_ARG);
  EXPECT_EQ(Current(), std::make_pair(2, 1));  // refused moves change nothing
  EXPECT_EQ(api.grid_set_col(grid, -1), KX_OK);
  EXPECT_EQ(Current().second, -1);

  // Another program changes the table: refresh shows it and keeps the current job.
  Exec(db, "delete from NCDATA where Filename = 'A100'; insert into NCDATA (Filename) values ('C9');");
  EXPECT_EQ(api.grid_refresh(grid), KX_OK);
  int32_t rows = 0;
  api.grid_row_count(grid, &rows);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(Current().first, 1);
  EXPECT_EQ(Cell(1, 0), "Zürich");
  EXPECT_EQ(Cell(2, 0), "C9");

  // The current job deleted: the first row becomes current.
  Exec(db, "delete from NCDATA where Filename = 'Zürich';");
  EXPECT_EQ(api.grid_refresh(grid), KX_OK);
  EXPECT_EQ(Current().first, 0);
  EXPECT_EQ(api.grid_cell_text(grid, 2, 0, nullptr, 0, nullptr), KX_E_INVALID_ARG);
}

TEST_F(GridCApi, MissingOrForeignDatabasesGiveCodesAndTexts) {
  kx_grid* g = reinterpret_cast<kx_grid*>(&env);
  EXPECT_EQ(api.grid_open_job_table((env / "none.db").c_str(), &g), KX_E_NOT_FOUND);
  EXPECT_EQ(g, nullptr);
  EXPECT_NE(LastError().find("none.db"), std::string::npos) << LastError();
  EXPECT_FALSE(fs::exists(env / "none.db"));  // nothing created

  Exec(env / "other.db", "create table Other (x text);");
  EXPECT_EQ(api.grid_open_job_table((env / "other.db").c_str(), &g), KX_E_ENGINE);
  EXPECT_EQ(g, nullptr);
  EXPECT_FALSE(LastError().empty());
  env.Write("text.db", "this is no database, only a text file that is long enough to have a header");
  EXPECT_EQ(api.grid_open_job_table((env / "text.db").c_str(), &g), KX_E_ENGINE);

  EXPECT_EQ(api.grid_open_job_table(nullptr, &g), KX_E_INVALID_ARG);
  EXPECT_EQ(api.grid_open_job_table("", &g), KX_E_INVALID_ARG);
  EXPECT_EQ(api.grid_open_job_table(db.c_str(), nullptr), KX_E_INVALID_ARG);

  // Pointers the library did not make are refused by every grid call.
  int foreign = 0;
  auto* f = reinterpret_cast<kx_grid*>(&foreign);
  int32_t n = 0;
  EXPECT_EQ(api.grid_row_count(f, &n), KX_E_INVALID_ARG);
  EXPECT_EQ(api.grid_set_row(f, 0), KX_E_INVALID_ARG);
  EXPECT_EQ(api.grid_refresh(nullptr), KX_E_INVALID_ARG);
  EXPECT_EQ(api.grid_set_caption_fn(f, nullptr, nullptr), KX_E_INVALID_ARG);
  EXPECT_EQ(api.grid_release(f), KX_E_INVALID_ARG);

  // The database vanishes under an open grid: refresh reports it, the rows read stay.
  OpenGrid();
  fs::remove(db);
  EXPECT_EQ(api.grid_refresh(grid), KX_E_NOT_FOUND);
  api.grid_row_count(grid, &n);
  EXPECT_EQ(n, 3);
}

const char* UpperCaption(void* context, const char* column) {
  ++*static_cast<int*>(context);
  return std::string(column) == "Version" ? "VERSION" : nullptr;
}

TEST_F(GridCApi, CaptionsFromTheHostOrFromTheMessageFile) {
  OpenGrid();
  int calls = 0;
  ASSERT_EQ(api.grid_set_caption_fn(grid, UpperCaption, &calls), KX_OK);
  EXPECT_EQ(Caption(2), "VERSION");
  EXPECT_EQ(Caption(0), "Filename");  // NULL: the name
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(api.grid_set_caption_fn(grid, nullptr, nullptr), KX_OK);
  EXPECT_EQ(Caption(2), "Version");

  // The message file of the host configuration: <app>/ResStr/<base>.<country>.
  const auto ini = env.Write("host/Work.cfg", "[TORVEL]\nCountry=44\n");
  EXPECT_EQ(api.grid_use_message_captions(grid, ini.c_str()), KX_E_NOT_FOUND);
  EXPECT_NE(LastError().find("Work.044"), std::string::npos) << LastError();
  EXPECT_EQ(Caption(0), "Filename");
  env.Write("host/ResStr/Work.044",
            "NcData.Filename.Caption=File name\nNCDATA.version.caption=Issue\n"
            "NcData.ProgramNumber.Caption=\nNcData.Filename=no caption key\n");
  ASSERT_EQ(api.grid_use_message_captions(grid, ini.c_str()), KX_OK) << LastError();
  EXPECT_EQ(Caption(0), "File name");
  EXPECT_EQ(Caption(1), "ProgramNumber");  // empty text: the name
  EXPECT_EQ(Caption(2), "Issue");          // keys without case
  EXPECT_EQ(Caption(3), "Materialthickness");
}

TEST_F(GridCApi, TheHostsHandleIsTheDialogsGridAndOutlivesEitherOwner) {
  OpenGrid();
  kx::test::FakeDialog seen;
  ASSERT_EQ(api.testing_set_dialog(KX_DIALOG_NEW_JOB, kx::test::FakeDialog::Play, &seen), KX_OK);
  kx_object* o = nullptr;
  ASSERT_EQ(api.create_object(KX_PROGID, &o), KX_OK);
  ASSERT_EQ(api.object_put_object(o, "SSDBGrid", grid, nullptr), KX_OK);
  // The host lets its handle go first; the object keeps the grid for the run.
  EXPECT_EQ(api.grid_release(grid), KX_OK);
  grid = nullptr;
  int32_t result = -1;
  EXPECT_EQ(api.object_run(o, &result), KX_OK);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(seen.seen.has_grid, 1);
  EXPECT_EQ(api.object_release(o), KX_OK);
  api.testing_set_dialog(KX_DIALOG_NEW_JOB, nullptr, nullptr);
}

}  // namespace
