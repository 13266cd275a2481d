#pragma once
// Small helpers for driving the new-job dialog in tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "gui/db_combo.h"
#include "gui/frmMain.h"

namespace kx::test {

template <class T>
T& Find(const QWidget& dialog, const char* name) {
  T* w = dialog.findChild<T*>(QString::fromUtf8(name));
  if (!w) throw std::runtime_error(std::string("no control ") + name);
  return *w;
}

inline std::string TextOf(const QWidget& d, const char* name) {
  return Find<QLineEdit>(d, name).text().toStdString();
}
inline DbCombo& ListOf(const QWidget& d, const char* name) { return Find<DbCombo>(d, name); }

// Rows of a list by one column.
inline std::vector<std::string> RowsOf(const DbCombo& list, int column = 0) {
  std::vector<std::string> rows;
  for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.CellText(column, r));
  return rows;
}

// Key presses into a widget, one character at a time, as typing sends them.
inline void TypeInto(QWidget& w, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&w, &press);
    QApplication::sendEvent(&w, &release);
  }
}

// Waits (processing events) until the window is the active one; false after 5 seconds.
inline bool WaitActive(QWidget& w) {
  QElapsedTimer t;
  t.start();
  while (!w.isActiveWindow() && t.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return w.isActiveWindow();
}

// Captions the host grid shows: "Cap " and the column's name.
inline std::string GridCaption(std::string_view column) { return "Cap " + std::string(column); }

// A world with the host configuration written and two machines stored.
class FrmMainTest : public DialogWorld {
 protected:
  void SetUp() override {
    DialogWorld::SetUp();
    AddMachine("M2");
    AddMachine("M1");
  }
};

}  // namespace kx::test
