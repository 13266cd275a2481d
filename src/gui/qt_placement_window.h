#pragma once
// A Qt window as the placement code sees it: its object name, its state, and its outer
// bounds in twips (1440 per inch) converted by the screen's logical DPI.
#include <string>

#include "config/mdlForm.h"

class QWidget;

namespace kx {

class QtPlacementWindow : public IPlacementWindow {
 public:
  explicit QtPlacementWindow(QWidget& window) : window_(window) {}

  std::string Name() const override;
  int WindowState() const override;
  void WindowState(int state) override;
  float Top() const override;
  void Top(float twips) override;
  float Left() const override;
  void Left(float twips) override;
  float Height() const override;
  void Height(float twips) override;
  float Width() const override;
  void Width(float twips) override;

 private:
  QWidget& window_;
};

inline constexpr double kTwipsPerInch = 1440.0;

// Pixels to twips at a DPI (96 DPI: 15 twips per pixel), and back to whole pixels.
float TwipsFromPixels(int pixels, double dpi);
int PixelsFromTwips(float twips, double dpi);

}  // namespace kx
