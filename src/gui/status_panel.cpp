#include "gui/status_panel.h"

#include <QLabel>
#include <QStatusBar>

namespace kx {

namespace {
constexpr const char* kPanelName = "Panels(1)";
}

void ShowStatus(QStatusBar& bar, const std::string& text) {
  auto* panel = bar.findChild<QLabel*>(kPanelName, Qt::FindDirectChildrenOnly);
  if (!panel) {
    panel = new QLabel(&bar);
    panel->setObjectName(kPanelName);
    panel->setTextFormat(Qt::PlainText);
    bar.addWidget(panel, 1);
  }
  panel->setText(QString::fromStdString(text));
}

std::string StatusText(const QStatusBar& bar) {
  const auto* panel = bar.findChild<QLabel*>(kPanelName, Qt::FindDirectChildrenOnly);
  return panel ? panel->text().toStdString() : std::string();
}

}  // namespace kx
