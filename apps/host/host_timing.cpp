#include "host_timing.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QTableView>
#include <cstdio>

#include "host_prompts.h"
#include "host_window.h"

namespace kxhost {

namespace {

// Counts the paints of the table's viewport.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// Runs the event loop until the viewport has painted once more; false after ten seconds.
bool NextPaint(const PaintCounter& counter) {
  const int before = counter.paints;
  QElapsedTimer wait;
  wait.start();
  while (counter.paints == before) {
    if (wait.elapsed() > 10000) return false;
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

}  // namespace

int RunTiming(HostWindow& window, const ShowOnlyPrompts& prompts, const QString& config,
              const QElapsedTimer& started) {
  QTableView* view = window.View();
  PaintCounter counter;
  view->viewport()->installEventFilter(&counter);
  if (!window.OpenConfiguration(config) || !prompts.Pending().isEmpty() || view->model()->rowCount() == 0) {
    std::fprintf(stderr, "kestrafix-host: --timing: the job table of %s did not open\n", qPrintable(config));
    return 1;
  }
  if (!NextPaint(counter)) return 1;
  const double first = Ms(started);

  QElapsedTimer scroll;
  scroll.start();
  view->scrollToBottom();
  if (!NextPaint(counter)) return 1;
  const double last = Ms(scroll);
  std::printf("rows: %d\nfirst screen: %.1f ms\nscroll to last: %.1f ms\n", view->model()->rowCount(), first,
              last);
  return 0;
}

}  // namespace kxhost
