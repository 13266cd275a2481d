#include "host_prompts.h"

#include <QMessageBox>

namespace kxhost {

void QtHostPrompts::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

bool QtHostPrompts::Ask(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

}  // namespace kxhost
