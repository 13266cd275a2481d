#pragma once
// Keyboard access as in any desktop dialog: each caption gets a mnemonic (Alt+letter) of its
// own, unless its text already brings one; a label's mnemonic goes to the control it names.
#include <QString>
#include <vector>

class QWidget;

namespace kx {

// Labels and buttons in the order they are read; the first free letter of a word start wins,
// then any free letter or digit.
void AssignMnemonics(const std::vector<QWidget*>& captioned);
// The caption as read: "&Datei" -> "Datei", "A && B" -> "A & B".
QString WithoutMnemonic(const QString& text);

}  // namespace kx
