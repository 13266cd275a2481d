#pragma once
// What the host window shows beside itself: message boxes and the desktop's viewer for the
// user guide. Tests put a scripted implementation in, so that nothing ever blocks them.
#include <QList>
#include <QString>

class QMessageBox;
class QWidget;

namespace kxhost {

class HostPrompts {
 public:
  virtual ~HostPrompts() = default;
  virtual void Error(QWidget* parent, const QString& title, const QString& text) = 0;
  // Something the window works without, but worse.
  virtual void Warning(QWidget* parent, const QString& title, const QString& text) = 0;
  // A yes/no question; true for yes.
  virtual bool Ask(QWidget* parent, const QString& title, const QString& text) = 0;
  virtual void Info(QWidget* parent, const QString& title, const QString& text) = 0;
  // Opens a document in the desktop's viewer; false when none could.
  virtual bool OpenDocument(const QString& file) = 0;
};

class QtHostPrompts : public HostPrompts {
 public:
  void Error(QWidget* parent, const QString& title, const QString& text) override;
  void Warning(QWidget* parent, const QString& title, const QString& text) override;
  bool Ask(QWidget* parent, const QString& title, const QString& text) override;
  void Info(QWidget* parent, const QString& title, const QString& text) override;
  bool OpenDocument(const QString& file) override;
};

// For a screenshot: every box is shown without waiting for it (a question counts as No) and
// kept, so the picture can show it and the program can say a message was pending.
class ShowOnlyPrompts : public HostPrompts {
 public:
  ~ShowOnlyPrompts() override;
  void Error(QWidget* parent, const QString& title, const QString& text) override;
  void Warning(QWidget* parent, const QString& title, const QString& text) override;
  bool Ask(QWidget* parent, const QString& title, const QString& text) override;
  void Info(QWidget* parent, const QString& title, const QString& text) override;
  bool OpenDocument(const QString&) override { return false; }

  const QList<QMessageBox*>& Pending() const { return pending_; }

 private:
  void Show(QWidget* parent, int icon, const QString& title, const QString& text);
  QList<QMessageBox*> pending_;
};

}  // namespace kxhost
