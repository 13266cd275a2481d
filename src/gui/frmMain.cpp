#include "gui/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>

#include "config/config_keys.h"
#include "config/mdlForm.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "dialogs/new_job_record.h"
#include "dialogs/next_value_query.h"
#include "fs/native_path.h"
#include "gui/db_combo.h"
#include "gui/dialog_registration.h"
#include "gui/internal/frmMain_errors.h"
#include "gui/mnemonics.h"
#include "gui/qt_placement_window.h"
#include "gui/status_panel.h"
#include "jobdata/mdlString.h"
#include "messages/clsResStrs.h"
#include "platform/host_grid.h"
#include "platform/ui_services.h"

namespace kx {

// The base folder with its placeholders expanded; a native path (from the INI or an older
// picker) is taken into the Windows form so sub-folder names can be joined with "\".
static std::string ExpandBaseFolder(const QString& text) {
  return NormalizeInputPath(ReplacePathParams(text.toStdString()));
}

using frmmain::Report;
using frmmain::ResumeNext;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The value a list shows nothing for: an edit control ends its text at character code 0.
const std::string kNoValue(1, '\0');

// True when a row of the list carries value in its value column.
bool ValueIsRow(const DbCombo& list) {
  const int column = list.ColumnIndex(list.ValueField());
  const int valueColumn = column >= 0 ? column : 0;
  for (int r = 0; r < list.RowCount(); ++r) {
    if (list.CellText(valueColumn, r) == list.Value()) return true;
  }
  return false;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QDialog(parent) {
  recordHook_ = &AddJobRecord;
  data1_[0] = std::make_unique<DataSource>();
  data1_[1] = std::make_unique<DataSource>();
  BuildControls();
  Form_Load();
  // The captions are known now; the button of each key field reaches it by its letter.
  AssignMnemonics({Command1_[0], Command1_[1], Label1_[2], Label1_[3], Command2_, Label2_[1], Label2_[2],
                   Check2_, Command3_[1], Command3_[0]});
  FitLabelColumn();
  Form_Resize();
}

frmMain::~frmMain() = default;

DataSource& frmMain::Data1(int Index) {
  if (Index != 3 && Index != 4) {
    throw KxError(340, "Kestrafix", "Control array element '" + std::to_string(Index) + "' doesn't exist");
  }
  return *data1_[static_cast<std::size_t>(Index - 3)];
}

NewJobSettings frmMain::Settings() const {
  NewJobSettings s;
  s.DbName = dbName_;
  s.UserId = userId_;
  s.OpenRecordsetOptions = openRecordsetOptions_;
  return s;
}

IHostGrid& frmMain::Grid() const {
  if (!grid_) throw KxError(91, "Kestrafix", "Object variable or With block variable not set");
  return *grid_;
}

std::string frmMain::GridCaption(std::string_view column) const { return Grid().Columns(column).Caption(); }

// ---- Loading ---------------------------------------------------------------------------

void frmMain::Form_Load() {
  try {
    grid_ = Shared().goSSDBGrid;

    const TorvelSettings s = ReadTorvelSettings();
    synchron_ = s.Synchron;
    showElectrode_ = s.ShowElectrode;
    dbName_ = s.DbName;
    openRecordsetOptions_ = s.OpenRecordsetOptions;
    openRecordsetOptions16_ = s.OpenRecordsetOptions16;
    userId_ = s.UserId;
    ApplyToSharedState(s);

    const std::string resFile =
        GetAppPath() + "\\ResStr\\" + Fso().GetBaseName(Shared().gsIniFile) + "." + s.CountryExtension;
    if (!Shared().goResStrs) Shared().goResStrs = std::make_shared<clsResStrs>();
    Shared().goResStrs->Load(resFile);  // a missing file leaves an empty table

    InitDataControl(Data1(3), vbRSTypeSnapShot);
    InitDataControl(Data1(4), vbRSTypeSnapShot);

    FillDataTypeCombo();

    DbCombo& machine = *SSDBCombo1_[3];
    Data1(3).RecordSource("select Distinct [Machine] from machine order by [Machine] ASC");
    Data1(3).Refresh();
    machine.Bind(Data1(3));
    machine.SetValueField("Machine");
    machine.SetDisplayField("Machine");
    machine.SetListSettings(false, true, true, false);

    DbCombo& machineSet = *SSDBCombo1_[4];
    Data1(4).RecordSource("select Distinct [Machineset] from data order by [Machineset] ASC");
    Data1(4).Refresh();
    machineSet.Bind(Data1(4));
    machineSet.SetValueField("Machineset");
    machineSet.SetDisplayField("Machineset");
    machineSet.SetListSettings(true, true, true, false);

    InitFromCurrentJob();

    QtPlacementWindow placement(*this);
    LoadFormPlacement(placement);

    Command1_[0]->setText(Q(GridCaption("Programnumber")));
    Command1_[1]->setText(Q(GridCaption("Filename")));
    Label1_[2]->setText(Q(GridCaption("DataType")));
    Label1_[3]->setText(Q(GridCaption("Machine")));
    Label1_[4]->setText(Q(GridCaption("MachineSet")));

    Label1_[4]->setVisible(false);
    SSDBCombo1_[4]->setVisible(false);

    for (int i = 1; i <= 2; ++i) {
      DbCombo& list = *SSDBCombo2_[static_cast<std::size_t>(i)];
      list.SetColumnVisible(0, true);
      list.SetValueField(list.ColumnName(0));
      list.SetDisplayField(list.ColumnName(0));
      list.SetListSettings(true, true, true, false);
    }

    const FrmMainTexts texts = ReadFrmMainTexts();
    setWindowTitle(Q(texts.Caption));
    Command2_->setText(Q(texts.BaseFolderLabel));

    Label2_[1]->setText(Q(GridCaption("Adresstext")));
    Label2_[2]->setText(Q(GridCaption("OrderNumber")));

    Text2_->setEnabled(false);  // changed only through the folder picker
    Text2_->setText(Q(texts.BaseFolder));

    Check2_->setText(Q(texts.CopyFilesLabel));

    if (Grid().Rows() == 0) Check2_->setVisible(false);  // no job whose files could be copied
  } catch (const std::exception& e) {
    Report(e, "Form_Load");
  }
}

void frmMain::InitDataControl(DataSource& oData, int iRecordsetType) {
  oData.Visible(false);
  oData.RecordsetType(iRecordsetType);
  oData.DatabaseName(dbName_);
  oData.Options(openRecordsetOptions16_);
}

void frmMain::FillDataTypeCombo() {
  DbCombo& list = *SSDBCombo1_[2];
  list.SetFieldSeparator(";");
  list.SetColumnCount(2);
  list.SetColumnVisible(0, false);
  list.SetValueField(list.ColumnName(0));
  list.SetDisplayField(list.ColumnName(1));
  list.SetListSettings(false, true, true, false);
  clsResStrs& msgs = *Shared().goResStrs;
  const int last = showElectrode_ ? 5 : 4;
  for (int n = 0; n <= last; ++n) {
    const std::string number = std::to_string(n);
    list.AddItem(number + ";" + msgs.Msg("NcData.DataType(" + number + ").Caption"));
  }
}

void frmMain::InitFromCurrentJob() {
  if (Grid().Rows() > 0) {
    IHostGrid& grid = Grid();
    if (synchron_) {
      const std::string value = GetNewStrValue(dbName_, grid.Columns("Filename").Value().ToText(), 0);
      Text1_[0]->setText(Q(value));
      Text1_[1]->setText(Q(value));
    } else {
      Text1_[0]->setText(Q(GetNewStrValue(dbName_, grid.Columns("ProgramNumber").Value().ToText(), 2)));
      Text1_[1]->setText(Q(GetNewStrValue(dbName_, grid.Columns("Filename").Value().ToText(), 1)));
    }
    SSDBCombo1_[2]->SetValue(grid.Columns("DataType").Value().ToText());
    SSDBCombo1_[3]->SetValue(grid.Columns("Machine").Value().ToText());
    SSDBCombo1_[4]->SetValue(grid.Columns("Machineset").Value().ToText());
  }
  if (!ValueIsRow(*SSDBCombo1_[2])) SSDBCombo1_[2]->SetValue("0");
}

void frmMain::Form_Activate() {
  ResumeNext([&] {
    if (Text1_[0]->text().isEmpty()) {
      Text1_[0]->setFocus(Qt::OtherFocusReason);
    } else {
      SSDBCombo1_[3]->SetFocus();
    }
  });
}

void frmMain::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
}

// ---- Closing ---------------------------------------------------------------------------

void frmMain::done(int r) {
  // Every way out (OK, Abbrechen, the frame, Escape) unloads the form once.
  if (!unloaded_) {
    unloaded_ = true;
    Form_Unload();
  }
  QDialog::done(r);
}

void frmMain::Form_Unload() {
  try {
    grid_.reset();
    Shared().goResStrs.reset();
    WriteFrmMainBaseFolder(Text2_->text().toStdString());
    QtPlacementWindow placement(*this);
    SaveFormPlacement(placement);
  } catch (const std::exception& e) {
    Report(e, "Form_Unload");
  }
}

// ---- Interaction -----------------------------------------------------------------------

void frmMain::Command1_Click(int Index) {
  // A failing proposal is reported; the dialog stays usable with the boxes as they were.
  try {
    // The proposal is there to be taken or edited: the focus goes into its box.
    const auto focusBox = qScopeGuard([&] {
      if (Index == 0 || Index == 1) {
        Text1_[static_cast<std::size_t>(Index)]->setFocus(Qt::OtherFocusReason);
        Text1_[static_cast<std::size_t>(Index)]->selectAll();
      }
    });
    if (Index == 0) {
      if (synchron_) {
        Text1_[0]->setText(Q(GetNewStrValue(dbName_, Text1_[0]->text().toStdString(), 0)));
        Text1_[1]->setText(Text1_[0]->text());
      } else {
        Text1_[0]->setText(Q(GetNewStrValue(dbName_, Text1_[0]->text().toStdString(), 2)));
      }
    } else if (Index == 1) {
      if (synchron_) {
        Text1_[1]->setText(Q(GetNewStrValue(dbName_, Text1_[1]->text().toStdString(), 0)));
        Text1_[0]->setText(Text1_[1]->text());
      } else {
        Text1_[1]->setText(Q(GetNewStrValue(dbName_, Text1_[1]->text().toStdString(), 1)));
      }
    }
  } catch (const std::exception& e) {
    Report(e, "Command1_Click");
  }
}

void frmMain::Text1_Change(int Index) {
  // Only what the user types is mirrored; the program's own assignments happen while
  // another control has the focus, and the mirrored box does not copy back.
  ResumeNext([&] {
    if (!synchron_ || (Index != 0 && Index != 1)) return;
    QLineEdit* changed = Text1_[static_cast<std::size_t>(Index)];
    if (focusWidget() != changed) return;
    Text1_[static_cast<std::size_t>(1 - Index)]->setText(changed->text());
  });
}

void frmMain::Command2_Click(int Index) {
  if (Index != 0) return;
  std::string start, picked;
  ResumeNext([&] { start = ExpandBaseFolder(Text2_->text()); });
  ResumeNext([&] { picked = Ui().BrowseForFolder(WithoutMnemonic(Command2_->text()).toStdString(), start); });
  ResumeNext([&] {
    if (!picked.empty()) Text2_->setText(Q(picked));
  });
}

void frmMain::Text2_Change(int Index) {
  if (Index == 0) FillAddressList();
}

void frmMain::FillAddressList() {
  DbCombo& order = *SSDBCombo2_[2];
  DbCombo& address = *SSDBCombo2_[1];
  ResumeNext([&] { order.RemoveAll(); });
  ResumeNext([&] { order.SetValue(kNoValue); });
  ResumeNext([&] { address.RemoveAll(); });
  ResumeNext([&] { address.SetValue(kNoValue); });
  std::string base;
  ResumeNext([&] { base = ExpandBaseFolder(Text2_->text()); });
  ResumeNext([&] {
    clsFso& fso = Fso();
    if (!fso.FolderExists(base)) return;
    const PathList folders = fso.GetAllFolders(base, 1);
    // The first item is the base folder itself.
    for (long i = 2; i <= folders.Count(); ++i) address.AddItem(fso.GetFileName(folders.Item(i)));
  });
}

void frmMain::FillOrderList() {
  DbCombo& address = *SSDBCombo2_[1];
  DbCombo& order = *SSDBCombo2_[2];
  if (address.Tag() == address.Value()) return;  // nothing changed
  address.SetTag(address.Value());
  ResumeNext([&] { order.RemoveAll(); });
  ResumeNext([&] { order.SetValue(kNoValue); });
  ResumeNext([&] {
    clsFso& fso = Fso();
    const std::string base = ExpandBaseFolder(Text2_->text());
    if (!fso.FolderExists(base)) return;
    if (!address.IsItemInList()) return;  // a typed name that has no folder yet
    const std::string folder = base + "\\" + address.Text();
    if (!fso.FolderExists(folder)) return;
    const PathList folders = fso.GetAllFolders(folder, 1);
    for (long i = 2; i <= folders.Count(); ++i) order.AddItem(fso.GetFileName(folders.Item(i)));
    order.SetDisplayFlag(true);
    order.SetDisplayFlag(false);
  });
}

void frmMain::Command3_Click(int Index) {
  if (Index == 1) {
    reject();
    return;
  }
  if (Index != 0) return;
  // An error that escapes the record creation is reported; the dialog stays open.
  try {
    if (!recordHook_) throw KxError(err::InvalidProcedureCall, "Kestrafix", "No record creation installed");
    copyProgress_ = std::make_unique<DialogCopyProgress>(*this);
    const bool stored = recordHook_(*this, grid_.get(), Data1(3).Database(), Settings());
    copyProgress_.reset();  // the cursor comes back before any box
    if (stored) {
      retVal_ = true;
      accept();
    }
  } catch (const std::exception& e) {
    copyProgress_.reset();
    Report(e, "Command3_Click");
  }
}

IImportProgress* frmMain::CopyProgress() { return copyProgress_.get(); }

DialogCopyProgress::~DialogCopyProgress() {
  if (waiting_) QApplication::restoreOverrideCursor();
}

void DialogCopyProgress::ImportStarted(long files, std::uint64_t bytes) {
  ImportTally::ImportStarted(files, bytes);
  if (!waiting_) QApplication::setOverrideCursor(Qt::WaitCursor);
  waiting_ = true;
  Show();
}

void DialogCopyProgress::FileHandled(const std::string& source, const std::string& target,
                                     std::uint64_t bytes, ImportOutcome outcome) {
  ImportTally::FileHandled(source, target, bytes, outcome);
  Show();
}

void DialogCopyProgress::Show() {
  std::string text = ResStrs().Msg("MSG(CopyFiles)", filesDone, filesTotal);
  if (text.empty()) text = std::to_string(filesDone) + " / " + std::to_string(filesTotal);
  dialog_.ShowStatus(text);
  // No thread of our own: the window repaints here, between two files; what the user does
  // waits until the copy is done.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMain::ShowStatus(const std::string& sText) { kx::ShowStatus(*StatusBar1_, sText); }

// ---- Run's view of the dialog ------------------------------------------------------------

namespace {

class NewJobModal : public IModalDialog {
 public:
  void ShowModal() override {
    dialog_ = std::make_unique<frmMain>();
    dialog_->exec();
  }
  bool RetVal() const override { return dialog_ && dialog_->RetVal(); }

 private:
  std::unique_ptr<frmMain> dialog_;
};

}  // namespace

std::unique_ptr<IModalDialog> CreateNewJobDialog() { return std::make_unique<NewJobModal>(); }

}  // namespace kx
