#pragma once
// Whether a Qt window can be shown here, asked before any QApplication exists: Qt ends the
// whole process when its platform cannot reach the display (a stale DISPLAY in an ssh
// session), which an add-in must never do to its host.
#include <optional>
#include <string>

namespace kx {

// The platform a QApplication made now can come up on, to pass as "-platform": the first
// entry of QT_QPA_PLATFORM that works (xcb and wayland only when their server answers and
// Qt has the plugin; any other platform as it is), or without that variable the X server of
// DISPLAY, then the Wayland compositor. Nothing when no window can be shown.
std::optional<std::string> UsableQtPlatform();

}  // namespace kx
