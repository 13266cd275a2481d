#pragma once
// The first panel of a dialog's status bar: a label that keeps its text until the next
// one (a status bar's own messages vanish when a tool tip or menu hint passes).
#include <string>

class QStatusBar;

namespace kx {

// Shows text in the bar's first panel, creating the panel on first use.
void ShowStatus(QStatusBar& bar, const std::string& text);
// The text of the first panel; "" when nothing was shown.
std::string StatusText(const QStatusBar& bar);

}  // namespace kx
