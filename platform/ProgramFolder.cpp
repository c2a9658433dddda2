#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString programFolder()
{
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString programFolderFor(const QString& executableFolder)
{
    const QString home = qEnvironmentVariable("TAVRO_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    if (!executableFolder.isEmpty() && QFileInfo(executableFolder).isWritable() &&
        !isInstalled(executableFolder))
        return executableFolder;
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/tavro"));
}

QString programFilePath(const QString& fileName, bool forWriting)
{
    const QString folder = programFolder();
    if (forWriting)
        QDir().mkpath(folder);
    return QDir(folder).filePath(fileName);
}

QString installedDataFolder(const QString& executableFolder)
{
    return QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(TAVRO_DATA_FROM_BIN)));
}

bool isInstalled(const QString& executableFolder)
{
    return !executableFolder.isEmpty() && QFileInfo(installedDataFolder(executableFolder)).isDir();
}
