#pragma once
// A host window over a temp job database, with scripted message boxes and the add-in
// registered in a temp registry file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

#include "addin_loader.h"
#include "host_prompts.h"
#include "host_window.h"
#include "job_database.h"

namespace kxhost::test {

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

}  // namespace kxhost::test
