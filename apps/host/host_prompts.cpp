#include "host_prompts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace kxhost {

void QtHostPrompts::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

void QtHostPrompts::Warning(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text);
}

bool QtHostPrompts::Ask(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

void QtHostPrompts::Info(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::about(parent, title, text);
}

bool QtHostPrompts::OpenDocument(const QString& file) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

ShowOnlyPrompts::~ShowOnlyPrompts() { qDeleteAll(pending_); }

void ShowOnlyPrompts::Show(QWidget*, int icon, const QString& title, const QString& text) {
  // Without a parent: the boxes are ours to delete, whenever the window goes.
  auto* box = new QMessageBox(static_cast<QMessageBox::Icon>(icon), title, text, QMessageBox::Ok);
  box->setWindowModality(Qt::NonModal);
  box->show();
  pending_ << box;
}

void ShowOnlyPrompts::Error(QWidget* parent, const QString& title, const QString& text) {
  Show(parent, QMessageBox::Critical, title, text);
}

void ShowOnlyPrompts::Warning(QWidget* parent, const QString& title, const QString& text) {
  Show(parent, QMessageBox::Warning, title, text);
}

bool ShowOnlyPrompts::Ask(QWidget* parent, const QString& title, const QString& text) {
  Show(parent, QMessageBox::Question, title, text);
  return false;
}

void ShowOnlyPrompts::Info(QWidget* parent, const QString& title, const QString& text) {
  Show(parent, QMessageBox::Information, title, text);
}

}  // namespace kxhost
