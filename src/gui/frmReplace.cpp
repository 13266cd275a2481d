#include "gui/frmReplace.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTableWidget>
#include <algorithm>
#include <exception>
#include <vector>

#include "config/config_keys.h"
#include "config/mdlForm.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "core/text.h"
#include "dialogs/replace_column.h"
#include "gui/db_combo.h"
#include "gui/dialog_registration.h"
#include "gui/mnemonics.h"
#include "gui/qt_app_guard.h"
#include "gui/qt_placement_window.h"
#include "platform/database.h"
#include "platform/host_grid.h"
#include "platform/ui_services.h"

namespace kx {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string Str(const QLineEdit& box) { return box.text().toStdString(); }

void Report(const std::exception& e, const char* procedure) {
  if (const auto* k = dynamic_cast<const KxError*>(&e)) {
    ReportError(*k, procedure);
  } else {
    ReportError(err::InvalidProcedureCall, "Kestrafix", e.what(), procedure);
  }
}

// The list row whose name (column 0) is c; -1 when no row carries it.
int RowNamed(const DbCombo& list, const std::string& c) {
  for (int r = 0; r < list.RowCount(); ++r) {
    if (EqualsNoCase(list.CellText(0, r), c)) return r;
  }
  return -1;
}

// Design geometry in twips: left, top, width, height.
struct Geometry {
  int left, top, width, height;
};
constexpr Geometry kLabel[3] = {{60, 120, 1140, 255}, {60, 540, 1140, 255}, {60, 960, 1140, 255}};
constexpr Geometry kList = {frmReplace::kInputLeft, 60, 3375, 315};
constexpr Geometry kText[2] = {{frmReplace::kInputLeft, 480, 3375, 315},
                               {frmReplace::kInputLeft, 900, 3375, 315}};
constexpr Geometry kOk = {2160, 1380, 1215, 375};
constexpr Geometry kCancel = {3420, 1380, 1215, 375};
constexpr Geometry kShowJobs = {60, 1380, 1215, 375};
constexpr Geometry kJobCount = {60, 1860, 4575, 255};

QString Shown(const Variant& v) { return v.IsNull() ? QStringLiteral("Null") : Q(v.ToText()); }

}  // namespace

frmReplace::frmReplace(QWidget* parent) : QDialog(parent) {
  setObjectName("frmReplace");
  BuildControls();
  Form_Load();
  AssignMnemonics({Label1_[0], Label1_[1], Label1_[2], ShowJobsButton_, OKButton_, CancelButton_});
}

frmReplace::~frmReplace() {
  // A dialog destroyed without closing unloads now.
  Form_Unload();
}

int frmReplace::Px(int twips) const {
  const int dpi = logicalDpiX();
  return PixelsFromTwips(static_cast<float>(twips), dpi > 0 ? dpi : 96.0);
}

void frmReplace::BuildControls() {
  const auto place = [this](QWidget* w, const Geometry& g) {
    w->setGeometry(Px(g.left), Px(g.top), Px(g.width), Px(g.height));
  };
  const char* designCaptions[3] = {"*Column", "*Like", "*NewValue"};
  for (int i = 0; i < 3; ++i) {
    Label1_[i] = new QLabel(designCaptions[i], this);
    Label1_[i]->setObjectName(QString("Label1(%1)").arg(i));
    place(Label1_[i], kLabel[i]);
  }
  SSDBCombo1_ = new DbCombo(this);
  SSDBCombo1_->setObjectName("SSDBCombo1(0)");
  place(SSDBCombo1_, kList);
  for (int i = 0; i < 2; ++i) {
    Text1_[i] = new QLineEdit(this);
    Text1_[i]->setObjectName(QString("Text1(%1)").arg(i));
    place(Text1_[i], kText[i]);
  }
  // Before OK: the buttons are read, and tabbed through, from the left.
  ShowJobsButton_ = new QPushButton(tr("Show jobs…"), this);
  ShowJobsButton_->setObjectName("ShowJobsButton");
  ShowJobsButton_->setAutoDefault(false);
  place(ShowJobsButton_, kShowJobs);
  OKButton_ = new QPushButton("OK", this);
  OKButton_->setObjectName("OKButton");
  OKButton_->setDefault(true);
  place(OKButton_, kOk);
  CancelButton_ = new QPushButton("Cancel", this);
  CancelButton_->setObjectName("CancelButton");
  place(CancelButton_, kCancel);
  Label1_[0]->setBuddy(SSDBCombo1_);
  Label1_[1]->setBuddy(Text1_[0]);
  Label1_[2]->setBuddy(Text1_[1]);
  JobCount_ = new QLabel(this);
  JobCount_->setObjectName("JobCount");
  place(JobCount_, kJobCount);
  JobList_ = new QTableWidget(this);
  JobList_->setObjectName("JobList");
  JobList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  JobList_->setSelectionMode(QAbstractItemView::NoSelection);
  JobList_->verticalHeader()->hide();
  JobList_->horizontalHeader()->setStretchLastSection(true);
  JobList_->setGeometry(Px(kJobCount.left), Px(kJobCount.top + kJobCount.height + 60), Px(4575),
                        Px(kJobListHeight));
  JobCount_->setBuddy(JobList_);
  JobCount_->hide();
  JobList_->hide();
  connect(ShowJobsButton_, &QPushButton::clicked, this, [this] { ShowJobsButton_Click(); });
  connect(OKButton_, &QPushButton::clicked, this, [this] { OKButton_Click(); });
  connect(CancelButton_, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
  resize(Px(kInnerWidth), Px(kInnerHeight));
}

void frmReplace::Form_Load() {
  try {
    grid_ = Shared().goSSDBGrid;
    const TorvelSettings torvel = ReadTorvelSettings();
    dbName_ = torvel.DbName;
    openRecordsetOptions_ = torvel.OpenRecordsetOptions;
    QtPlacementWindow window(*this);
    LoadFormPlacement(window);
    const FrmReplaceTexts texts = ReadFrmReplaceTexts();
    setWindowTitle(Q(texts.Caption));
    for (int i = 0; i < 3; ++i) Label1_[i]->setText(Q(texts.Labels[i]));
    // Older add-in INI files lack the key: the button keeps its caption rather than none.
    if (!texts.ShowJobs.empty()) ShowJobsButton_->setText(Q(texts.ShowJobs));
    jobCountText_ = texts.JobCount;
    jobCountMoreText_ = texts.JobCountMore;
    FillColumnList();
  } catch (const std::exception& e) {
    // Reported once; the dialog opens with what was loaded up to the error.
    Report(e, "Form_Load");
  }
}

void frmReplace::FillColumnList() {
  DbCombo& list = *SSDBCombo1_;
  // Rows are (name, caption); the separator stays ";" as the list's setting, but the rows are
  // set cell by cell so that a ";" inside a name or a caption cannot shift the cells.
  list.SetFieldSeparator(";");
  if (!grid_) throw KxError(91, "Kestrafix", "Object variable or With block variable not set");
  IHostGrid& grid = *grid_;
  std::vector<std::vector<Variant>> rows;
  for (long i = 0; i < grid.ColumnCount(); ++i) {
    IGridColumn& column = grid.ColumnAt(i);
    const std::string name = column.Name();
    if (IsKeyColumn(name)) continue;  // the job's keys are never offered
    rows.push_back({Variant(name), Variant(column.Caption())});
  }
  list.SetRows({"Column 0", "Column 1"}, rows);
  list.SetColumnVisible(0, false);
  list.SetValueField(list.ColumnName(0));
  list.SetDisplayField(list.ColumnName(1));
  list.SetListSettings(false, true, true, false);

  const std::string firstRow = list.CellText(0, list.FirstRowBookmark());
  std::string start = grid.Col() != -1 ? grid.ColumnAt(grid.Col()).Name() : firstRow;
  if (IsKeyColumn(start)) start = firstRow;
  if (start.empty()) return;  // a grid without a column to offer
  list.SetValue(start);
  // The pattern starts as the current cell's text: by default the jobs like the current one.
  Text1_[0]->setText(grid.Rows() > 0 ? Q(grid.Columns(start).Text()) : QString());
}

void frmReplace::ShowJobsButton_Click() {
  try {
    const DbCombo& list = *SSDBCombo1_;
    const int row = RowNamed(list, list.Value());
    if (list.Value().empty() || !list.IsItemInList() || row < 0) return;
    const std::string c = list.CellText(0, row);
    const std::string p = Trim(Str(*Text1_[0]));
    auto db = Engine().OpenDatabase(dbName_);
    const long k = CountMatching(*db, c, p, openRecordsetOptions_);
    const std::vector<MatchedJob> jobs = MatchingJobs(*db, c, p, kShownJobs, openRecordsetOptions_);
    db->Close();
    JobList_->clear();
    JobList_->setColumnCount(3);
    JobList_->setHorizontalHeaderLabels({"Filename", "ProgramNumber", Q(list.CellText(1, row))});
    JobList_->setRowCount(static_cast<int>(jobs.size()));
    for (int r = 0; r < static_cast<int>(jobs.size()); ++r) {
      const MatchedJob& j = jobs[static_cast<std::size_t>(r)];
      JobList_->setItem(r, 0, new QTableWidgetItem(Shown(j.filename)));
      JobList_->setItem(r, 1, new QTableWidgetItem(Shown(j.programNumber)));
      JobList_->setItem(r, 2, new QTableWidgetItem(Shown(j.value)));
    }
    const long more = k - static_cast<long>(jobs.size());
    const std::string& text = more > 0 ? jobCountMoreText_ : jobCountText_;
    if (!text.empty())
      JobCount_->setText(Q(ReplaceAll(ReplaceAll(ReplaceAll(text, "/1", std::to_string(k)), "/2",
                                                 std::to_string(jobs.size())),
                                      "/3", std::to_string(more))));
    else
      JobCount_->setText(more > 0
                             ? tr("%1 jobs; the first %2 shown, and %3 more").arg(k).arg(jobs.size()).arg(more)
                             : tr("%1 jobs").arg(k));
    AssignMnemonics(
        {Label1_[0], Label1_[1], Label1_[2], ShowJobsButton_, JobCount_, OKButton_, CancelButton_});
    if (JobList_->isHidden()) {
      JobCount_->show();
      JobList_->show();
      resize(width(), height() + JobList_->y() + JobList_->height() - Px(kInnerHeight) + Px(60));
    }
  } catch (const std::exception& e) {
    Report(e, "ShowJobsButton_Click");
  }
}

void frmReplace::Form_Activate() {
  // Errors ignored: the focus is a convenience.
  Text1_[1]->setFocus(Qt::OtherFocusReason);
}

void frmReplace::OKButton_Click() {
  try {
    const DbCombo& list = *SSDBCombo1_;
    const std::string chosen = list.Value();
    if (chosen.empty() || !list.IsItemInList()) return;
    const int row = RowNamed(list, chosen);
    if (row < 0) return;
    // The column name comes from the list's own row: one of the grid's columns.
    const std::string c = list.CellText(0, row);
    const std::string p = Trim(Str(*Text1_[0]));
    const std::string v = Trim(Str(*Text1_[1]));

    auto db = Engine().OpenDatabase(dbName_);
    const long k = CountMatching(*db, c, p, openRecordsetOptions_);
    if (k > 0) {
      const FrmReplaceTexts texts = ReadFrmReplaceTexts();
      if (Ui().MessageBox(ReplaceQuestionText(texts.Update, k), texts.Question, MsgButtons::YesNo,
                          MsgIcon::Question) == MsgAnswer::Yes) {
        recordsAffected_ =
            ReplaceMatching(*db, c, p, v, openRecordsetOptions_, ReplaceLogOf(ReadTorvelSettings()));
      }
    }
    db->Close();
    retVal_ = true;
    accept();
  } catch (const std::exception& e) {
    // Reported once; the dialog stays open and unconfirmed, so the user can correct or cancel.
    retVal_ = false;
    Report(e, "OKButton_Click");
  }
}

void frmReplace::CancelButton_Click() { reject(); }

void frmReplace::done(int r) {
  Form_Unload();
  QDialog::done(r);
}

void frmReplace::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  try {
    grid_.reset();
    QtPlacementWindow window(*this);
    SaveFormPlacement(window);
  } catch (const std::exception& e) {
    Report(e, "Form_Unload");
  }
}

void frmReplace::Form_Resize() {
  // Errors ignored: a layout that cannot be applied keeps the last one.
  try {
    Resize();
  } catch (...) {
  }
}

void frmReplace::Resize() {
  const int m = Px(60);
  const int x = SSDBCombo1_->x();
  const int w = width() - (m + x);
  const auto fit = [&](QWidget* control) {
    control->move(x, control->y());
    if (w > 0) control->resize(w, control->height());
  };
  for (QLineEdit* box : Text1_) fit(box);
  fit(SSDBCombo1_);
  // The job list spans the window below the buttons.
  const int listWidth = width() - 2 * m;
  if (listWidth > 0) {
    JobCount_->resize(listWidth, JobCount_->height());
    if (!JobList_->isHidden()) JobList_->resize(listWidth, std::max(Px(600), height() - JobList_->y() - m));
  }
  const int shown = SSDBCombo1_->FirstVisibleColumn();
  if (w > 0 && shown >= 0) SSDBCombo1_->SetColumnWidth(shown, w);
}

void frmReplace::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) Form_Activate();
}

void frmReplace::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

// ---- Run's view of the dialog ------------------------------------------------------------

namespace {

class ReplaceModal : public IModalDialog {
 public:
  void ShowModal() override {
    QtAppGuard app;  // no window without a display: the dialog counts as not confirmed
    if (!app.Ready()) return;
    frmReplace dialog;
    dialog.exec();
    retVal_ = dialog.RetVal();
    records_ = dialog.RecordsAffected();
  }
  bool RetVal() const override { return retVal_; }
  long RecordsAffected() const override { return records_; }

 private:
  bool retVal_ = false;
  long records_ = 0;
};

}  // namespace

std::unique_ptr<IModalDialog> CreateReplaceDialog() { return std::make_unique<ReplaceModal>(); }

}  // namespace kx
