// What the host window says when the configuration, the job database or the add-in is
// missing: one clear message, no grid, and commands that refuse instead of crashing.
#include <QAction>

#include "addin_library.h"
#include "host_fixture.h"
#include "job_grid_model.h"

namespace kxhost::test {
namespace {

class HostErrors : public HostFixture {
 protected:
  void ExpectNoGrid(HostWindow& w) {
    EXPECT_EQ(w.Grid(), nullptr);
    EXPECT_EQ(w.Model()->rowCount(), 0);
    EXPECT_FALSE(w.NewJobAction()->isEnabled());
    EXPECT_FALSE(w.ReplaceAction()->isEnabled());
  }
};

TEST_F(HostErrors, MissingConfiguration) {
  Register();
  HostWindow& w = Window();
  const QString missing = QString::fromStdString((env / "none.cfg").string());
  EXPECT_FALSE(w.OpenConfiguration(missing));
  ASSERT_EQ(prompts.errors.size(), 1) << Errors();
  EXPECT_TRUE(prompts.errors[0].contains(missing)) << Errors();
  EXPECT_TRUE(prompts.errors[0].contains("does not exist")) << Errors();
  ExpectNoGrid(w);
  EXPECT_EQ(w.NewJob(), -1);  // no grid: refused with a message
  EXPECT_EQ(prompts.errors.size(), 2);
}

TEST_F(HostErrors, ConfigurationWithoutDbName) {
  Register();
  const auto cfg = env.Write("empty.cfg", "[TORVEL]\r\nCountry=49\r\n[Other]\r\nDbName=x.db\r\n");
  HostWindow& w = Window();
  EXPECT_FALSE(w.OpenConfiguration(QString::fromStdString(cfg.string())));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains("DbName")) << Errors();
  ExpectNoGrid(w);
}

TEST_F(HostErrors, MissingOrBrokenJobDatabase) {
  Register();
  HostWindow& w = Window();
  EXPECT_FALSE(Open(w));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains(QString::fromStdString(db.string()))) << Errors();
  EXPECT_TRUE(prompts.errors[0].contains("does not exist")) << Errors();
  EXPECT_FALSE(fs::exists(db));  // never created by opening
  ExpectNoGrid(w);

  env.Write("data/jobs.db", std::string(4096, 'x'));  // no database at all
  EXPECT_FALSE(Open(w));
  ASSERT_EQ(prompts.errors.size(), 2);
  EXPECT_TRUE(prompts.errors[1].contains("could not be opened")) << Errors();
  ExpectNoGrid(w);

  // Put right, the same window opens it.
  fs::remove(db);
  MakeJobs();
  EXPECT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(w.Model()->rowCount(), 3);
}

TEST_F(HostErrors, NotRegisteredAndNoLibraryToOffer) {
  MakeJobs();
  HostWindow& w = Window();
  EXPECT_FALSE(Open(w));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains("not registered")) << Errors();
  EXPECT_TRUE(prompts.errors[0].contains(AddinRegistryFile())) << Errors();
  EXPECT_TRUE(prompts.questions.isEmpty());
  ExpectNoGrid(w);
}

TEST_F(HostErrors, NotRegisteredTheLibraryBesideTheHostIsOfferedAndRegistered) {
  MakeJobs();
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

}  // namespace
}  // namespace kxhost::test
