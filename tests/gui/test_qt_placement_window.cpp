#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "gui/qt_placement_window.h"

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

// The frame of a window is known only once it is shown: outer bounds set before that come
// back unchanged after show and close, so every open does not grow the window.
TEST(QtPlacementWindow, OuterBoundsSetBeforeShowSurviveShowAndClose) {
  QWidget w;
  w.setObjectName("frmMain");
  {
    QtPlacementWindow load(w);
    load.Top(1200);
    load.Left(1500);
    load.Width(9000);
    load.Height(6000);
    EXPECT_EQ(load.Width(), 9000.0f);  // before show, too
    EXPECT_EQ(load.Height(), 6000.0f);
  }
  w.show();
  QApplication::processEvents();
  const double dpiX = w.logicalDpiX() > 0 ? w.logicalDpiX() : 96.0;
  const double dpiY = w.logicalDpiY() > 0 ? w.logicalDpiY() : 96.0;
  EXPECT_EQ(w.frameGeometry().width(), PixelsFromTwips(9000, dpiX));
  EXPECT_EQ(w.frameGeometry().height(), PixelsFromTwips(6000, dpiY));
  w.close();
  QtPlacementWindow save(w);
  EXPECT_EQ(save.Top(), 1200.0f);
  EXPECT_EQ(save.Left(), 1500.0f);
  EXPECT_EQ(save.Width(), 9000.0f);
  EXPECT_EQ(save.Height(), 6000.0f);

  // A second open with the saved values stays the same size.
  QtPlacementWindow again(w);
  again.Width(save.Width());
  again.Height(save.Height());
  w.show();
  QApplication::processEvents();
  w.close();
  EXPECT_EQ(again.Width(), 9000.0f);
  EXPECT_EQ(again.Height(), 6000.0f);
}

// A size the user drags after show is what gets saved, not the one asked for before show.
TEST(QtPlacementWindow, ResizeAfterShowWins) {
  QWidget w;
  QtPlacementWindow p(w);
  p.Width(9000);
  p.Height(6000);
  w.show();
  QApplication::processEvents();
  const int frameW = w.frameGeometry().width() - w.width();
  const int frameH = w.frameGeometry().height() - w.height();
  w.resize(400, 250);
  QApplication::processEvents();
  const double dpiX = w.logicalDpiX() > 0 ? w.logicalDpiX() : 96.0;
  const double dpiY = w.logicalDpiY() > 0 ? w.logicalDpiY() : 96.0;
  EXPECT_EQ(p.Width(), TwipsFromPixels(400 + frameW, dpiX));
  EXPECT_EQ(p.Height(), TwipsFromPixels(250 + frameH, dpiY));
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
