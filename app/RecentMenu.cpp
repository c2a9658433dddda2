#include "app/RecentMenu.h"

#include "app/TextCompare.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>

namespace
{

// Deletes the items of the previous build and hides the one item that stays.
void clearRecentItems(QMenu* menu)
{
    QList<QAction*> items = menu->actions();
    if (items.isEmpty())
        return;
    items.takeLast()->setVisible(false);
    qDeleteAll(items);
}

void addRecentItem(QMenu* menu, const QString& path, Shell& shell,
                   const std::function<void(const QString&)>& onChosen)
{
    // "&&" shows an ampersand of the path instead of making an access key.
    const QString caption = QString(path).replace(u'&', QStringLiteral("&&"));
    QAction* item = menu->addAction(shell.fileTypeIcon(path), caption);
    QObject::connect(item, &QAction::triggered, item, [onChosen, path] { onChosen(path); });
}

} // namespace

QString RecentTypePattern(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    return u'*' + AsciiUpperCase(extension).left(4);
}

bool IsListedRecentDocument(const QString& path, const QString& openFilter)
{
    return AsciiUpperCase(openFilter).contains(RecentTypePattern(path));
}

void RebuildRecentMenu(QMenu* menu, const QStringList& recentFiles, const QString& openFilter,
                       Shell& shell, const std::function<void(const QString&)>& onChosen)
{
    clearRecentItems(menu);
    for (const QString& path : recentFiles) {
        // The list can be long: keep the windows painted.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (IsListedRecentDocument(path, openFilter))
            addRecentItem(menu, path, shell, onChosen);
    }
    menu->menuAction()->setEnabled(!menu->actions().isEmpty());
}

bool ConfirmRecentFileExists(const QString& path, Prompts& prompts)
{
    if (QFileInfo(path).isFile())
        return true;
    prompts.message(MessageKind::Error,
                    QStringLiteral("Could not find file ") + QFileInfo(path).fileName() + u'.',
                    MessageButtons::Ok);
    return false;
}
