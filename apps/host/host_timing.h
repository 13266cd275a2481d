#pragma once
// --timing: how long the window takes to show the first screen of a job table and to scroll to
// its last row, for the benchmark that compares a small table with a large one.
#include <QElapsedTimer>
#include <QString>

namespace kxhost {

class HostWindow;
class ShowOnlyPrompts;

// Opens the configuration in the shown window, waits for the table's first paint with its rows,
// scrolls to the last row and waits for that paint; prints the row count, "first screen: N ms"
// (since `started`) and "scroll to last: N ms" on stdout. Returns the exit code: 1 when the
// table did not open, a message box came up or a paint did not come within ten seconds.
int RunTiming(HostWindow& window, const ShowOnlyPrompts& prompts, const QString& config,
              const QElapsedTimer& started);

}  // namespace kxhost
