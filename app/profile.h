#pragma once

#include <QString>

// The one value the program keeps between starts: the last directory browsed, key
// "Last Used Directory" in section "Application Data" of the program's INI file. The file is
// named after the executable and lives in the user's configuration folder
// (~/.config/brevanto.ini on Linux, unless XDG_CONFIG_HOME says otherwise).

// The INI file in use, looked up anew on every call (so a test that points XDG_CONFIG_HOME at
// a folder of its own gets a fresh file).
QString ProfileFilePath();

// The value when the key is absent: the home directory with a trailing separator on Linux.
QString DefaultLastDirectory();

// Read anew from the file on every call, so another instance's write is seen.
QString ReadLastDirectory();
void WriteLastDirectory(const QString& directory);
