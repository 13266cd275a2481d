#pragma once
// Window placement of the dialogs, kept in the add-in INI in a section named after the window.
#include <string>

namespace kx {

// What placement needs of a dialog window. Coordinates are outer bounds in twips.
class IPlacementWindow {
 public:
  virtual ~IPlacementWindow() = default;
  virtual std::string Name() const = 0;
  virtual int WindowState() const = 0;  // 0 normal, 1 minimised, 2 maximised
  virtual void WindowState(int state) = 0;
  virtual float Top() const = 0;
  virtual void Top(float twips) = 0;
  virtual float Left() const = 0;
  virtual void Left(float twips) = 0;
  virtual float Height() const = 0;
  virtual void Height(float twips) = 0;
  virtual float Width() const = 0;
  virtual void Width(float twips) = 0;
};

// Restores the saved placement; without an add-in INI file the window keeps its design.
// Coordinates that are missing, 0 or negative leave the design value. Never throws.
void LoadFormPlacement(IPlacementWindow& oForm);
// Writes WindowState, and in the normal state the four coordinates. Never throws.
void SaveFormPlacement(IPlacementWindow& oForm);

}  // namespace kx
