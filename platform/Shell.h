#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

struct Volume {
    QString rootPath; // "/" first, then the home folder, then removable media
    QString label;
    bool labelReadable = true;
};

// The MIME-type based icons of file names or patterns, used by the shells. The MIME database
// is asked once per extension (or name without one), the icon theme once per type, so that
// a folder of many files gets its icons at once.
class FileTypeIcons
{
public:
    QIcon icon(const QString& nameOrPattern);

private:
    QHash<QString, QString> m_typeByKey; // lower-case extension, or "/" + a name without one
    QHash<QString, QIcon> m_iconByType;
};

// The desktop: default handlers, programs, file properties, the recent-documents list,
// file-type icons and volumes.
class Shell
{
public:
    virtual ~Shell() = default;

    // Opens a path or address with its default handler; false when nothing could open it.
    virtual bool openWithDefault(const QString& pathOrAddress) = 0;
    // Starts a program with one file argument in the working folder, never through a shell
    // command line; false when it could not be started.
    // false, with the system's reason in error, when it could not be started.
    virtual bool startProgram(const QString& program, const QString& fileArgument,
                              const QString& workingFolder, QString& error) = 0;
    // The desktop file manager's properties of a file, else a small dialog of our own.
    virtual void showProperties(const QString& path, QWidget* parent) = 0;
    virtual void addToRecentDocuments(const QString& path) = 0;
    // Local files of the desktop's recent-documents list, in the list's order.
    virtual QStringList recentDocuments() = 0;
    // Icon of a file's type, by name or pattern ("*.txt"); the file need not exist.
    virtual QIcon fileTypeIcon(const QString& nameOrPattern) = 0;
    virtual QList<Volume> volumes() = 0;
};

class DesktopShell final : public Shell
{
public:
    bool openWithDefault(const QString& pathOrAddress) override;
    bool startProgram(const QString& program, const QString& fileArgument,
                      const QString& workingFolder, QString& error) override;
    void showProperties(const QString& path, QWidget* parent) override;
    void addToRecentDocuments(const QString& path) override;
    QStringList recentDocuments() override;
    QIcon fileTypeIcon(const QString& nameOrPattern) override;
    QList<Volume> volumes() override;

private:
    FileTypeIcons m_icons;
};

// The small properties dialog used when no file manager answers: path, size, dates and
// permissions.
void showOwnPropertiesDialog(const QString& path, QWidget* parent);

// The desktop theme's icon of a folder (or of a drive), else Qt's own.
QIcon iconForFolder(bool volume = false);
