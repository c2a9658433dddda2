#pragma once

#include <QString>

// The folder that holds tavro.ini, autocomp.ini, favorites.ini, openwith.ini and the
// macro files: $TAVRO_HOME when set; else the executable's folder when writable; else
// $XDG_CONFIG_HOME/tavro.
QString programFolder();

// Full path of a file in the program folder. With forWriting the folder is created
// when it does not exist yet.
QString programFilePath(const QString& fileName, bool forWriting = false);
