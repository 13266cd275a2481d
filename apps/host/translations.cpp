#include "translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace kxhost {

QStringList InstallTranslations(QCoreApplication& app, const QLocale& locale) {
  QStringList installed;
  const struct {
    QString name, folder;
    bool english;  // the source texts are English, but their plural forms come from the file
  } sources[] = {{QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath), false},
                 {QStringLiteral("kestrafix-host"), QStringLiteral(":/i18n"), true}};
  for (const auto& s : sources) {
    auto* translator = new QTranslator(&app);
    const bool found = translator->load(locale, s.name, QStringLiteral("_"), s.folder) ||
                       (s.english && translator->load(QLocale(QLocale::English), s.name, "_", s.folder));
    if (found && QCoreApplication::installTranslator(translator)) {
      installed << QFileInfo(translator->filePath()).completeBaseName();
    } else {
      delete translator;
    }
  }
  return installed;
}

}  // namespace kxhost
