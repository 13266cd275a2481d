// The new-job dialog's controls at their design places (twips), and the layout that
// follows the window's size.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <algorithm>
#include <cstdlib>

#include "gui/db_combo.h"
#include "gui/frmMain.h"
#include "gui/internal/frmMain_errors.h"
#include "gui/qt_placement_window.h"

namespace kx {

using frmmain::ResumeNext;

namespace {

constexpr int kRowHeight = 315;
constexpr int kLabelWidth = 1515;
constexpr int kInputWidth = 4395;
constexpr int kButtonWidth = 1515;

QString Indexed(const char* array, int index) { return QString("%1(%2)").arg(array).arg(index); }

}  // namespace

int frmMain::Px(int twips) const {
  const int dpi = logicalDpiX();
  return PixelsFromTwips(static_cast<float>(twips), dpi > 0 ? dpi : 96.0);
}

void frmMain::BuildControls() {
  setObjectName("frmMain");
  setWindowTitle(QString());
  setSizeGripEnabled(false);  // the status bar brings its own

  auto frame = [&](int index, int top, int height) {
    auto* f = new QFrame(this);
    f->setObjectName(Indexed("Frame1", index));
    f->setFrameShape(QFrame::NoFrame);
    f->setGeometry(0, Px(top), Px(kInnerWidth), Px(height));
    Frame1_[static_cast<std::size_t>(index)] = f;
    return f;
  };
  auto place = [&](QWidget* w, const QString& name, int left, int top, int width, int height = kRowHeight) {
    w->setObjectName(name);
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
  };
  auto label = [&](QFrame* parent, const QString& name, const char* caption, int top) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(l, name, kLabelLeft, top, kLabelWidth);
    return l;
  };
  auto button = [&](QFrame* parent, const QString& name, const char* caption, int left, int top, int width) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setAutoDefault(false);
    place(b, name, left, top, width);
    return b;
  };
  auto text = [&](QFrame* parent, const QString& name, int top) {
    auto* t = new QLineEdit(parent);
    place(t, name, kInputLeft, top, kInputWidth);
    return t;
  };
  auto list = [&](QFrame* parent, const QString& name, int top) {
    auto* c = new DbCombo(parent);
    place(c, name, kInputLeft, top, kInputWidth);
    return c;
  };

  // Upper block: the job's keys. Created top to bottom, which is also the tab order.
  QFrame* f1 = frame(1, 0, kFrame1Height);
  Command1_[0] = button(f1, Indexed("Command1", 0), "*ProgramNumber", kLabelLeft, 60, kLabelWidth);
  Text1_[0] = text(f1, Indexed("Text1", 0), 60);
  Command1_[1] = button(f1, Indexed("Command1", 1), "*FileName", kLabelLeft, 420, kLabelWidth);
  Text1_[1] = text(f1, Indexed("Text1", 1), 420);
  Label1_[2] = label(f1, Indexed("Label1", 2), "*Type", 780);
  SSDBCombo1_[2] = list(f1, Indexed("SSDBCombo1", 2), 780);
  Label1_[3] = label(f1, Indexed("Label1", 3), "*Machine", 1140);
  SSDBCombo1_[3] = list(f1, Indexed("SSDBCombo1", 3), 1140);
  Label1_[4] = label(f1, Indexed("Label1", 4), "*Machineset", 1500);
  SSDBCombo1_[4] = list(f1, Indexed("SSDBCombo1", 4), 1500);

  // Middle block: folders and copying.
  QFrame* f2 = frame(2, kFrame1Height, kFrame2Height);
  Command2_ = button(f2, Indexed("Command2", 0), "*Dir", kLabelLeft, 0, kLabelWidth);
  Text2_ = text(f2, Indexed("Text2", 0), 0);
  Label2_[1] = label(f2, Indexed("Label2", 1), "*Adresstext", 360);
  SSDBCombo2_[1] = list(f2, Indexed("SSDBCombo2", 1), 360);
  Label2_[2] = label(f2, Indexed("Label2", 2), "*PartNumber", 720);
  SSDBCombo2_[2] = list(f2, Indexed("SSDBCombo2", 2), 720);
  Check2_ = new QCheckBox(QString::fromUtf8("*Copy Job Files"), f2);
  place(Check2_, Indexed("Check2", 3), kLabelLeft, 1080, 4635, 375);

  // Lower block: the command buttons.
  QFrame* f3 = frame(3, kFrame1Height + kFrame2Height, kFrame3Height);
  Command3_[0] = button(f3, Indexed("Command3", 0), "OK", 4500, 60, kButtonWidth);
  Command3_[1] = button(f3, Indexed("Command3", 1), "Abbrechen", 2940, 60, kButtonWidth);
  Command3_[0]->setDefault(true);

  StatusBar1_ = new QStatusBar(this);
  StatusBar1_->setObjectName("StatusBar1");
  StatusBar1_->setSizeGripEnabled(true);

  // Tab goes as the eye reads: rows top down, each left to right ("Abbrechen" stands left of OK).
  QWidget* chain[] = {Command1_[0],   Text1_[0],      Command1_[1], Text1_[1],   SSDBCombo1_[2],
                      SSDBCombo1_[3], SSDBCombo1_[4], Command2_,    Text2_,      SSDBCombo2_[1],
                      SSDBCombo2_[2], Check2_,        Command3_[1], Command3_[0]};
  for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
  Label1_[2]->setBuddy(SSDBCombo1_[2]);
  Label1_[3]->setBuddy(SSDBCombo1_[3]);
  Label1_[4]->setBuddy(SSDBCombo1_[4]);
  Label2_[1]->setBuddy(SSDBCombo2_[1]);
  Label2_[2]->setBuddy(SSDBCombo2_[2]);

  for (int i = 0; i < 2; ++i) {
    connect(Command1_[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
            [this, i] { Command1_Click(i); });
    connect(Text1_[static_cast<std::size_t>(i)], &QLineEdit::textChanged, this,
            [this, i] { Text1_Change(i); });
    connect(Command3_[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
            [this, i] { Command3_Click(i); });
  }
  connect(Command2_, &QPushButton::clicked, this, [this] { Command2_Click(0); });
  connect(Text2_, &QLineEdit::textChanged, this, [this] { Text2_Change(0); });
  connect(SSDBCombo2_[1], &DbCombo::valueChanged, this, [this] { FillOrderList(); });

  UpdateMinimumHeight();
  resize(Px(kInnerWidth),
         Px(kFrame1Height + kFrame2Height + kFrame3Height) + StatusBar1_->sizeHint().height());
}

void frmMain::FitLabelColumn() {
  // The design column of captions was made for a narrower font than the desktop's; when a
  // caption needs more room, the column grows and the inputs move right by as much.
  QWidget* captions[] = {Command1_[0], Command1_[1], Label1_[2], Label1_[3],
                         Label1_[4],   Command2_,    Label2_[1], Label2_[2]};
  int need = Px(kLabelWidth);
  for (QWidget* c : captions) need = std::max(need, c->sizeHint().width());
  const int delta = need - Px(kLabelWidth);
  if (delta <= 0) return;
  for (QWidget* c : captions) c->resize(need, c->height());
  QWidget* inputs[] = {Text1_[0],      Text1_[1], SSDBCombo1_[2], SSDBCombo1_[3],
                       SSDBCombo1_[4], Text2_,    SSDBCombo2_[1], SSDBCombo2_[2]};
  for (QWidget* i : inputs) i->move(Px(kInputLeft) + delta, i->y());
  resize(std::max(width(), Px(kInnerWidth) + delta), height());
}

void frmMain::UpdateMinimumHeight() {
  // Instead of growing the window on each too-low resize, the window cannot be made lower
  // than the upper and lower blocks and the status bar together.
  setMinimumHeight(Frame1_[1]->height() + Frame1_[3]->height() + StatusBar1_->sizeHint().height());
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

void frmMain::Form_Resize() {
  const int W = width();
  const int H = height();
  int nTop = 0;
  int nBottom = H;
  ResumeNext([&] {
    const int barHeight = StatusBar1_->sizeHint().height();
    StatusBar1_->setGeometry(0, H - barHeight, W, barHeight);  // aligned to the bottom
  });
  // Blocks from the top down to the middle one.
  for (int i = 1; i <= 2; ++i) {
    ResumeNext([&] {
      QFrame* f = Frame1_[static_cast<std::size_t>(i)];
      if (!f->isVisibleTo(this)) return;
      f->setGeometry(0, nTop, W, f->height());
      if (i < 2) nTop += f->height();
    });
  }
  ResumeNext([&] { nBottom = H - StatusBar1_->height(); });
  // Blocks from the bottom up to the lower one.
  for (int i = 3; i >= 3; --i) {
    ResumeNext([&] {
      QFrame* f = Frame1_[static_cast<std::size_t>(i)];
      if (!f->isVisibleTo(this)) return;
      nBottom -= f->height();
      f->setGeometry(0, nBottom, W, f->height());
    });
  }
  ResumeNext([&] {
    QFrame* f = Frame1_[2];
    if (f->isVisibleTo(this)) f->setGeometry(0, f->y(), W, std::abs(nBottom - nTop));
  });
  // The input column starts where Text1(0) does and ends m before the right edge.
  const int x = Text1_[0]->x();
  const int m = Command1_[0]->x();
  const int w = W - (m + x);
  auto fit = [&](QWidget* control) {
    ResumeNext([&] {
      control->move(x, control->y());
      if (w > 0) control->resize(w, control->height());
    });
  };
  auto fitList = [&](DbCombo* control) {
    fit(control);
    ResumeNext([&] {
      if (w > 0 && control->FirstVisibleColumn() >= 0)
        control->SetColumnWidth(control->FirstVisibleColumn(), w);
    });
  };
  for (QLineEdit* t : Text1_) fit(t);
  for (std::size_t i = 2; i <= 4; ++i) fitList(SSDBCombo1_[i]);
  fit(Text2_);
  for (std::size_t i = 1; i <= 2; ++i) fitList(SSDBCombo2_[i]);
}

}  // namespace kx
