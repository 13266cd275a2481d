#pragma once
// Plays the user in modal windows from a timer: one step per window, each acting on the window
// it expects and returning false while the active modal window is not yet the one it wants.
// It records what it acted on (object names, message box texts) and after about ten seconds
// rejects whatever is open, so a test that waits in vain still ends.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace kx::test {

using ModalStep = std::function<bool(QWidget& modal)>;

struct ModalScript {
  explicit ModalScript(std::vector<ModalStep> s = {}) : steps(std::move(s)) {}
  std::vector<ModalStep> steps;
  std::size_t next = 0;
  int ticks = 0;
  std::vector<std::string> seen;
  bool timedOut = false;

  // Plays on the running application's event loop.
  void Start() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [this, timer] {
      if (next >= steps.size()) return timer->deleteLater();
      QWidget* modal = QApplication::activeModalWidget();
      if (++ticks > 500) {
        timedOut = true;
        if (auto* d = qobject_cast<QDialog*>(modal))
          QMetaObject::invokeMethod(d, &QDialog::reject, Qt::QueuedConnection);
        return;
      }
      if (!modal || !steps[next](*modal)) return;
      auto* box = qobject_cast<QMessageBox*>(modal);
      seen.push_back(box ? box->text().toStdString() : modal->objectName().toStdString());
      ++next;
    });
    timer->start(20);
  }
};

// A click from the event loop, not from inside the timer: it may open a nested modal loop.
inline void Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

inline ModalStep Press(const char* window, const char* button) {
  return [=](QWidget& w) {
    if (w.objectName() != window) return false;
    Click(w.findChild<QPushButton*>(button));
    return true;
  };
}

inline ModalStep Answer(QMessageBox::StandardButton answer) {
  return [=](QWidget& w) {
    auto* box = qobject_cast<QMessageBox*>(&w);
    if (box) Click(box->button(answer));
    return box != nullptr;
  };
}

// Picks a row of a list of the window as a user does, once the list has it.
inline ModalStep Pick(const char* window, const char* list, const QString& text = {}) {
  return [=](QWidget& w) {
    auto* combo = w.objectName() == window ? w.findChild<QComboBox*>(list) : nullptr;
    const int row = !combo ? -1 : text.isNull() ? (combo->count() > 0 ? 0 : -1) : combo->findText(text);
    if (row < 0) return false;
    combo->setCurrentIndex(row);
    emit combo->activated(row);
    return true;
  };
}

}  // namespace kx::test
