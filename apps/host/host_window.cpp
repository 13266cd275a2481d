#include "host_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>

#include "demo_environment.h"
#include "ini_file.h"
#include "job_grid_model.h"

namespace kxhost {

namespace {

const QString kProgId = QStringLiteral(KX_PROGID);

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
  setWindowTitle(QStringLiteral("Kestrafix host"));
  setObjectName(QStringLiteral("HostWindow"));
  model_ = new JobGridModel(this);
  proxy_ = new QSortFilterProxyModel(this);
  proxy_->setSourceModel(model_);
  proxy_->setSortRole(JobGridModel::SortRole);
  // Not locale-aware: Qt's locale comparison ignores the case setting.
  proxy_->setSortCaseSensitivity(Qt::CaseInsensitive);

  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("SSDBGrid1"));
  view_->setModel(proxy_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(-1, Qt::AscendingOrder);  // table order until the user sorts
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setAlternatingRowColors(true);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  setCentralWidget(view_);
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { TrackCurrent(current); });

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
  refresh_ = new QAction(s->standardIcon(QStyle::SP_BrowserReload), tr("Re&fresh"), this);
  refresh_->setShortcut(QKeySequence::Refresh);
  connect(refresh_, &QAction::triggered, this, &HostWindow::RefreshGrid);
  auto* quit = new QAction(tr("&Quit"), this);
  quit->setShortcut(QKeySequence::Quit);
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(open);
  file->addSeparator();
  file->addAction(quit);
  QMenu* jobs = menuBar()->addMenu(tr("&Jobs"));
  jobs->addAction(newJob_);
  jobs->addAction(replace_);
  jobs->addSeparator();
  jobs->addAction(refresh_);
  QToolBar* bar = addToolBar(tr("Jobs"));
  bar->setObjectName(QStringLiteral("JobsToolBar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->addAction(open);
  bar->addSeparator();
  bar->addAction(newJob_);
  bar->addAction(replace_);
  bar->addAction(refresh_);
  statusBar()->showMessage(tr("No host configuration open"));
  resize(960, 560);
}

void HostWindow::ChooseConfiguration() {
  const QString file =
      QFileDialog::getOpenFileName(this, tr("Open host configuration"), QFileInfo(configFile_).path(),
                                   tr("Host configuration (*.cfg *.ini);;All files (*)"));
  if (!file.isEmpty()) OpenConfiguration(file);
}

QString HostWindow::StatusText() const { return statusBar()->currentMessage(); }

void HostWindow::ShowStatus(const QString& text) { statusBar()->showMessage(text); }

void HostWindow::UpdateActions() {
  const bool ready = grid_ != nullptr;
  newJob_->setEnabled(ready);
  replace_->setEnabled(ready);
  refresh_->setEnabled(ready);
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
  UpdateActions();
  const QString title = tr("Host configuration");
  const QFileInfo info(file);
  configFile_ = info.absoluteFilePath();
  setWindowTitle(tr("Kestrafix host - %1").arg(configFile_));
  if (!info.isFile()) {
    prompts_.Error(this, title, tr("The host configuration file %1 does not exist.").arg(configFile_));
    ShowStatus(tr("No host configuration open"));
    return false;
  }
  const QString dbName = ReadIniValue(configFile_, QStringLiteral("TORVEL"), QStringLiteral("DbName"));
  if (dbName.isEmpty()) {
    prompts_.Error(
        this, title,
        tr("The host configuration file %1 names no job database ([TORVEL] DbName).").arg(configFile_));
    ShowStatus(tr("No job database"));
    return false;
  }
  // A demo folder brings the environment its drive letters need; set before the add-in
  // first resolves a path.
  ApplyEnvironmentFile(info.absoluteDir().filePath(QStringLiteral("kestrafix.env")));
  if (!EnsureAddin()) return false;

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
    ShowStatus(tr("No job database"));
    return false;
  }
  grid_ = std::unique_ptr<kx_grid, GridRelease>(grid, GridRelease{api.grid_release});
  // Captions of the message file the add-in uses; without one the column names stay.
  api.grid_use_message_captions(grid, QFile::encodeName(configFile_).constData());
  model_->SetGrid(&api, grid);
  view_->resizeColumnsToContents();
  ShowGridCurrent();
  UpdateActions();
  ShowStatus(tr("%n job(s)", nullptr, model_->rowCount()));
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
}

// Puts the view's current cell where the grid's current row and column are.
void HostWindow::ShowGridCurrent() {
  if (!grid_) return;
  int32_t row = -1, col = -1;
  if (addin_->Api().grid_current(grid_.get(), &row, &col) != KX_OK || row < 0) return;
  const QModelIndex source = model_->index(row, col < 0 ? 0 : col);
  const QModelIndex shown = proxy_->mapFromSource(source);
  if (!shown.isValid()) return;
  // Moving the view's current cell reports back through TrackCurrent; keep the grid's column.
  const QSignalBlocker block(view_->selectionModel());
  view_->selectionModel()->setCurrentIndex(shown,
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view_->scrollTo(shown);
  view_->viewport()->update();
}

void HostWindow::SelectCell(int row, int column) {
  const QModelIndex shown = proxy_->index(row, column);
  if (shown.isValid())
    view_->selectionModel()->setCurrentIndex(shown,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void HostWindow::TrackCurrent(const QModelIndex& proxyIndex) {
  if (!grid_) return;
  const QModelIndex source = proxy_->mapToSource(proxyIndex);
  if (!source.isValid()) return;
  const AddinApi& api = addin_->Api();
  api.grid_set_row(grid_.get(), source.row());
  api.grid_set_col(grid_.get(), source.column());
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
  api.object_release(object);

  RefreshGrid();
  switch (result) {
    case 1:
      ShowStatus(tr("New job created"));
      break;
    case 2:
      ShowStatus(tr("Jobs replaced"));
      break;
    default:
      ShowStatus(tr("Cancelled"));
  }
  return result;
}

}  // namespace kxhost
