#pragma once
// A demo folder made by "kestrafix demo" holds kestrafix.env beside its torvel.cfg: the
// environment (drive map, add-in folder, common documents) its Windows-form paths need.
#include <QString>
#include <QStringList>

namespace kxhost {

// Sets each variable of the "export NAME='value'" lines of envFile that is not set yet.
// Returns the names set; a missing file sets nothing.
QStringList ApplyEnvironmentFile(const QString& envFile);

}  // namespace kxhost
