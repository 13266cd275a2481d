#pragma once
// The first panel of a dialog's status bar: a label that keeps its text until the next
// one (a status bar's own messages vanish when a tool tip or menu hint passes), and shows
// a text too long for it shortened with "…", the whole of it in its tool tip.
#include <string>

class QStatusBar;

namespace kx {

// Shows text in the bar's first panel, creating the panel on first use.
void ShowStatus(QStatusBar& bar, const std::string& text);
// The whole text of the first panel; "" when nothing was shown.
std::string StatusText(const QStatusBar& bar);

}  // namespace kx
