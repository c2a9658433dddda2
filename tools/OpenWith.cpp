#include "tools/OpenWith.h"

#include "app/Strset.h"
#include "app/Unit1.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

QString OpenWithFilePath(bool forWriting)
{
    return programFilePath(QStringLiteral("openwith.ini"), forWriting);
}

bool LoadOpenWithPrograms(QStringList& programs, QString* error)
{
    TStrSet lines;
    if (!lines.LoadIfExists(OpenWithFilePath(), error))
        return false;
    programs = lines.Strings();
    return true;
}

FileResult SaveOpenWithPrograms(const QStringList& programs)
{
    TStrSet lines;
    lines.SetStrings(programs);
    return lines.SaveToFile(OpenWithFilePath(true));
}

bool RememberProgram(QStringList& programs, const QString& program)
{
    if (programs.contains(program))
        return false;
    if (programs.size() > MaxRememberedPrograms)
        programs.removeLast();
    programs << program;
    return true;
}

QString OpenWithFolder(const QString& caption)
{
    if (!IsUntitledCaption(caption)) {
        const QString folder = QFileInfo(caption).absolutePath();
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return PrivateTemporaryFolder();
}

namespace
{

// A folder of this user's alone: not a link, owned by the user, closed to everyone else.
bool isPrivateFolder(const QString& folder)
{
    struct stat info;
    return !folder.isEmpty() && ::lstat(QFile::encodeName(folder).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace

QString PrivateTemporaryFolder()
{
    const QString folder =
        QDir(QDir::tempPath()).filePath(QStringLiteral("tavro-%1").arg(getuid()));
    ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU); // an existing one is examined
    if (isPrivateFolder(folder))
        return folder;
    // Someone else holds that name: a folder of a unique name made for this user alone,
    // made again when it is no longer there as it was made.
    static QString unique;
    if (!isPrivateFolder(unique) || QFileInfo(unique).absolutePath() != QDir::tempPath()) {
        QTemporaryDir made(QDir(QDir::tempPath()).filePath(QStringLiteral("tavro-XXXXXX")));
        made.setAutoRemove(false);
        unique = made.isValid() ? made.path() : QString();
    }
    return unique;
}

QString PreviewFileName(const QString& caption)
{
    QString name = u'~' + FileNamePart(caption);
    if (!name.contains(u'.'))
        name += QStringLiteral(".txt");
    return QDir(OpenWithFolder(caption)).filePath(name);
}

QString ResolveProgram(const QString& program, QString& error)
{
    QString executable;
    if (program.isEmpty()) {
        error = QStringLiteral("No program is named.");
    } else if (!program.contains(u'/')) {
        executable = QStandardPaths::findExecutable(program);
        if (executable.isEmpty())
            error = QStringLiteral("No program of this name was found on the search path.");
    } else if (const QFileInfo file(program); !file.isFile()) {
        error = QStringLiteral("There is no such file.");
    } else if (!file.isExecutable()) {
        error = QStringLiteral("The file is not an executable program.");
    } else {
        executable = file.absoluteFilePath();
    }
    return executable;
}

QString PreviewPathProblem(const QString& path)
{
    const QFileInfo file(path);
    if (file.isRelative())
        return QStringLiteral("No folder of your own could be made in the temporary folder %1.")
            .arg(QDir::tempPath());
    if (file.isSymLink())
        return QStringLiteral(
            "A link of that name is there; the preview is not written through it.");
    if (file.exists() && !file.isFile())
        return QStringLiteral("Something else than a file is there.");
    return {};
}
