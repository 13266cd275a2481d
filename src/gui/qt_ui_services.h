#pragma once
// Message boxes, the beep and the folder picker shown with Qt Widgets.
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <string>

#include "platform/ui_services.h"

class QWidget;

namespace kx {

class QtUiServices : public IUiServices {
 public:
  // Boxes and the picker are modal over parent (the active window when null).
  explicit QtUiServices(QWidget* parent = nullptr) : parent_(parent) {}

  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon) override;
  void Beep() override;
  std::string BrowseForFolder(const std::string& title, const std::string& startFolder) override;

 private:
  QWidget* Owner() const;
  QPointer<QWidget> parent_;
};

// The pieces of a box and the picker, kept apart from the modal calls.
QMessageBox::Icon ToQtIcon(MsgIcon icon);
QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons);
QMessageBox::StandardButton ToQtDefaultButton(MsgButtons buttons);
// What the closed box returned; a box closed without a choice is Cancel.
MsgAnswer ToMsgAnswer(int qtButton);
// Message texts break lines with "\r\n"; a Qt label wants "\n".
QString ToBoxText(const std::string& text);
// The picker opens on the native form of the start folder ("" when none is given).
QString PickerStartDir(const std::string& windowsFolder);
// The picked native folder in Windows form; "" when cancelled.
std::string PickedFolder(const QString& nativeFolder);

}  // namespace kx
