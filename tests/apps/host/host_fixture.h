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

#include "host_prompts.h"
#include "host_window.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "temp_dir.h"

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

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KX_TEST_MODE", "1", 1);  // the fake-dialog seam
    setenv("XDG_CONFIG_HOME", (tmp / "xdg").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (tmp / "xdg-dirs").c_str(), 1);
    setenv("HOME", (tmp / "home").c_str(), 1);
    unsetenv("KESTRAFIX_DRIVE_MAP");
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (tmp / "docs").c_str(), 1);
    setenv("KESTRAFIX_COMMON_APPDATA", (tmp / "appdata").c_str(), 1);
    setenv("KESTRAFIX_PROGRAM_FILES", (tmp / "pf").c_str(), 1);
    setenv("KESTRAFIX_ADDIN_PATH", (tmp / "Host/AddIns/Kx").c_str(), 1);
    db = tmp / "jobs.db";
    config = tmp.Write("Host/torvel.cfg", "[TORVEL]\r\nDbName=" + db.string() + "\r\nCountry=44\r\n");
  }
  void TearDown() override {
    if (window && window->Api()) {
      window->Api()->testing_set_dialog(KX_DIALOG_NEW_JOB, nullptr, nullptr);
      window->Api()->testing_set_dialog(KX_DIALOG_REPLACE, nullptr, nullptr);
    }
    window.reset();
  }

  // Three jobs whose versions sort differently as numbers and as texts.
  void MakeJobs() {
    kx::CreateJobDatabase(db.string());
    Execute(
        "insert into NcData (Filename, ProgramNumber, Machine, Version) values "
        "('A100', '100', 'Laser1', 9), ('b200', '200', 'Laser2', 100), ('C300', '300', 'Laser1', 10)");
  }
  void Execute(const std::string& sql) {
    auto d = kx::Engine().OpenDatabase(db.string());
    d->Execute(sql);
    d->Close();
  }
  void Register(const std::string& library = KX_ADDIN_LIBRARY) {
    tmp.Write("xdg/kestrafix/addins.ini", "[Kestrafix.IFace]\r\nLibrary=" + library + "\r\n");
  }
  HostWindow& Window(QString candidate = {}) {
    window = std::make_unique<HostWindow>(HostOptions{std::move(candidate)}, prompts);
    return *window;
  }
  std::string Errors() const { return prompts.errors.join(QStringLiteral(" | ")).toStdString(); }

  kx::test::TempDir tmp;
  fs::path db;
  fs::path config;
  ScriptedPrompts prompts;
  std::unique_ptr<HostWindow> window;
};

}  // namespace kxhost::test
