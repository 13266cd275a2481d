#pragma once
// Message boxes of the host window. Tests put a scripted implementation in, so that no
// modal box ever blocks them.
#include <QString>

class QWidget;

namespace kxhost {

class HostPrompts {
 public:
  virtual ~HostPrompts() = default;
  virtual void Error(QWidget* parent, const QString& title, const QString& text) = 0;
  // A yes/no question; true for yes.
  virtual bool Ask(QWidget* parent, const QString& title, const QString& text) = 0;
};

class QtHostPrompts : public HostPrompts {
 public:
  void Error(QWidget* parent, const QString& title, const QString& text) override;
  bool Ask(QWidget* parent, const QString& title, const QString& text) override;
};

}  // namespace kxhost
