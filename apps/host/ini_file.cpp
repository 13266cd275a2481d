#include "ini_file.h"

#include <QFile>
#include <QStringDecoder>

namespace kxhost {

QString ReadIniValue(const QString& file, const QString& section, const QString& key) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  // Configuration files from Windows workstations may be UTF-16 with a byte order mark.
  QString text;
  if (auto enc = QStringConverter::encodingForData(bytes)) {
    QStringDecoder decode(*enc);
    text = decode(bytes);
  } else {
    text = QString::fromUtf8(bytes);
  }
  bool inSection = false;
  for (QString line : text.split(QLatin1Char('\n'))) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
    if (line.startsWith(QLatin1Char('['))) {
      const qsizetype end = line.indexOf(QLatin1Char(']'));
      inSection = end > 0 && line.mid(1, end - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
      continue;
    }
    if (!inSection) continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
    QString value = line.mid(eq + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
      value = value.mid(1, value.size() - 2);
    return value;
  }
  return {};
}

}  // namespace kxhost
