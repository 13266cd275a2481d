#pragma once
// Reading one key of a host configuration file (INI form). The host reads its own
// configuration; the add-in reads the same file by itself.
#include <QString>

namespace kxhost {

// The value of key in [section], "" when the file, the section or the key is missing.
// Sections and keys compare without case; the first occurrence wins; blanks around the
// value and one pair of enclosing double quotes are removed.
QString ReadIniValue(const QString& file, const QString& section, const QString& key);

}  // namespace kxhost
