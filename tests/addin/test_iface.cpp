// IFace: properties into the shared state, run dispatch and result codes with fake dialogs.
#include <gtest/gtest.h>
#include <stdexcept>

#include "addin/IFace.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "dialogs/dialog_factory.h"
#include "fs/native_path.h"
#include "null_grid.h"
#include "test_environment.h"

namespace kx {
namespace {

struct DialogScript {
  bool retVal = false;
  bool throwOnShow = false;
  bool throwOnCreate = false;
  int shown = 0;
  std::string iniSeen;
};

class FakeDialog : public IModalDialog {
 public:
  explicit FakeDialog(DialogScript& s) : s_(s) {}
  void ShowModal() override {
    ++s_.shown;
    s_.iniSeen = Shared().gsIniFile;
    if (s_.throwOnShow) throw std::runtime_error("dialog broke");
    ret_ = s_.retVal;
  }
  bool RetVal() const override { return ret_; }

 private:
  DialogScript& s_;
  bool ret_ = false;
};

class IFaceRun : public test::EnvTest {
 protected:
  void SetUp() override {
    Install(DialogKind::NewJob, newJob);
    Install(DialogKind::Replace, replace);
  }
  void TearDown() override {
    SetDialogFactory(DialogKind::NewJob, nullptr);
    SetDialogFactory(DialogKind::Replace, nullptr);
  }
  static void Install(DialogKind kind, DialogScript& s) {
    SetDialogFactory(kind, [&s]() -> std::unique_ptr<IModalDialog> {
      if (s.throwOnCreate) throw std::runtime_error("cannot create");
      return std::make_unique<FakeDialog>(s);
    });
  }
  std::int32_t RunWith(const char* parameter) {
    IFace f;
    if (parameter) f.Parameter(parameter);
    return f.Run();
  }

  DialogScript newJob, replace;
};

TEST_F(IFaceRun, ParameterSelectsTheDialog) {
  const struct {
    const char* parameter;  // null: never set
    bool replaceDialog;
  } table[] = {{nullptr, false},     {"", false},          {"/Replace", true}, {"/replace", true},
               {"/REPLACE", true},   {" /Replace", false}, {"Replace", false}, {"/Replace ", false},
               {"/ReplaceX", false}, {"/new", false}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.parameter ? row.parameter : "(never set)");
    newJob.shown = replace.shown = 0;
    RunWith(row.parameter);
    EXPECT_EQ(replace.shown, row.replaceDialog ? 1 : 0);
    EXPECT_EQ(newJob.shown, row.replaceDialog ? 0 : 1);
  }
}

// 1 for a new job, 2 for a replace, 0 when cancelled; nothing a dialog raises escapes Run.
TEST_F(IFaceRun, ResultCodesAndNothingEscapesRun) {
  const struct {
    bool retVal, throwOnShow, throwOnCreate;
    const char* parameter;
    int result;
  } cases[] = {{false, false, false, nullptr, 0},    {true, false, false, nullptr, 1},
               {false, false, false, "/Replace", 0}, {true, false, false, "/Replace", 2},
               {true, true, false, nullptr, 0},      {true, false, true, "/replace", 0}};
  for (const auto& c : cases) {
    DialogScript& s = c.parameter ? replace : newJob;
    s.retVal = c.retVal;
    s.throwOnShow = c.throwOnShow;
    s.throwOnCreate = c.throwOnCreate;
    EXPECT_EQ(RunWith(c.parameter), c.result);
  }
  SetDialogFactory(DialogKind::NewJob, nullptr);  // no dialog at all
  EXPECT_EQ(RunWith(nullptr), 0);
}

TEST_F(IFaceRun, CreatesFsoAndAppliesFsoSettings) {
  env.WriteAddInIni("[FSO]\r\nFoldersActive=False\r\n");
  ASSERT_EQ(Shared().goFso, nullptr);
  newJob.retVal = true;
  EXPECT_EQ(RunWith(nullptr), 1);
  ASSERT_NE(Shared().goFso, nullptr);
  EXPECT_TRUE(Shared().goFso->FsoActive());
  EXPECT_FALSE(Shared().goFso->FsoFoldersActive());

  // A broken [FSO] value leaves the defaults and the dialog still opens.
  Shared().goFso.reset();
  env.WriteAddInIni("[FSO]\r\nActive=perhaps\r\n");
  newJob.shown = 0;
  EXPECT_EQ(RunWith(nullptr), 1);
  EXPECT_EQ(newJob.shown, 1);
  EXPECT_TRUE(Shared().goFso->FsoActive());
}

TEST_F(IFaceRun, PropertiesReachTheSharedStateAndEndWithTheObject) {
  auto grid = std::make_shared<test::NullGrid>();
  auto data = std::make_shared<int>(7);
  std::weak_ptr<test::NullGrid> gridAlive = grid;
  {
    IFace f;
    EXPECT_EQ(f.Parameters, "IniFile;Filename;SSDBGrid;Data;Parameter");
    f.IniFile("C:\\Host\\torvel.cfg");
    f.filename("A100.nc");
    f.SSDBGrid(grid);
    f.Data(data);
    f.Parameter("/Replace");
    grid.reset();
    EXPECT_EQ(Shared().gsIniFile + " " + Shared().gsFilename + " " + Shared().gsParameter,
              "C:\\Host\\torvel.cfg A100.nc /Replace");
    EXPECT_FALSE(gridAlive.expired());
    EXPECT_EQ(Shared().goData.get(), data.get());
    replace.retVal = true;
    EXPECT_EQ(f.Run(), 2);
    EXPECT_EQ(replace.iniSeen, "C:\\Host\\torvel.cfg");
    Shared().gsCountry = "049";
    Shared().glSubFolderCount = 2;
    Shared().glOpenRecordsetOptions = 8;
  }
  EXPECT_EQ(Shared().gsIniFile + Shared().gsFilename + Shared().gsParameter, "");
  EXPECT_TRUE(gridAlive.expired());
  EXPECT_EQ(Shared().goData, nullptr);
  EXPECT_EQ(data.use_count(), 1);
  // What the dialogs read and the file-system object stay for the next run.
  EXPECT_NE(Shared().goFso, nullptr);
  EXPECT_EQ(Shared().gsCountry + " " + std::to_string(Shared().glSubFolderCount) + " " +
                std::to_string(Shared().glOpenRecordsetOptions),
            "049 2 8");
}

}  // namespace
}  // namespace kx
