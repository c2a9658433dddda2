#pragma once

// Prompts and shell for benchmarks: nothing waits on a dialog, nothing is started.

#include "platform/Prompts.h"
#include "platform/Shell.h"

// Answers every message with OK and every dialog as cancelled.
class SilentPrompts final : public Prompts
{
public:
    Answer message(MessageKind, const QString&, MessageButtons) override { return Answer::Ok; }
    FileDialogResult openFiles(const FileDialogRequest&, bool) override { return {}; }
    FileDialogResult saveFile(const FileDialogRequest&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    bool chooseFont(FontChoice&, int, int) override { return false; }
    bool inputBox(const QString&, const QString&, QString&) override { return false; }
    bool pageSetup(QPrinter&) override { return false; }
};

class QuietShell final : public Shell
{
public:
    bool openWithDefault(const QString&) override { return true; }
    bool startProgram(const QString&, const QString&) override { return true; }
    void showProperties(const QString&, QWidget*) override {}
    void addToRecentDocuments(const QString&) override {}
    QStringList recentDocuments() override { return {}; }
    QIcon fileTypeIcon(const QString& name) override { return iconForFileName(name); }
    QList<Volume> volumes() override { return {}; }
};
