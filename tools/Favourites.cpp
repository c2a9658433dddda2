#include "tools/Favourites.h"

#include "app/Strset.h"
#include "app/TextFile.h"
#include "platform/ProgramFolder.h"

QString FavouritesFilePath(bool forWriting)
{
    return programFilePath(QStringLiteral("favorites.ini"), forWriting);
}

Favourite SplitFavourite(const QString& line)
{
    const QString separator = ListFieldSeparator();
    const qsizetype at = line.indexOf(separator);
    if (at < 0)
        return {line, QString()};
    return {line.left(at), line.mid(at + separator.size())};
}

QString JoinFavourite(const QString& description, const QString& path)
{
    return description + ListFieldSeparator() + path;
}

bool LoadFavourites(TStrSet& lines, QString* error)
{
    return lines.LoadIfExists(FavouritesFilePath(), error);
}
