#include <gtest/gtest.h>

#include <QWidget>

#include "platform/qt/qt_placement_window.h"

namespace kx {
namespace {

TEST(TwipConversion, FollowsTheDpi) {
  EXPECT_EQ(TwipsFromPixels(1, 96), 15.0f);
  EXPECT_EQ(TwipsFromPixels(100, 120), 1200.0f);
  EXPECT_EQ(TwipsFromPixels(-2, 96), -30.0f);
  EXPECT_EQ(PixelsFromTwips(1500, 96), 100);
  EXPECT_EQ(PixelsFromTwips(1200, 120), 100);
  EXPECT_EQ(PixelsFromTwips(22, 96), 1);  // 1.47 pixels
  EXPECT_EQ(PixelsFromTwips(23, 96), 2);  // 1.53 pixels
  for (double dpi : {96.0, 120.0, 144.0, 192.0}) {
    for (int px : {0, 1, 7, 333, 1920}) EXPECT_EQ(PixelsFromTwips(TwipsFromPixels(px, dpi), dpi), px) << dpi;
  }
}

TEST(QtPlacementWindow, BoundsRoundTripThroughTwips) {
  QWidget w;
  w.setObjectName("frmReplace");
  QtPlacementWindow p(w);
  EXPECT_EQ(p.Name(), "frmReplace");
  const double dpiX = w.logicalDpiX() > 0 ? w.logicalDpiX() : 96.0;
  const double dpiY = w.logicalDpiY() > 0 ? w.logicalDpiY() : 96.0;
  p.Left(TwipsFromPixels(40, dpiX));
  p.Top(TwipsFromPixels(30, dpiY));
  p.Width(TwipsFromPixels(500, dpiX));
  p.Height(TwipsFromPixels(300, dpiY));
  EXPECT_EQ(w.pos().x(), 40);
  EXPECT_EQ(w.pos().y(), 30);
  EXPECT_EQ(w.frameGeometry().width(), 500);
  EXPECT_EQ(w.frameGeometry().height(), 300);
  EXPECT_EQ(p.Left(), TwipsFromPixels(40, dpiX));
  EXPECT_EQ(p.Top(), TwipsFromPixels(30, dpiY));
  EXPECT_EQ(p.Width(), TwipsFromPixels(500, dpiX));
  EXPECT_EQ(p.Height(), TwipsFromPixels(300, dpiY));
  // Setting one coordinate leaves the others alone.
  p.Top(TwipsFromPixels(80, dpiY));
  EXPECT_EQ(w.pos().x(), 40);
  EXPECT_EQ(w.frameGeometry().width(), 500);
}

TEST(QtPlacementWindow, StateCodes) {
  QWidget w;
  QtPlacementWindow p(w);
  EXPECT_EQ(p.WindowState(), 0);
  p.WindowState(2);
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(p.WindowState(), 2);
  p.WindowState(1);
  EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
  EXPECT_EQ(p.WindowState(), 1);
  p.WindowState(0);
  EXPECT_EQ(w.windowState(), Qt::WindowNoState);
  p.WindowState(7);  // unknown codes mean normal
  EXPECT_EQ(p.WindowState(), 0);
}

}  // namespace
}  // namespace kx
