#include "platform/qt/qt_placement_window.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

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
// outer sizes add the frame's extra width and height.
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
  return TwipsFromPixels(window_.frameGeometry().height(), DpiOrDefault(window_.logicalDpiY()));
}

void QtPlacementWindow::Height(float twips) {
  const int frame = window_.frameGeometry().height() - window_.height();
  const int outer = PixelsFromTwips(twips, DpiOrDefault(window_.logicalDpiY()));
  window_.resize(window_.width(), std::max(1, outer - frame));
}

float QtPlacementWindow::Width() const {
  return TwipsFromPixels(window_.frameGeometry().width(), DpiOrDefault(window_.logicalDpiX()));
}

void QtPlacementWindow::Width(float twips) {
  const int frame = window_.frameGeometry().width() - window_.width();
  const int outer = PixelsFromTwips(twips, DpiOrDefault(window_.logicalDpiX()));
  window_.resize(std::max(1, outer - frame), window_.height());
}

}  // namespace kx
