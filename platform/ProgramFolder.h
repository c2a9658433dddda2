#pragma once

#include <QString>

// The folder that holds tavro.ini, autocomp.ini, favorites.ini, openwith.ini and the
// macro files: $TAVRO_HOME when set; else the executable's folder when it is writable and
// the program is not installed; else $XDG_CONFIG_HOME/tavro.
QString programFolder();

// The same choice for a program whose executable lies in executableFolder.
QString programFolderFor(const QString& executableFolder);

// Full path of a file in the program folder. With forWriting the folder is created
// when it does not exist yet.
QString programFilePath(const QString& fileName, bool forWriting = false);

// Where the files installed with the program (the help page) lie: PREFIX/share/tavro for
// PREFIX/bin/tavro. The program counts as installed when that folder exists, and then
// never writes next to its executable, even where it could (a prefix of the user's own,
// or run by root).
QString installedDataFolder(const QString& executableFolder);
bool isInstalled(const QString& executableFolder);
