#pragma once
// Installs the Qt dialogs as the factories Run uses.
namespace kx {
void RegisterQtDialogs();
}
