#include "gui/mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSet>

namespace kx {

namespace {

QString TextOf(const QWidget* w) {
  if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  return {};
}

void SetTextOf(QWidget* w, const QString& text) {
  if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
  if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
}

// The position of the mnemonic marker, -1 when the text has none ("&&" is a plain "&").
qsizetype MarkerAt(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return i;
    ++i;
  }
  return -1;
}

}  // namespace

QString WithoutMnemonic(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

void AssignMnemonics(const std::vector<QWidget*>& captioned) {
  QSet<QChar> used;
  for (const QWidget* w : captioned) {
    const QString text = TextOf(w);
    if (const qsizetype at = MarkerAt(text); at >= 0) used.insert(text[at + 1].toLower());
  }
  for (QWidget* w : captioned) {
    const QString text = TextOf(w);
    if (text.isEmpty() || MarkerAt(text) >= 0) continue;
    qsizetype pick = -1;
    for (int pass = 0; pass < 2 && pick < 0; ++pass) {
      for (qsizetype i = 0; i < text.size() && pick < 0; ++i) {
        const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
        if (text[i].isLetterOrNumber() && (pass == 1 || wordStart) && !used.contains(text[i].toLower()))
          pick = i;
      }
    }
    if (pick < 0) continue;  // every letter taken: reachable by Tab only
    used.insert(text[pick].toLower());
    SetTextOf(w, text.left(pick) + '&' + text.mid(pick));
  }
}

}  // namespace kx
