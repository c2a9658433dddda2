#pragma once

#include "platform/Shell.h"

#include <QDir>

struct StartedProgram {
    QString program;
    QString fileArgument;
    QString workingFolder;
};

// Records what the program asked of the desktop instead of doing it.
class ScriptedShell final : public Shell
{
public:
    bool openWithDefault(const QString& pathOrAddress) override
    {
        openedPaths << pathOrAddress;
        return opensSucceed;
    }
    bool startProgram(const QString& program, const QString& fileArgument,
                      const QString& workingFolder, QString& error) override
    {
        startedPrograms << StartedProgram{program, fileArgument, workingFolder};
        if (!startsSucceed)
            error = QStringLiteral("Refused by the test.");
        return startsSucceed;
    }
    void showProperties(const QString& path, QWidget*) override { propertiesRequests << path; }
    void addToRecentDocuments(const QString& path) override { recentDocumentsAdded << path; }
    // What was added, after anything the test put there first.
    QStringList recentDocuments() override { return recentDocumentsAdded; }
    QIcon fileTypeIcon(const QString& nameOrPattern) override { return icons.icon(nameOrPattern); }
    QList<Volume> volumes() override { return volumeList; }

    FileTypeIcons icons;
    bool opensSucceed = true;
    bool startsSucceed = true;
    QStringList openedPaths;
    QList<StartedProgram> startedPrograms;
    QStringList propertiesRequests;
    QStringList recentDocumentsAdded;
    QList<Volume> volumeList{{"/", "", true}, {QDir::homePath(), "Home", true}};
};
