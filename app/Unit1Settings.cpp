// Settings of the main window (tavro.ini, autocomp.ini), the command-line file, Set Font and
// the help page.

#include "app/Unit1.h"

#include "app/BusyCursor.h"
#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Settings.h"
#include "app/Strset.h"
#include "app/Unit7.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "tools/Unit2.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QStandardPaths>

namespace
{

const QString SettingsFile = QStringLiteral("tavro.ini");
const QString AutoCompleteFile = QStringLiteral("autocomp.ini");
const QString HelpPageName = QStringLiteral("tavro-help.html");
const QString HelpResource = QStringLiteral(":/help/tavro-help.html");

const QSize MinimumMainWindow(200, 150);

// An installed program opens the page installed with it.
QString installedHelpPage()
{
    const QString folder = installedDataFolder(QCoreApplication::applicationDirPath());
    const QString path = QDir(folder).filePath(HelpPageName);
    return QFileInfo(path).isFile() ? path : QString();
}

// Otherwise the page that ships inside the program is written out where a browser can open
// it; empty when that fails.
QString writtenOutHelpPage()
{
    QFile page(HelpResource);
    if (!page.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray content = page.readAll();
    // In the user's own cache folder: a fixed name in a shared folder could be a link
    // planted by someone else.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(HelpPageName);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        return QString();
    return path;
}

} // namespace

void TForm1::readSettingsFile()
{
    TStrSet lines;
    const QString path = programFilePath(SettingsFile);
    const bool exists = QFileInfo::exists(path) && lines.LoadFromFile(path).ok;
    const Settings settings = ReadSettings(exists ? lines.Strings() : QStringList());
    applySettings(settings);

    if (QFileInfo::exists(programFilePath(AutoCompleteFile)))
        autocomp->LoadFromFile(programFilePath(AutoCompleteFile));
}

void TForm1::applySettings(const Settings& settings)
{
    QFont font(settings.fontName, settings.fontSize);
    font.setBold(settings.bold);
    font.setItalic(settings.italic);
    font.setUnderline(settings.underline);
    DocumentFont.font = font;
    OpenFilter = settings.openFilter;
    SaveFilter = settings.saveFilter;
    ShowTheOpenFiles = settings.showTheOpenFiles;
    AlwaysMaximize = settings.alwaysMaximize;
    ToolBar1->setVisible(settings.showToolbar);
    HighlightColor = settings.highlightColor;
    const QSize newWindow = LimitedToScreens(
        QSize(settings.newWindowWidth, settings.newWindowHeight), MinimumNewWindow);
    NewWindowWidth = newWindow.width();
    NewWindowHeight = newWindow.height();
    OpenNew = settings.openNew;
    ToolbarBits = settings.toolbarBits;
    DefaultWordWrap = settings.defaultWordWrap;
    DontMoveCursor = settings.dontMoveCursor;
    BrowsFilt = settings.browsFilt;

    // Sizes and places from the file are limited to the screens; a window that would open
    // off every screen (a screen since unplugged) is centred.
    resize(LimitedToScreens(settings.size, MinimumMainWindow));
    move(PlaceOnScreens(settings.position, size()));
}

Settings TForm1::currentSettings() const
{
    Settings settings;
    const QFont& font = DocumentFont.font;
    settings.fontName = font.family();
    settings.bold = font.bold();
    settings.italic = font.italic();
    settings.underline = font.underline();
    settings.fontSize = font.pointSize();
    settings.openFilter = OpenFilter;
    settings.saveFilter = SaveFilter;
    settings.position = pos();
    settings.showTheOpenFiles = ShowTheOpenFiles;
    settings.alwaysMaximize = AlwaysMaximize;
    settings.showToolbar = !ToolBar1->isHidden();
    settings.highlightColor = HighlightColor;
    settings.newWindowWidth = NewWindowWidth;
    settings.newWindowHeight = NewWindowHeight;
    settings.openNew = OpenNew;
    settings.toolbarBits = ToolbarBits;
    settings.defaultWordWrap = DefaultWordWrap;
    settings.dontMoveCursor = DontMoveCursor;
    settings.browsFilt = BrowsFilt;
    settings.size = size();
    return settings;
}

// Writes tavro.ini and autocomp.ini. A file that cannot be written is reported; the
// program still ends, since every document has been dealt with by then.
void TForm1::FormClose()
{
    TStrSet lines;
    lines.SetStrings(SettingsLines(currentSettings()));
    for (const auto& [set, name] :
         {std::pair<const TStrSet*, QString>{&lines, SettingsFile}, {autocomp, AutoCompleteFile}}) {
        const QString path = programFilePath(name, true);
        if (const FileResult saved = set->SaveToFile(path); !saved.ok)
            showError(QStringLiteral("Cannot create file ") + path + u'\r' + saved.error);
    }
}

// All parameters joined by blanks name one file: a path with blanks arrives whole even
// without quotes.
void TForm1::openCommandLineFile()
{
    if (CommandLineParameters.join(u' ').isEmpty())
        return;
    const QString path = CaptionPath(CommandLineParameters.join(u' '));
    QMdiSubWindow* window = ActiveDocumentWindow();
    if (!window) {
        // No window to load it into: a user naming a file expects to see it.
        OpenFileInNewWindow(path);
        return;
    }
    TScrollMemo* memo = MemoOf(window);
    FileResult loaded;
    const FileStamp before = FileStampOf(path);
    {
        BusyCursor busy;
        loaded = memo->LoadLinesFromFile(path);
    }
    if (loaded.ok) {
        window->setWindowTitle(path);
        updateOpenFilesEntry(window);
        rememberDocumentFile(window, path, before);
    } else if (!memo->LoadCancelled()) {
        showError(QStringLiteral("Could not open file ") + path + QStringLiteral(".\r") +
                  loaded.error);
    }
    memo->SetModifiedFlag(false);
    ApplyLogRule(memo);
    memo->FocusEditor();
}

void TForm1::SetFont1Click()
{
    FontChoice choice = DocumentFont;
    if (!m_platform.prompts.chooseFont(choice, MinimumFontSize, MaximumFontSize))
        return;
    DocumentFont = choice;
    for (QMdiSubWindow* window : DocumentWindows())
        MemoOf(window)->SetEditorFont(DocumentFont.font, DocumentFont.color);
}

void TForm1::HelpTopics1Click()
{
    QString page = installedHelpPage();
    if (page.isEmpty())
        page = writtenOutHelpPage();
    if (!page.isEmpty())
        m_platform.shell.openWithDefault(page);
}

// Like the other secondary windows, it keeps the main window disabled while it is open.
void TForm1::About1Click()
{
    ShowSecondaryWindow(Form2);
}
