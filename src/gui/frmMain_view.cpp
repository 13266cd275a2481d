// The new-job dialog's controls by name, as the record creation reads and writes them.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "gui/db_combo.h"
#include "gui/frmMain.h"
#include "gui/mnemonics.h"

namespace kx {

namespace {

[[noreturn]] void NoSuchControl(std::string_view name, const char* kind) {
  throw KxError(340, "Kestrafix", "Control '" + std::string(name) + "' is no " + kind + " of frmMain");
}

}  // namespace

QWidget& frmMain::Control(std::string_view name) const {
  auto* w = findChild<QWidget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  if (!w) NoSuchControl(name, "control");
  return *w;
}

DbCombo& frmMain::List(std::string_view name) const {
  auto* list = qobject_cast<DbCombo*>(&Control(name));
  if (!list) NoSuchControl(name, "list");
  return *list;
}

std::string frmMain::Text(std::string_view control) const {
  QWidget& w = Control(control);
  if (auto* t = qobject_cast<QLineEdit*>(&w)) return t->text().toStdString();
  if (auto* l = qobject_cast<DbCombo*>(&w)) return l->Text();
  NoSuchControl(control, "text box");
}

void frmMain::SetText(std::string_view control, const std::string& text) {
  auto* t = qobject_cast<QLineEdit*>(&Control(control));
  if (!t) NoSuchControl(control, "text box");
  t->setText(QString::fromStdString(text));
}

void frmMain::Select(std::string_view control, int start, int length) {
  auto* t = qobject_cast<QLineEdit*>(&Control(control));
  if (!t) NoSuchControl(control, "text box");
  t->setSelection(start, length);
}

Variant frmMain::ListValue(std::string_view control) const { return Variant(List(control).Value()); }

std::string frmMain::ListText(std::string_view control) const { return List(control).Text(); }

bool frmMain::ListIsItemInList(std::string_view control) const { return List(control).IsItemInList(); }

std::string frmMain::Caption(std::string_view control) const {
  // As read, without the mnemonic marker: messages put captions into sentences.
  QWidget& w = Control(control);
  if (auto* b = qobject_cast<QAbstractButton*>(&w)) return WithoutMnemonic(b->text()).toStdString();
  if (auto* l = qobject_cast<QLabel*>(&w)) return WithoutMnemonic(l->text()).toStdString();
  NoSuchControl(control, "captioned control");
}

bool frmMain::Checked(std::string_view control) const {
  auto* c = qobject_cast<QCheckBox*>(&Control(control));
  if (!c) NoSuchControl(control, "check box");
  return c->isChecked();
}

void frmMain::Focus(std::string_view control) {
  QWidget& w = Control(control);
  if (auto* l = qobject_cast<DbCombo*>(&w)) {
    l->SetFocus();
  } else {
    w.setFocus(Qt::OtherFocusReason);
  }
}

}  // namespace kx
