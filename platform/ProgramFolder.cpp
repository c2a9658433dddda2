#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString programFolder()
{
    const QString home = qEnvironmentVariable("TAVRO_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (!exeFolder.isEmpty() && QFileInfo(exeFolder).isWritable())
        return exeFolder;
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
