// The Favorites submenu of the File menu, built from favorites.ini each time it opens, and
// the command that opens the Favourites organiser.

#include "app/Unit1.h"

#include "app/Strset.h"
#include "platform/Shell.h"
#include "tools/Favourites.h"
#include "tools/Unit14.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace
{

// The separator and "Modify..." stay; every item above them is a favourite.
bool isFavouriteItem(const QAction* item)
{
    return item->objectName() != QLatin1String("N15") &&
           item->objectName() != QLatin1String("Modify1");
}

} // namespace

// The submenu shows the file as it is on disk now. A file that cannot be read (a pipe, a
// folder, one too large) leaves the submenu without favourites; the organiser says why.
void TForm1::Favorites1Click()
{
    auto* menu = findChild<QMenu*>(QStringLiteral("Favorites1"));
    const QList<QAction*> items = menu->actions();
    for (QAction* item : items) {
        if (isFavouriteItem(item))
            delete item;
    }
    tmpset->Strings().clear();
    if (!LoadFavourites(*tmpset))
        return;

    QAction* separator = action("N15");
    const QStringList& lines = tmpset->Strings();
    for (int i = 0; i < lines.size(); ++i) {
        const Favourite favourite = SplitFavourite(lines[i]);
        // "&&" shows an ampersand of the description instead of making an access key.
        auto* item =
            new QAction(QString(favourite.description).replace(u'&', QStringLiteral("&&")), menu);
        item->setData(i);
        item->setIcon(QFileInfo(favourite.path).isDir()
                          ? iconForFolder()
                          : m_platform.shell.fileTypeIcon(favourite.path));
        connect(item, &QAction::triggered, this, [this, i] { FavoriteItemClick(i); });
        menu->insertAction(separator, item);
    }
}

// A file is opened as it is, without joining the recent documents; anything else (a folder,
// a path that has gone) is where the Open dialog starts.
void TForm1::FavoriteItemClick(int index)
{
    if (index < 0 || index >= tmpset->Strings().size())
        return;
    const QString path = SplitFavourite(tmpset->Strings().at(index)).path;
    if (QFileInfo(path).isFile()) {
        OpenFileInNewWindow(path);
        return;
    }
    m_openRequest.folder = path;
    m_openRequest.fileName.clear();
    openChosenFiles();
}

// The organiser is filled by the command only: a window the window system shows again after
// minimising keeps what the user entered.
void TForm1::Modify1Click()
{
    Form14->FormShow();
    ShowSecondaryWindow(Form14);
}
