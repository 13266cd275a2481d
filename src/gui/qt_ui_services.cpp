#include "gui/qt_ui_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QWidget>

#include "core/text.h"
#include "fs/native_path.h"

namespace kx {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::Exclamation:
      return QMessageBox::Warning;
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons) {
  return buttons == MsgButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
}

QMessageBox::StandardButton ToQtDefaultButton(MsgButtons buttons) {
  return buttons == MsgButtons::YesNo ? QMessageBox::Yes : QMessageBox::Ok;
}

MsgAnswer ToMsgAnswer(int qtButton) {
  switch (qtButton) {
    case QMessageBox::Ok:
      return MsgAnswer::OK;
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    default:
      return MsgAnswer::Cancel;
  }
}

QString ToBoxText(const std::string& text) {
  return QString::fromStdString(ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\r", "\n"));
}

QString PickerStartDir(const std::string& windowsFolder) {
  if (windowsFolder.empty()) return {};
  return QString::fromStdString(ToNative(windowsFolder).string());
}

std::string PickedFolder(const QString& nativeFolder) {
  if (nativeFolder.isEmpty()) return {};
  return ToWindows(std::filesystem::path(nativeFolder.toStdString()));
}

QWidget* QtUiServices::Owner() const { return parent_ ? parent_.data() : QApplication::activeWindow(); }

MsgAnswer QtUiServices::MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                   MsgIcon icon) {
  QMessageBox box(ToQtIcon(icon), QString::fromStdString(title), ToBoxText(text), ToQtButtons(buttons),
                  Owner());
  box.setDefaultButton(ToQtDefaultButton(buttons));
  if (buttons == MsgButtons::YesNo) box.setEscapeButton(QMessageBox::No);
  return ToMsgAnswer(box.exec());
}

void QtUiServices::Beep() { QApplication::beep(); }

std::string QtUiServices::BrowseForFolder(const std::string& title, const std::string& startFolder) {
  const QString picked = QFileDialog::getExistingDirectory(
      Owner(), QString::fromStdString(title), PickerStartDir(startFolder), QFileDialog::ShowDirsOnly);
  return PickedFolder(picked);
}

}  // namespace kx
