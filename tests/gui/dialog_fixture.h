#pragma once
// A dialog test's world: the test environment with the job database D:\jobs.db, its job grid
// as the host's grid, and the dialogs' controls by their object names.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/shared_state.h"
#include "gui/db_combo.h"
#include "gui/mnemonics.h"
#include "job_database.h"
#include "platform/job_table_grid.h"
#include "platform/ui_services.h"
#include "qt_widgets.h"

namespace kx::test {

class DialogWorld : public JobDbTest {
 protected:
  // The host configuration naming the job database, with further [TORVEL] lines.
  void WriteHostConfig(const std::string& lines = "") const {
    env.WriteHostConfig("DbName=D:\\jobs.db\r\n" + lines);
  }

  // The job grid as the host's grid, captioned "Cap <column>", with row `row` current (-1:
  // none) and the named column current ("": none).
  JobTableGrid& UseGrid(long row = 0, const std::string& column = "",
                        JobTableGrid::CaptionSource captions = {}) {
    if (!captions) captions = [](std::string_view c) { return "Cap " + std::string(c); };
    auto grid = std::make_shared<JobTableGrid>(db.Path(), std::move(captions));
    if (row >= 0 && grid->Rows() > row) grid->MoveTo(row);
    if (!column.empty()) grid->SetCol(grid->ColumnIndex(column));
    Shared().goSSDBGrid = grid;
    return *grid;
  }
};

// The new-job dialog's world: two machines stored.
class FrmMainTest : public DialogWorld {
 protected:
  FrmMainTest() {
    db.AddMachine({{"Machine", "M2"}});
    db.AddMachine({{"Machine", "M1"}});
  }
};

inline std::string TextOf(const QWidget& d, const char* name) {
  return Find<QLineEdit>(d, name).text().toStdString();
}
inline DbCombo& ListOf(const QWidget& d, const char* name) { return Find<DbCombo>(d, name); }

// Rows of a list by one column.
inline std::vector<std::string> RowsOf(const DbCombo& list, int column = 0) {
  std::vector<std::string> rows;
  for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.CellText(column, r));
  return rows;
}

// Every shown caption is a real text with a mnemonic of its own (a label's going to its
// control) and fits into its control beside the control's own parts; the controls lie inside
// the dialog, and Tab visits them as they are read. Then the screenshot, when asked for.
inline void ExpectCaptionsFit(QWidget& d, const QString& shot) {
  QSet<QKeySequence> mnemonics;
  for (QWidget* w : d.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&d)) continue;
    SCOPED_TRACE(w->objectName().toStdString());
    if (w->parentWidget() == &d) {
      EXPECT_TRUE(d.rect().contains(w->geometry()));
    }
    QString text;
    int room = w->width();
    if (auto* l = qobject_cast<QLabel*>(w); l && !w->objectName().startsWith("Panels")) {
      text = l->text();
      EXPECT_NE(l->buddy(), nullptr);
    } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
      text = c->text();
      room -= 24;  // the box itself
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      text = b->text();
      room -= 8;  // the button's frame
    } else {
      continue;
    }
    const QKeySequence key = QKeySequence::mnemonic(text);
    EXPECT_FALSE(key.isEmpty()) << text.toStdString();
    EXPECT_FALSE(mnemonics.contains(key)) << text.toStdString();
    mnemonics.insert(key);
    text = WithoutMnemonic(text);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.startsWith('*'));
    EXPECT_LE(QFontMetrics(w->font()).horizontalAdvance(text), room) << text.toStdString();
    EXPECT_GE(w->height(), QFontMetrics(w->font()).height());
  }
  // Tab: rows from the top, each from the left.
  QPoint last(-1, -1);
  int visited = 0;
  for (QWidget* w = d.nextInFocusChain(); w != &d; w = w->nextInFocusChain()) {
    if (!w->isVisibleTo(&d) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
      continue;
    const QPoint at = w->mapTo(&d, QPoint(0, 0));
    const bool sameRow = std::abs(at.y() - last.y()) <= 4;
    EXPECT_TRUE(sameRow ? at.x() > last.x() : at.y() > last.y()) << w->objectName().toStdString();
    last = at;
    ++visited;
  }
  EXPECT_GE(visited, 5);
  if (const char* out = std::getenv("KX_SCREENSHOT_DIR"); out && *out) {
    const QString file = QString("%1/%2.png").arg(out, shot);
    EXPECT_TRUE(d.grab().save(file, "PNG")) << file.toStdString();
  }
}

}  // namespace kx::test
