#pragma once

#include <QString>

// The one value the program keeps between starts: the last directory browsed, key
// "Last Used Directory" in section "Application Data" of the program's INI file. The file is
// named after the executable and lives in the user's configuration folder
// (~/.config/brevanto.ini on Linux, unless XDG_CONFIG_HOME says otherwise).

// The INI file in use.
QString ProfileFilePath();
// Points the profile at another file (tests give each case its own); an empty path restores
// the usual one.
void SetProfileFilePath(const QString& path);

// The value when the key is absent: the home directory with a trailing separator on Linux.
QString DefaultLastDirectory();

// Read anew from the file on every call, so another instance's write is seen.
QString ReadLastDirectory();
void WriteLastDirectory(const QString& directory);
