#include "platform/Shell.h"

#include "platform/RecentDocuments.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStorageInfo>
#include <QUrl>

namespace
{

const char* const FileManagerService = "org.freedesktop.FileManager1";

QUrl urlForPathOrAddress(const QString& pathOrAddress)
{
    if (QFileInfo::exists(pathOrAddress))
        return QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath());
    return QUrl::fromUserInput(pathOrAddress);
}

bool isRemovableMount(const QStorageInfo& info)
{
    const QString root = info.rootPath();
    return info.isValid() && info.isReady() && info.device().startsWith("/dev/") &&
           (root.startsWith("/media/") || root.startsWith("/run/media/") ||
            root.startsWith("/mnt/"));
}

} // namespace

QIcon FileTypeIcons::icon(const QString& nameOrPattern)
{
    static const QMimeDatabase mimeDatabase;
    const QString name = QFileInfo(nameOrPattern).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString key = dot < 0 ? u'/' + name : name.mid(dot).toLower();
    auto type = m_typeByKey.constFind(key);
    if (type == m_typeByKey.constEnd())
        type = m_typeByKey.insert(
            key, mimeDatabase.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name());
    auto found = m_iconByType.constFind(*type);
    if (found == m_iconByType.constEnd()) {
        const QMimeType mimeType = mimeDatabase.mimeTypeForName(*type);
        QIcon icon = QIcon::fromTheme(mimeType.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(mimeType.genericIconName());
        if (icon.isNull())
            icon = QFileIconProvider().icon(QFileIconProvider::File);
        found = m_iconByType.insert(*type, icon);
    }
    return *found;
}

QIcon iconForFolder(bool volume)
{
    return QIcon::fromTheme(
        volume ? QStringLiteral("drive-harddisk") : QStringLiteral("folder"),
        QFileIconProvider().icon(volume ? QFileIconProvider::Drive : QFileIconProvider::Folder));
}

bool DesktopShell::openWithDefault(const QString& pathOrAddress)
{
    const QUrl url = urlForPathOrAddress(pathOrAddress);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool DesktopShell::startProgram(const QString& program, const QString& fileArgument,
                                const QString& workingFolder, QString& error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({fileArgument});
    process.setWorkingDirectory(workingFolder);
    if (process.startDetached())
        return true;
    error = process.errorString();
    return false;
}

void DesktopShell::showProperties(const QString& path, QWidget* parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(FileManagerService)) {
        showOwnPropertiesDialog(path, parent);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(FileManagerService, "/org/freedesktop/FileManager1",
                                       FileManagerService, "ShowItemProperties");
    call << QStringList{QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()}
         << QString();
    // Asynchronous: a file manager that never answers must not freeze the editor.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, path, parent] {
        if (watcher->isError())
            showOwnPropertiesDialog(path, parent);
        watcher->deleteLater();
    });
}

void DesktopShell::addToRecentDocuments(const QString& path)
{
    RecentDocuments::add(path, QCoreApplication::applicationName());
}

QStringList DesktopShell::recentDocuments()
{
    return RecentDocuments::localFiles();
}

QIcon DesktopShell::fileTypeIcon(const QString& nameOrPattern)
{
    return m_icons.icon(nameOrPattern);
}

QList<Volume> DesktopShell::volumes()
{
    QList<Volume> result;
    const QStorageInfo root = QStorageInfo::root();
    result << Volume{"/", root.name(), root.isValid()};
    result << Volume{QDir::homePath(), QStringLiteral("Home"), true};
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        if (isRemovableMount(info))
            result << Volume{info.rootPath(), info.name(), true};
    }
    return result;
}
