// The library as a host sees it: dlopen, the C entry points and nothing else.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

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

TEST_F(CEntryPoints, OnlyTheCEntryPointsAreExported) {
  EXPECT_EQ(api.api_version(), KX_API_VERSION);
  EXPECT_EQ(dlsym(api.Handle(), "_ZN2kx6SharedEv"), nullptr);  // kx::Shared()
  EXPECT_EQ(dlsym(api.Handle(),
                  "_ZN2kx15SetDialogFactoryENS_10DialogKindESt8functionIFSt10unique_ptrINS_"
                  "12IModalDialogESt14default_deleteIS3_EEvEE"),
            nullptr);
}

}  // namespace
