#include "gui/qt_placement_window.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <optional>

namespace kx {

namespace {

// A screen that reports no DPI is taken as the common 96.
double DpiOrDefault(int dpi) { return dpi > 0 ? dpi : 96.0; }

}  // namespace

float TwipsFromPixels(int pixels, double dpi) {
  return static_cast<float>(std::round(pixels * kTwipsPerInch / dpi));
}

int PixelsFromTwips(float twips, double dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

std::string QtPlacementWindow::Name() const { return window_.objectName().toStdString(); }

int QtPlacementWindow::WindowState() const {
  const Qt::WindowStates s = window_.windowState();
  if (s & Qt::WindowMinimized) return 1;
  if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return 2;
  return 0;
}

void QtPlacementWindow::WindowState(int state) {
  switch (state) {
    case 1:
      window_.setWindowState(Qt::WindowMinimized);
      break;
    case 2:
      window_.setWindowState(Qt::WindowMaximized);
      break;
    default:
      window_.setWindowState(Qt::WindowNoState);
      break;
  }
}

// pos() and move() of a window are those of its frame; resize() sets the inner size, so
// outer sizes take off the frame's extra width and height. That frame is only known once the
// window manager has framed the window (after show, on some systems later still), so an outer
// size asked for before that is kept and reported back as asked; the inner size is corrected as
// soon as the frame is known. Without this every open and close would grow the window by its
// frame.
namespace {

class OuterSizeRequest : public QObject {
 public:
  explicit OuterSizeRequest(QWidget& window) : QObject(&window), window_(window) {
    setObjectName(kName);
    window.installEventFilter(this);
  }

  static OuterSizeRequest& Of(QWidget& window) {
    for (QObject* child : window.children()) {
      if (child->objectName() == kName) {
        if (auto* found = dynamic_cast<OuterSizeRequest*>(child)) return *found;
      }
    }
    return *new OuterSizeRequest(window);  // owned by the window
  }

  // Twips of the outer width or height, the asked-for one while the frame is not known.
  std::optional<int> PendingWidth() {
    Settle();
    return width_.Pending(window_.width());
  }
  std::optional<int> PendingHeight() {
    Settle();
    return height_.Pending(window_.height());
  }

  void SetWidth(int outer) {
    Settle();
    const int frame = window_.frameGeometry().width() - window_.width();
    const int inner = std::max(1, outer - frame);
    width_ = FrameKnown() ? Request{} : Request{outer, inner};
    window_.resize(inner, window_.height());
  }
  void SetHeight(int outer) {
    Settle();
    const int frame = window_.frameGeometry().height() - window_.height();
    const int inner = std::max(1, outer - frame);
    height_ = FrameKnown() ? Request{} : Request{outer, inner};
    window_.resize(window_.width(), inner);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_) {
      switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
          Settle();
          break;
        default:
          break;
      }
    }
    return false;
  }

 private:
  static constexpr const char* kName = "kxOuterSizeRequest";

  // An outer size in pixels asked for while the frame was unknown, and the inner size set then.
  struct Request {
    int outer = 0;
    int inner = 0;
    bool Active() const { return outer > 0; }
    std::optional<int> Pending(int currentInner) const {
      if (Active() && currentInner == inner) return outer;
      return std::nullopt;  // resized since: the window's own size counts
    }
  };

  bool FrameKnown() const {
    if (!window_.testAttribute(Qt::WA_WState_Created)) return false;
    const QRect frame = window_.frameGeometry();
    return frame.width() != window_.width() || frame.height() != window_.height();
  }

  void Settle() {
    if (!(width_.Active() || height_.Active()) || !FrameKnown()) return;
    const QRect frame = window_.frameGeometry();
    int w = window_.width();
    int h = window_.height();
    if (width_.Pending(w)) w = std::max(1, width_.outer - (frame.width() - window_.width()));
    if (height_.Pending(h)) h = std::max(1, height_.outer - (frame.height() - window_.height()));
    width_ = {};
    height_ = {};
    if (w != window_.width() || h != window_.height()) window_.resize(w, h);
  }

  QWidget& window_;
  Request width_;
  Request height_;
};

}  // namespace

float QtPlacementWindow::Top() const {
  return TwipsFromPixels(window_.pos().y(), DpiOrDefault(window_.logicalDpiY()));
}

void QtPlacementWindow::Top(float twips) {
  window_.move(window_.pos().x(), PixelsFromTwips(twips, DpiOrDefault(window_.logicalDpiY())));
}

float QtPlacementWindow::Left() const {
  return TwipsFromPixels(window_.pos().x(), DpiOrDefault(window_.logicalDpiX()));
}

void QtPlacementWindow::Left(float twips) {
  window_.move(PixelsFromTwips(twips, DpiOrDefault(window_.logicalDpiX())), window_.pos().y());
}

float QtPlacementWindow::Height() const {
  const double dpi = DpiOrDefault(window_.logicalDpiY());
  const std::optional<int> asked = OuterSizeRequest::Of(window_).PendingHeight();
  return TwipsFromPixels(asked ? *asked : window_.frameGeometry().height(), dpi);
}

void QtPlacementWindow::Height(float twips) {
  OuterSizeRequest::Of(window_).SetHeight(PixelsFromTwips(twips, DpiOrDefault(window_.logicalDpiY())));
}

float QtPlacementWindow::Width() const {
  const double dpi = DpiOrDefault(window_.logicalDpiX());
  const std::optional<int> asked = OuterSizeRequest::Of(window_).PendingWidth();
  return TwipsFromPixels(asked ? *asked : window_.frameGeometry().width(), dpi);
}

void QtPlacementWindow::Width(float twips) {
  OuterSizeRequest::Of(window_).SetWidth(PixelsFromTwips(twips, DpiOrDefault(window_.logicalDpiX())));
}

}  // namespace kx
