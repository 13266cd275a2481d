#include "host_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "demo_environment.h"
#include "ini_file.h"
#include "job_grid_model.h"

namespace kxhost {

namespace {

const QString kProgId = QStringLiteral(KX_PROGID);
constexpr int kSearchDelayMs = 250;  // typing on does not reread the table for every key
constexpr int kSizingRows = 50;      // columns are sized by the rows of about a screen

}  // namespace

HostWindow::HostWindow(HostOptions options, HostPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), prompts_(prompts) {
  BuildUi();
  UpdateActions();
}

HostWindow::~HostWindow() {
  // The model must not reach the grid while the members go.
  model_->SetGrid(nullptr, nullptr);
  CloseGrid();
}

void HostWindow::BuildUi() {
  setWindowTitle(tr("Kestrafix host"));
  setObjectName(QStringLiteral("HostWindow"));
  // The view shows the grid's rows as they are: a header click sorts them in the database.
  model_ = new JobGridModel(this);
  model_->SetSorter([this](int column, Qt::SortOrder order) { SortGrid(column, order); });

  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("SSDBGrid1"));
  view_->setModel(model_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(-1, Qt::AscendingOrder);  // table order until the user sorts
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setAlternatingRowColors(true);
  // One height for every row: the view never measures rows it does not show.
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { TrackCurrent(current); });
  placeholder_ = new QLabel(this);
  placeholder_->setObjectName(QStringLiteral("Placeholder"));
  placeholder_->setAlignment(Qt::AlignCenter);
  placeholder_->setWordWrap(true);
  placeholder_->setMargin(24);
  pages_ = new QStackedWidget(this);
  pages_->addWidget(placeholder_);
  pages_->addWidget(view_);
  setCentralWidget(pages_);

  search_ = new QLineEdit(this);
  search_->setObjectName(QStringLiteral("SearchField"));
  search_->setPlaceholderText(tr("Search jobs (* ? # [list])"));
  search_->setToolTip(
      tr("Shows the jobs that hold this text in any column, without regard to case.\n"
         "* stands for any text, ? for one character, # for one digit, [abc] for one of them."));
  search_->setClearButtonEnabled(true);
  search_->setMaximumWidth(320);
  searchDelay_ = new QTimer(this);
  searchDelay_->setSingleShot(true);
  searchDelay_->setInterval(kSearchDelayMs);
  connect(search_, &QLineEdit::textChanged, searchDelay_, qOverload<>(&QTimer::start));
  connect(searchDelay_, &QTimer::timeout, this, [this] { ApplySearch(search_->text()); });

  jobCount_ = new QLabel(this);
  jobCount_->setObjectName(QStringLiteral("JobCount"));
  statusBar()->addPermanentWidget(jobCount_);
  BuildMenus();
  ShowPlaceholder(tr("No host configuration open."));
  resize(960, 560);
}

void HostWindow::BuildMenus() {
  QStyle* s = style();
  auto* open = new QAction(s->standardIcon(QStyle::SP_DialogOpenButton), tr("&Open configuration…"), this);
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, &HostWindow::ChooseConfiguration);
  newJob_ = new QAction(s->standardIcon(QStyle::SP_FileIcon), tr("&New job…"), this);
  newJob_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  connect(newJob_, &QAction::triggered, this, [this] { NewJob(); });
  replace_ = new QAction(s->standardIcon(QStyle::SP_FileDialogContentsView), tr("&Replace…"), this);
  replace_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  connect(replace_, &QAction::triggered, this, [this] { ReplaceJobs(); });
  undoReplace_ = new QAction(s->standardIcon(QStyle::SP_ArrowBack), tr("&Undo last replace…"), this);
  undoReplace_->setObjectName(QStringLiteral("UndoReplaceAction"));
  connect(undoReplace_, &QAction::triggered, this, [this] { UndoLastReplace(); });
  refresh_ = new QAction(s->standardIcon(QStyle::SP_BrowserReload), tr("Re&fresh"), this);
  refresh_->setShortcut(QKeySequence::Refresh);
  connect(refresh_, &QAction::triggered, this, &HostWindow::RefreshGrid);
  auto* find = new QAction(tr("&Search"), this);
  find->setShortcut(QKeySequence::Find);
  connect(find, &QAction::triggered, this, [this] {
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
  });
  auto* quit = new QAction(tr("&Quit"), this);
  quit->setShortcut(QKeySequence::Quit);
  connect(quit, &QAction::triggered, this, &QWidget::close);
  auto* guide = new QAction(s->standardIcon(QStyle::SP_DialogHelpButton), tr("&User guide"), this);
  guide->setShortcut(QKeySequence::HelpContents);
  connect(guide, &QAction::triggered, this, &HostWindow::ShowUserGuide);
  auto* about = new QAction(tr("&About Kestrafix host"), this);
  connect(about, &QAction::triggered, this, &HostWindow::ShowAbout);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(open);
  recent_ = file->addMenu(tr("Open &recent"));
  recent_->setObjectName(QStringLiteral("RecentMenu"));
  file->addSeparator();
  file->addAction(quit);
  QMenu* jobs = menuBar()->addMenu(tr("&Jobs"));
  jobs->addAction(newJob_);
  jobs->addAction(replace_);
  jobs->addAction(undoReplace_);
  jobs->addSeparator();
  jobs->addAction(find);
  jobs->addAction(refresh_);
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(guide);
  help->addAction(about);
  QToolBar* bar = addToolBar(tr("Jobs"));
  bar->setObjectName(QStringLiteral("JobsToolBar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->addAction(open);
  bar->addSeparator();
  bar->addAction(newJob_);
  bar->addAction(replace_);
  bar->addAction(refresh_);
  bar->addSeparator();
  bar->addWidget(search_);
  FillRecentMenu();
}

void HostWindow::ChooseConfiguration() {
  const QString file =
      QFileDialog::getOpenFileName(this, tr("Open host configuration"), QFileInfo(configFile_).path(),
                                   tr("Host configuration (*.cfg *.ini);;All files (*)"));
  if (!file.isEmpty()) OpenConfiguration(file);
}

QString HostWindow::StatusText() const { return statusBar()->currentMessage(); }

QString HostWindow::JobCountText() const { return jobCount_->text(); }

void HostWindow::ShowStatus(const QString& text) { statusBar()->showMessage(text); }

void HostWindow::ShowPlaceholder(const QString& text) {
  placeholder_->setText(text);
  pages_->setCurrentWidget(placeholder_);
  ShowStatus(text);
}

void HostWindow::UpdateActions() {
  const bool ready = grid_ != nullptr;
  newJob_->setEnabled(ready);
  replace_->setEnabled(ready);
  undoReplace_->setEnabled(ready);
  refresh_->setEnabled(ready);
  search_->setEnabled(ready);
  UpdateJobCount();
}

void HostWindow::UpdateJobCount() {
  int32_t total = 0;
  if (!grid_ || addin_->Api().grid_total_row_count(grid_.get(), &total) != KX_OK) {
    jobCount_->clear();
    return;
  }
  const int shown = model_->rowCount();
  jobCount_->setText(shown == total ? tr("%n job(s)", nullptr, total)
                                    : tr("%1 of %n job(s)", nullptr, total).arg(shown));
}

void HostWindow::CloseGrid() {
  model_->SetGrid(nullptr, nullptr);
  grid_.reset();
}

bool HostWindow::EnsureAddin() {
  if (addin_) return true;
  const QString title = tr("Kestrafix add-in");
  QString library = RegisteredLibrary(kProgId);
  if (library.isEmpty()) {
    const QString registry = AddinRegistryFile();
    if (options_.libraryCandidate.isEmpty()) {
      prompts_.Error(this, title,
                     tr("The add-in %1 is not registered (%2), and no libkestrafix.so was found beside "
                        "kestrafix-host to register.")
                         .arg(kProgId, registry));
      ShowStatus(tr("Add-in not registered"));
      return false;
    }
    if (!prompts_.Ask(this, title,
                      tr("The add-in %1 is not registered (%2).\n\nRegister %3 now?")
                          .arg(kProgId, registry, options_.libraryCandidate))) {
      ShowStatus(tr("Add-in not registered"));
      return false;
    }
    const QString error = RegisterLibrary(options_.libraryCandidate);
    library = RegisteredLibrary(kProgId);
    if (!error.isEmpty() || library.isEmpty()) {
      prompts_.Error(this, title,
                     tr("The add-in %1 could not be registered:\n%2").arg(options_.libraryCandidate, error));
      ShowStatus(tr("Add-in not registered"));
      return false;
    }
  }
  QString error;
  addin_ = AddinLibrary::Load(library, &error);
  if (!addin_) {
    prompts_.Error(
        this, title,
        tr("The add-in registered as %1 could not be loaded:\n%2\n\n%3").arg(kProgId, library, error));
    ShowStatus(tr("Add-in not loaded"));
    return false;
  }
  return true;
}

bool HostWindow::OpenConfiguration(const QString& file) {
  CloseGrid();
  {
    const QSignalBlocker quiet(search_);  // a new table starts unfiltered
    search_->clear();
  }
  UpdateActions();
  const QString title = tr("Host configuration");
  const QFileInfo info(file);
  configFile_ = info.absoluteFilePath();
  setWindowTitle(tr("Kestrafix host - %1").arg(configFile_));
  if (!info.isFile()) {
    prompts_.Error(this, title, tr("The host configuration file %1 does not exist.").arg(configFile_));
    ShowPlaceholder(tr("No host configuration open."));
    return false;
  }
  const QString dbName = ReadIniValue(configFile_, QStringLiteral("TORVEL"), QStringLiteral("DbName"));
  if (dbName.isEmpty()) {
    prompts_.Error(
        this, title,
        tr("The host configuration file %1 names no job database ([TORVEL] DbName).").arg(configFile_));
    ShowPlaceholder(tr("No job database"));
    return false;
  }
  // A demo folder brings the environment its drive letters need; set before the add-in
  // first resolves a path.
  ApplyEnvironmentFile(info.absoluteDir().filePath(QStringLiteral("kestrafix.env")));
  if (!EnsureAddin()) {
    placeholder_->setText(StatusText());
    pages_->setCurrentWidget(placeholder_);
    return false;
  }

  const AddinApi& api = addin_->Api();
  kx_grid* grid = nullptr;
  const int rc = api.grid_open_job_table(dbName.toUtf8().constData(), &grid);
  if (rc != KX_OK) {
    const QString text =
        rc == KX_E_NOT_FOUND
            ? tr("The job database %1 does not exist.\n\nIt is named by [TORVEL] DbName in %2. Drive letters "
                 "are found through the drive map (KESTRAFIX_DRIVE_MAP).")
                  .arg(dbName, configFile_)
            : tr("The job database %1 could not be opened:\n%2\n\nIt is named by [TORVEL] DbName in %3.")
                  .arg(dbName, api.LastError(), configFile_);
    prompts_.Error(this, tr("Job database"), text);
    ShowPlaceholder(tr("No job database"));
    return false;
  }
  grid_ = std::unique_ptr<kx_grid, GridRelease>(grid, GridRelease{api.grid_release});
  // Captions of the message file the add-in uses; without one the column names stay, and the
  // dialogs' texts are empty: said once per missing file.
  if (api.grid_use_message_captions(grid, QFile::encodeName(configFile_).constData()) == KX_E_NOT_FOUND) {
    const QString missing = api.LastError();
    if (!warnedMessageFiles_.contains(missing)) {
      warnedMessageFiles_.insert(missing);
      prompts_.Warning(
          this, tr("Message file"),
          tr("The message file of this configuration is missing:\n%1\n\nThe new-job dialog shows "
             "empty captions and messages until it is there.")
              .arg(missing));
    }
  }
  {
    const QSignalBlocker quiet(view_->horizontalHeader());  // a new grid is in table order
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    sortedColumn_ = -1;
    sortedOrder_ = Qt::AscendingOrder;
  }
  model_->SetGrid(&api, grid);
  SizeColumns();
  pages_->setCurrentWidget(view_);
  ShowGridCurrent();
  UpdateActions();
  ShowStatus(tr("Opened %1").arg(QFileInfo(configFile_).fileName()));
  Remember(configFile_);
  return true;
}

void HostWindow::RefreshGrid() {
  if (!grid_) return;
  const AddinApi& api = addin_->Api();
  if (api.grid_refresh(grid_.get()) != KX_OK) {
    prompts_.Error(this, tr("Job database"),
                   tr("The job table could not be read again:\n%1").arg(api.LastError()));
  }
  model_->Reload();
  ShowGridCurrent();
  UpdateJobCount();
}

bool HostWindow::ApplySearch(const QString& text) {
  searchDelay_->stop();
  if (!grid_) return false;
  const AddinApi& api = addin_->Api();
  const bool ok = api.grid_set_filter(grid_.get(), text.trimmed().toUtf8().constData()) == KX_OK;
  if (!ok) ShowStatus(tr("The search \"%1\" cannot be read: %2").arg(text, api.LastError()));
  model_->Reload();
  ShowGridCurrent();
  UpdateJobCount();
  return ok;
}

// Widths from the header and the first rows only: sizing by every row would read them all.
void HostWindow::SizeColumns() {
  const int rows = std::min(model_->rowCount(), kSizingRows);
  for (int c = 0; c < model_->columnCount(); ++c) {
    int width = view_->horizontalHeader()->sectionSizeHint(c);
    for (int r = 0; r < rows; ++r)
      width = std::max(width, view_->sizeHintForIndex(model_->index(r, c)).width());
    view_->setColumnWidth(c, width);
  }
}

// A header click: the grid sorts in the database; the current job stays current and in view.
void HostWindow::SortGrid(int column, Qt::SortOrder order) {
  if (!grid_) return;
  const AddinApi& api = addin_->Api();
  if (api.grid_set_sort(grid_.get(), column, order == Qt::DescendingOrder) == KX_OK) {
    sortedColumn_ = column;
    sortedOrder_ = order;
  } else {
    ShowStatus(tr("The jobs could not be sorted: %1").arg(api.LastError()));
    const QSignalBlocker quiet(view_->horizontalHeader());  // the arrow shows the order the grid has
    view_->horizontalHeader()->setSortIndicator(sortedColumn_, sortedOrder_);
  }
  model_->Reload();
  ShowGridCurrent();
}

// Puts the view's current cell where the grid's current row and column are, in full view.
void HostWindow::ShowGridCurrent() {
  if (!grid_) return;
  int32_t row = -1, col = -1;
  if (addin_->Api().grid_current(grid_.get(), &row, &col) != KX_OK || row < 0) return;
  const QModelIndex shown = model_->index(row, col < 0 ? 0 : col);
  if (!shown.isValid()) return;
  {
    // Moving the view's current cell reports back through TrackCurrent; keep the grid's column.
    const QSignalBlocker block(view_->selectionModel());
    view_->selectionModel()->setCurrentIndex(shown,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  // After a reset the scroll range is out of date until the next layout: lay out first, or
  // a new last row ends up under the edge.
  view_->doItemsLayout();
  view_->scrollTo(shown);
  view_->viewport()->update();
}

// After "New job…": the job is the grid's current row; when the search hides it, the search
// goes so that the job can be shown.
void HostWindow::ShowNewJob(const QString& filename) {
  RefreshGrid();
  if (filename.isEmpty() || CurrentFilename() == filename) return;
  {
    const QSignalBlocker quiet(search_);
    search_->clear();
  }
  ApplySearch(QString());
  // A new row is the table's last: made current in table order, it stays current when the
  // user's order comes back.
  const AddinApi& api = addin_->Api();
  const int sorted = view_->horizontalHeader()->sortIndicatorSection();
  const bool descending = view_->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
  if (sorted >= 0) api.grid_set_sort(grid_.get(), -1, 0);
  int32_t rows = 0;
  api.grid_row_count(grid_.get(), &rows);
  const int last = rows - 1;
  if (last >= 0 && model_->CellText(last, model_->ColumnOf(QStringLiteral("Filename"))) == filename)
    api.grid_set_row(grid_.get(), last);
  if (sorted >= 0) api.grid_set_sort(grid_.get(), sorted, descending ? 1 : 0);
  model_->Reload();
  ShowGridCurrent();
}

void HostWindow::SelectCell(int row, int column) {
  const QModelIndex shown = model_->index(row, column);
  if (shown.isValid())
    view_->selectionModel()->setCurrentIndex(shown,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void HostWindow::TrackCurrent(const QModelIndex& index) {
  if (!grid_ || !index.isValid()) return;
  const AddinApi& api = addin_->Api();
  api.grid_set_row(grid_.get(), index.row());
  api.grid_set_col(grid_.get(), index.column());
}

QString HostWindow::CurrentFilename() const {
  int32_t row = -1;
  const int col = model_->ColumnOf(QStringLiteral("Filename"));
  if (!grid_ || col < 0 || addin_->Api().grid_current(grid_.get(), &row, nullptr) != KX_OK || row < 0)
    return {};
  return model_->CellText(row, col);
}

int HostWindow::RunAddin(const QString& parameter) {
  if (!grid_) {
    prompts_.Error(this, tr("Kestrafix add-in"), tr("Open a host configuration with a job database first."));
    return -1;
  }
  const AddinApi& api = addin_->Api();
  kx_object* object = nullptr;
  if (api.create_object(KX_PROGID, &object) != KX_OK || !object) {
    prompts_.Error(this, tr("Kestrafix add-in"),
                   tr("The add-in %1 could not create its object.\n%2").arg(kProgId, api.LastError()));
    return -1;
  }
  const QByteArray ini = QFile::encodeName(configFile_);
  const QByteArray filename = CurrentFilename().toUtf8();
  const QByteArray param = parameter.toUtf8();
  api.object_put_string(object, "IniFile", ini.constData());
  api.object_put_string(object, "filename", filename.constData());
  // The host keeps its own handle, so the add-in gets no release callback. Our grid is its
  // own data source, so it is the data object as well.
  api.object_put_object(object, "SSDBGrid", grid_.get(), nullptr);
  api.object_put_object(object, "Data", grid_.get(), nullptr);
  api.object_put_string(object, "Parameter", param.constData());
  int32_t result = 0;
  api.object_run(object, &result);
  char affected[32] = "0";
  api.object_get_string(object, "RecordsAffected", affected, sizeof affected, nullptr);
  api.object_release(object);

  switch (result) {
    case 1: {
      const QString job = CurrentFilename();  // the dialog leaves the new job current
      ShowNewJob(job);
      ShowStatus(tr("New job %1 created").arg(job));
      break;
    }
    case 2: {
      RefreshGrid();
      const int changed = QByteArray(affected).toInt();
      ShowStatus(changed > 0 ? tr("%n job(s) changed", nullptr, changed) : tr("Nothing changed"));
      break;
    }
    default:
      RefreshGrid();
      ShowStatus(tr("Cancelled"));
  }
  return result;
}

int HostWindow::UndoLastReplace() {
  const QString title = tr("Undo last replace");
  if (!grid_) {
    prompts_.Error(this, title, tr("Open a host configuration with a job database first."));
    return -1;
  }
  const AddinApi& api = addin_->Api();
  const QByteArray ini = QFile::encodeName(configFile_);
  int64_t id = 0;
  int32_t restorable = 0, untouched = 0;
  char column[512] = "";
  if (api.replace_undo_preview(ini.constData(), &id, &restorable, &untouched, column, sizeof column,
                               nullptr) != KX_OK) {
    prompts_.Error(this, title, tr("The replace history could not be read:\n%1").arg(api.LastError()));
    return -1;
  }
  if (id == 0) {
    prompts_.Error(this, title, tr("No replace to undo."));
    ShowStatus(tr("No replace to undo"));
    return 0;
  }
  const QString name = QString::fromUtf8(column);
  if (restorable == 0) {
    prompts_.Error(
        this, title,
        tr("Replace %1 of [%2] cannot be undone: every job it changed was changed again or deleted.")
            .arg(id)
            .arg(name));
    ShowStatus(tr("Nothing to undo"));
    return 0;
  }
  QString question =
      tr("Undo replace %1 of [%2]?\n\n%3 job(s) get their old value back.").arg(id).arg(name).arg(restorable);
  if (untouched > 0) question += tr("\n%1 job(s) changed since or deleted are left alone.").arg(untouched);
  if (!prompts_.Ask(this, title, question)) {
    ShowStatus(tr("Cancelled"));
    return 0;
  }
  int32_t restored = 0, left = 0;
  const int rc = api.replace_undo(ini.constData(), id, &restored, &left);
  RefreshGrid();
  if (rc != KX_OK) {
    prompts_.Error(this, title, tr("Replace %1 could not be undone:\n%2").arg(id).arg(api.LastError()));
    return -1;
  }
  ShowStatus(tr("Replace %1 undone: %2 job(s) set back, %3 left alone").arg(id).arg(restored).arg(left));
  return restored;
}

}  // namespace kxhost
