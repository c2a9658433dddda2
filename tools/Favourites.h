#pragma once

#include "platform/FileAccess.h"

#include <QString>

class TStrSet;

// The favourite files and folders, kept one per line in favorites.ini in the program folder:
// the description, the field separator, then the path.

struct Favourite {
    QString description;
    QString path;
};

// The full path of favorites.ini; with forWriting its folder is created when missing.
QString FavouritesFilePath(bool forWriting = false);

// A line split at its first separator; the path keeps any further separators. A line
// without a separator is all description, with an empty path.
Favourite SplitFavourite(const QString& line);
QString JoinFavourite(const QString& description, const QString& path);

// Replaces the lines with those of favorites.ini when the file exists and returns true;
// otherwise (no file, or one that cannot be read) the lines stay as they were and the answer
// is false, with the reason in error when the file exists but could not be read.
bool LoadFavourites(TStrSet& lines, QString* error = nullptr);
