#include "gui/status_panel.h"

#include <QLabel>
#include <QResizeEvent>
#include <QStatusBar>

namespace kx {

namespace {

constexpr const char* kPanelName = "Panels(1)";

// Never cut at the window's edge: a text too long for the panel ends in "…" and the panel's
// tool tip holds all of it.
class Panel : public QLabel {
 public:
  explicit Panel(QWidget* parent) : QLabel(parent) {
    setObjectName(kPanelName);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // the bar's width, not the text's
  }
  void SetFullText(const QString& text) {
    full_ = text;
    Fit();
  }
  const QString& FullText() const { return full_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Fit();
  }

 private:
  void Fit() {
    QString line = full_;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace('\n', ' ');
    const QString shown = fontMetrics().elidedText(line, Qt::ElideRight, contentsRect().width());
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
  }
  QString full_;
};

}  // namespace

void ShowStatus(QStatusBar& bar, const std::string& text) {
  auto* panel = dynamic_cast<Panel*>(bar.findChild<QLabel*>(kPanelName, Qt::FindDirectChildrenOnly));
  if (!panel) {
    panel = new Panel(&bar);
    bar.addWidget(panel, 1);
  }
  panel->SetFullText(QString::fromStdString(text));
}

std::string StatusText(const QStatusBar& bar) {
  const auto* panel =
      dynamic_cast<const Panel*>(bar.findChild<QLabel*>(kPanelName, Qt::FindDirectChildrenOnly));
  return panel ? panel->FullText().toStdString() : std::string();
}

}  // namespace kx
