#pragma once
// Finding, typing into and waiting for widgets of a dialog under test.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace kx::test {

// A child by its object name; a missing one throws, so the test fails with its name.
template <class T>
T& Find(const QWidget& parent, const char* name) {
  T* w = parent.findChild<T*>(QString::fromUtf8(name));
  if (!w) throw std::runtime_error(std::string("no control ") + name);
  return *w;
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

// Shows the window and waits (processing events) until it is the active one; false after 5 s.
inline bool ShowActive(QWidget& w) {
  w.show();
  QElapsedTimer t;
  t.start();
  while (!w.isActiveWindow() && t.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return w.isActiveWindow();
}

}  // namespace kx::test
