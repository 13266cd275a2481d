#include "demo_environment.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdlib>

namespace kxhost {

QStringList ApplyEnvironmentFile(const QString& envFile) {
  QStringList set;
  QFile f(envFile);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return set;
  // Single quotes only, as the demo writes them; '\'' inside stands for one quote.
  static const QRegularExpression line(QStringLiteral(R"(^\s*export\s+([A-Za-z_][A-Za-z0-9_]*)='(.*)'\s*$)"));
  while (!f.atEnd()) {
    const auto m = line.match(QString::fromUtf8(f.readLine()));
    if (!m.hasMatch()) continue;
    const QByteArray name = m.captured(1).toUtf8();
    if (qEnvironmentVariableIsSet(name.constData())) continue;  // the user's own setting wins
    QString value = m.captured(2);
    value.replace(QStringLiteral("'\\''"), QStringLiteral("'"));
    setenv(name.constData(), value.toUtf8().constData(), 0);
    set << QString::fromUtf8(name);
  }
  return set;
}

}  // namespace kxhost
