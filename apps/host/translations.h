#pragma once
// The host in the user's language: its own texts (compiled from the Qt Linguist files in
// apps/host/translations) and Qt's (the buttons of message boxes and file dialogs).
#include <QLocale>
#include <QStringList>

class QCoreApplication;

namespace kxhost {

// Installs the translations for the locale; the names of those found ("kestrafix-host_de",
// "qtbase_de").
QStringList InstallTranslations(QCoreApplication& app, const QLocale& locale);

}  // namespace kxhost
