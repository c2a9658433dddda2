#pragma once

// What the benchmarks share: prompts and shell on which nothing waits or starts, the main
// window they drive, and their files.

#include "app/Unit1.h"
#include "app/Unit7.h"
#include "browser/Unit3.h"
#include "browser/Unit4.h"
#include "editing/Unit13.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

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
    bool startProgram(const QString&, const QString&, const QString&, QString&) override
    {
        return true;
    }
    void showProperties(const QString&, QWidget*) override {}
    void addToRecentDocuments(const QString&) override {}
    QStringList recentDocuments() override { return {}; }
    QIcon fileTypeIcon(const QString& name) override { return m_icons.icon(name); }
    QList<Volume> volumes() override { return {}; }

private:
    FileTypeIcons m_icons;
};

// Before the application is created: offscreen unless a display is asked for, and the
// program folder in folder.
inline void PrepareBenchEnvironment(const QString& folder)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TAVRO_HOME", QFile::encodeName(folder));
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder + QStringLiteral("/state")));
}

// A temporary folder that holds the run's files and program folder, prepared before the
// application is created.
class BenchFolder final
{
public:
    BenchFolder()
    {
        if (!m_dir.isValid())
            qFatal("no temporary folder");
        PrepareBenchEnvironment(m_dir.path());
    }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

inline void WriteBenchFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The main window with its Browse Files, Open Files and Find and Highlight windows, shown
// without a document.
class BenchMainWindow
{
public:
    BenchMainWindow()
    {
        new TForm4(&form1);
        new TForm3(form1, m_platform);
        new TForm7(&form1);
        new TForm13(&form1);
        form1.OpenNew = false;
        form1.resize(1000, 700);
        form1.show();
        QCoreApplication::processEvents();
    }

private:
    SilentPrompts m_prompts;
    QuietShell m_shell;
    SystemClock m_clock;
    Platform m_platform{m_prompts, m_shell, m_clock};

public:
    TForm1 form1{m_platform};
};

// What a benchmark of the main window starts with: its folder (prepared before the
// application exists), the application, the output and the main window.
struct BenchRun {
    BenchRun(int& argc, char** argv) : app(argc, argv) {}

    const BenchFolder folder;
    QApplication app;
    QTextStream out{stdout};
    BenchMainWindow bench;
};
