#pragma once

#include "platform/FileAccess.h"
#include "platform/Platform.h"
#include "platform/Prompts.h"

#include <QColor>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QFileSystemWatcher;
class QPrinter;
class QTimer;
class OrphanedCopies;
class TFindDialog;
class TRecoveryKeeper;
class TFloatingWindow;
class TReplaceDialog;
class TSearchDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QStatusBar;
class QToolBar;
class TScrollMemo;
class TStrSet;
struct Settings;

// What a command needs to be enabled; a command is enabled exactly when all it needs is there.
namespace CommandNeeds
{
enum : unsigned {
    Document = 1u << 8,       // a document window exists
    Selection = 1u << 9,      // the active document has selected text
    Undo = 1u << 10,          // the active document can undo
    ClipboardText = 1u << 11, // the clipboard holds text
    File = 1u << 12,          // the active document's caption names an existing file
    NoStayOnTop = 1u << 13,   // Stay on Top is off
    Bookmark = 1u << 14,      // the active document's bookmark lies inside its text
    All = Document | Selection | Undo | ClipboardText | File | NoStayOnTop | Bookmark
};
}

// Holds Auto Paste's timer still while it lives (while documents are being closed).
class AutoPastePause
{
public:
    explicit AutoPastePause(QTimer* timer);
    ~AutoPastePause();
    AutoPastePause(const AutoPastePause&) = delete;
    AutoPastePause& operator=(const AutoPastePause&) = delete;

private:
    QTimer* m_timer;
    bool m_wasActive;
};

// The smallest size of a new document window.
inline constexpr QSize MinimumNewWindow(100, 60);

// A caption counts as "Untitled" when its first eight characters are "Untitled".
bool IsUntitledCaption(const QString& caption);
// The path as a caption holds it: absolute, without "." and ".." parts.
QString CaptionPath(const QString& path);
// The program's arguments: file names only ("--" first is dropped), none for Qt.
QStringList ProgramArguments(int argc, const char* const* argv);
// The file-name part of a document caption: the name of a path; an "Untitled" caption whole.
QString FileNamePart(const QString& caption);
// The document's file exists: its caption is a path naming an existing file.
bool DocumentFileExists(const QString& caption);

// The main window: menus, toolbar, status bar and the document windows inside its
// multiple-document area. The document windows have no class of their own; their handlers
// are the methods below. The captions of the windows are the only record of their files.
class TForm1 final : public QMainWindow
{
    Q_OBJECT

public:
    using Handler = void (TForm1::*)();

    explicit TForm1(Platform& platform, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- State: stored in tavro.ini, edited by the Preferences dialog ---------------------
    FontChoice DocumentFont;
    bool DefaultWordWrap = true;
    int NewWindowWidth = 640;
    int NewWindowHeight = 460;
    bool AlwaysMaximize = false;
    bool ShowTheOpenFiles = false;
    bool OpenNew = true;
    bool DontMoveCursor = false;
    QString BrowsFilt = QStringLiteral(".DOC,.EXE,.JPG,.GIF,.MP3,.BMP,.COM,.ZIP,.PDF,.RAR");
    QColor HighlightColor = QColor(255, 0, 0);
    // Positions 1-34: one toolbar button each; 35: the five separators.
    QString ToolbarBits = QStringLiteral("11101000101101110101110011111000001");
    QString OpenFilter =
        QStringLiteral("All files (*.*)|*.*|Text documents|*.txt|HTML files|*.htm*");
    QString SaveFilter =
        QStringLiteral("Text documents|*.txt|HTML files|*.htm*|All files (*.*)|*.*");
    int UntitledCounter = 0;     // the number of the last "Untitled" caption given out
    bool CloseConfirmed = false; // true while Close All closes windows it has asked about
    bool StayOnTop = false;
    bool StayOnTopSuspended = false;

    TRecoveryKeeper* Recovery() const { return m_recovery; }
    // The program wrote the file itself (a save, the browser's preview): the documents of
    // that file do not take it for another program's change.
    void NoteOwnWrite(const QString& path);

    // The program's arguments; joined by blanks they name one file, opened at the first
    // showing.
    QStringList CommandLineParameters;

    TStrSet* autocomp = nullptr; // auto-complete entries, kept in autocomp.ini
    TStrSet* funcdata = nullptr; // lines of the macro being run
    TStrSet* tmpset = nullptr;   // lines of favorites.ini as last read

    // ---- Components ---------------------------------------------------------------------
    QMdiArea* MdiArea = nullptr;
    QWidget* ToolBar1 = nullptr; // two rows of buttons above the document area
    QStatusBar* StatusBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr; // context menu of every document's editor control

    // ---- Document windows ---------------------------------------------------------------
    QMdiSubWindow* ActiveDocumentWindow() const;
    // Index 0 is the active window, then in order of last activation.
    QList<QMdiSubWindow*> DocumentWindows() const;
    static TScrollMemo* MemoOf(const QMdiSubWindow* window);
    TScrollMemo* ActiveMemo() const;

    QString ApplicationTitle() const { return m_applicationTitle; }
    // The height inside the frame and the menu bar, toolbar and status bar included.
    int ClientHeight() const;
    // The toolbar's height, also while it is hidden.
    int ToolbarHeight() const;
    QString StatusText() const;

    // ---- Commands and handlers ----------------------------------------------------------
    void New1Click();

    // Files (Unit1Files.cpp)
    void Open1Click();
    QMdiSubWindow* OpenFileInNewWindow(const QString& path);
    void AddToRecentDocuments(const QString& path);
    void FilesDropped(const QStringList& paths);
    void RecentDocuments1Click();
    void RecentItemClick(const QString& path);
    void Save1Click();
    void SaveAs1Click();
    void SaveAll1Click();
    void Close1Click();
    void CloseAll1Click();
    void Refresh1Click();
    void ReloadButtonClick();
    void CloneWindow1Click();
    void Properties1Click();
    void Print1Click();
    void PageSetup1Click();
    void Exit1Click();
    // The Open dialog's filter string and the pair chosen in it last.
    FileDialogRequest OpenDialogFilter() const;
    // Save and Save As of a document (the active one by default); true when the text was
    // written.
    bool SaveDocument(QMdiSubWindow* window = nullptr);
    bool SaveDocumentAs(QMdiSubWindow* window = nullptr);
    QPrinter& Printer();

    // Favourites (tools/Unit1Favourites.cpp)
    void Favorites1Click();
    void FavoriteItemClick(int index);
    void Modify1Click();

    // Open With (tools/Unit1OpenWith.cpp)
    void OpenWith1Click();

    // Settings, fonts and help (Unit1Settings.cpp)
    void SetFont1Click();
    void HelpTopics1Click();
    void About1Click();

    // Editing (editing/Unit1Editing.cpp)
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Delete1Click();
    void Crop1Click();
    void SelectAll1Click();
    void TimeDate1Click();
    void WordWrap1Click();
    void Insertfile1Click();
    void Execute1Click();
    void Execute2Click();
    void AutoPaste1Click();
    void Timer1Timer();
    QTimer* Timer1 = nullptr; // Auto Paste: looks at the clipboard every second
    QPointer<QMdiSubWindow> AutoPasteTarget;
    QString AutoPasteLastText;

    // Highlighting and the bookmark (editing/Unit1Highlight.cpp)
    void Highlight1Click();
    void Highlight2Click();
    void ClearHighlights1Click();
    // Colours every occurrence of text (ignoring case) with the highlight colour, leaving
    // the selection and the modified flag as they were.
    void HighlightAllOccurrences(TScrollMemo* memo, const QString& text, bool wholeWord);
    void FindandHighlight1Click();
    void Set1Click();
    void Goto1Click();
    void Bookmark1Click();

    // Find and replace (editing/Unit1Search.cpp)
    struct SearchOptions {
        bool matchCase = false;
        bool wholeWord = false;
    };
    static SearchOptions OptionsOf(const TSearchDialog* dialog);
    TFindDialog* FindDialog1 = nullptr;
    TReplaceDialog* ReplaceDialog1 = nullptr;
    void FindReplace1Click();
    void Findnext1Click();
    void Replace1Click();
    void FindDialog1Show();
    void FindDialog1Find();
    void ReplaceDialog1Show();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace(bool replaceAll);
    // Select the next (previous) occurrence after (before) the caret; false, with a message,
    // when there is none.
    bool SearchDown(TScrollMemo* memo, const QString& text, bool replaceDialogText,
                    bool finishedReport, const SearchOptions& options);
    bool SearchUp(TScrollMemo* memo, const QString& text, bool replaceDialogText,
                  bool finishedReport, const SearchOptions& options);
    void ReplaceStep(TScrollMemo* memo, bool replaceAll);

    // Copy Special, Paste Special and Replace Special (editing/Unit1Transforms.cpp)
    void CopySpecial1Click();
    void PasteSpecial1Click();
    void ReplaceSpecial1Click();

    // An information message with an OK button.
    void showInformation(const QString& text);
    // Shows an error message; a macro that is running stops after the statement.
    void showError(const QString& text);

    // Function-key macros (editing/Unit1Macros.cpp)
    QString MacroVariableValue; // shared by every key, macro and document for the program's run
    int SavedSelStart = 0;      // SelStart at the key press, or at the last ResetSelStart
    // Runs the key's macro file against the editor; a missing file does nothing.
    void RunMacro(int keyNumber, TScrollMemo* memo, int selStart);
    QString ExpandVariables(TScrollMemo* memo, const QString& statement, int savedSelStart);
    void RunStatement(const QString& statement, TScrollMemo* memo);

    // Auto Complete (editing/Unit1AutoComplete.cpp)
    void AutoComplete1Click();
    // The key handler of every document's editor: Shift+Enter (Ctrl and Alt not examined)
    // completes the text before the caret with the first entry of autocomp that applies, and
    // never types a line break.
    void CompletionKeyHandler(int& key, Qt::KeyboardModifiers shift);
    // Inserts the rest of the entry's completion text when the entry applies to the text
    // before the caret; an entry whose sample size is not an integer shows an error.
    bool TryComplete(TScrollMemo* memo, const QString& entry);

    // Window management (Unit1Windows.cpp)
    void Cascade1Click();
    void Tile1Click();
    void MinimizeAll1Click();
    void Window1Click();
    void BringToFrontItemClick(const QAction* item);
    void oggleWindows1Click();
    void ShowToolbar1Click();
    void ShowOpenFiles1Click();
    void Overview1Click();
    // Shows the Calculator above all windows, or closes it.
    void Calculator1Click();
    // Show or hide the toolbar (the Open Files window) with the menu's check mark in step.
    void SetToolbarShown(bool shown);
    void SetOpenFilesShown(bool shown);
    void Stayontop1Click();
    void SetFilters1Click();
    void BrowseFiles1Click();
    // Shows a secondary window (Preferences, Browse Files, ...) without modality but with
    // the main window disabled and Stay on Top suspended; both come back when it closes.
    void ShowSecondaryWindow(QWidget* window);

    // Command state and status bar (Unit1State.cpp)
    void EnableDocumentCommands(bool on);
    void UpdateCommandStates();
    void ShowCaretPosition();
    // The caret position of any editor control (the browser's preview too) in the status bar.
    void ShowCaretPositionOf(const TScrollMemo& memo);
    void SelectionChanged();
    void RefreshUndoButton();
    void File1Click();
    void Edit1Click();
    void PopupMenu1Popup();
    void FormActivate();
    // Function keys F5-F8, F11 and F12, with any modifiers, run their macros.
    void FormKeyDown(int& key, Qt::KeyboardModifiers shift);
    void ToggleApplicationTitle();
    void ApplyToolbarBits();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Layout, built from the command tables (Unit1Menus.cpp)
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void ShowLoadProgress(int percent); // -1 hides it
    QAction* action(const char* objectName) const;
    void connectHandler(QAction* command, Handler handler);

    // Start, show and close of the main window
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void readSettingsFile();
    void applySettings(const Settings& settings);
    Settings currentSettings() const;
    void openCommandLineFile();
    void SetApplicationTitle(const QString& title);
    void SetStatusText(const QString& text);

    // Document windows (Unit1Documents.cpp)
    QMdiSubWindow* createDocumentWindow();
    void releaseMenuKeys(QMdiSubWindow* window) const;
    QPoint newWindowPosition() const;
    void showDocumentWindow(QMdiSubWindow* window);
    void activateDocumentWindow(QMdiSubWindow* window);
    void restoreDocumentFocus();
    void restoreMaximizedActiveWindow();
    bool DocumentCloseQuery(QMdiSubWindow* window);
    void DocumentClosed(QMdiSubWindow* window);
    void DocumentDestroyed();
    void updateOpenFilesEntry(QMdiSubWindow* window);
    void ApplyLogRule(TScrollMemo* memo);
    void connectMenuOpenings();
    void createEditingParts();
    bool searchOneWay(TScrollMemo* memo, const QString& text, bool down, bool replaceDialogText,
                      bool finishedReport, const SearchOptions& options);
    bool searchFound(TScrollMemo* memo, int found, int length, bool replaceDialogText,
                     bool finishedReport, int savedStart, int savedLength);
    void replaceAllFromCaret(TScrollMemo* memo, const QString& text, const SearchOptions& options);
    void invokeFromMacro(const char* command);
    void takeSelectionAsSearchText(TSearchDialog* dialog);
    void refreshActiveFileExists();
    void documentFilesChanged();
    void watchDocumentFiles();
    void activateDocument(QMdiSubWindow* window);

    // The floating windows (Open Files, Overview, Calculator) that exist, with the command
    // that shows and hides each.
    struct FloatingWindow {
        TFloatingWindow* window;
        QAction* showCommand;
    };
    QList<FloatingWindow> floatingWindows() const;
    // Shows the window above the others, or hides it; the command's check mark follows the
    // window, also while Stay on Top holds it hidden.
    void setFloatingShown(const FloatingWindow& floating, bool shown);
    void secondaryWindowClosed();
    void releaseSecondaryWindows();
    bool writeDocument(QMdiSubWindow* window, const QString& path);

    // Files changed by other programs (Unit1Watch.cpp): each document's file as the program
    // last loaded or saved it, and as last noticed on disk.
    struct DocumentFile {
        QString path;
        FileStamp loaded;
        FileStamp noticed;
    };
    QHash<const QMdiSubWindow*, DocumentFile> m_documentFiles;
    void rememberDocumentFile(const QMdiSubWindow* window, const QString& path,
                              const FileStamp& stamp);
    bool reloadConfirmed(const QMdiSubWindow* window);
    void checkDocumentFiles();
    void showFileBar(QMdiSubWindow* window, bool fileExists);
    bool overwriteConfirmed(const QMdiSubWindow* window, const QString& path);
    bool reloadDocument(QMdiSubWindow* window);

    // Crash recovery (Unit1Recovery.cpp): copies of the modified documents while the program
    // runs, and the copies of a run that ended without closing, offered at the start.
    void offerRecoveredDocuments();
    void restoreRecoveredDocuments();
    void discardRecoveredDocuments();
    bool windowCaptionInUse(const QString& caption) const; // an "Untitled" one
    TRecoveryKeeper* m_recovery = nullptr;
    std::unique_ptr<OrphanedCopies> m_orphans;
    QPointer<QWidget> m_recoveryBar;
    // Shows the Open dialog as m_openRequest stands and opens the chosen files, each added to
    // the recent documents.
    void openChosenFiles();

    Platform& m_platform;
    QString m_applicationTitle;
    QLabel* m_statusPanel = nullptr;
    QProgressBar* m_loadProgress = nullptr;
    bool m_firstShowDone = false;
    QPointer<QWidget> m_secondaryWindow; // the one shown by ShowSecondaryWindow, while open
    QPointer<QMdiSubWindow> m_activatedWhileDisabled; // until the main window is active again
    bool m_documentsOpen = false;                // between EnableDocumentCommands(true) and (false)
    bool m_clipboardHasText = false;             // kept by the clipboard's change signal
    int m_errorsShown = 0;                       // error messages shown so far
    bool m_activeFileExists = false;             // kept up to date with the file on disk
    QFileSystemWatcher* m_fileWatcher = nullptr; // the documents' files and their folders
    std::unique_ptr<QPrinter> m_printer;         // created when first needed; Page Setup sets it up
    FileDialogRequest m_openRequest;             // the Open dialog keeps its last values

    // Built once from the command tables.
    QList<QPair<QAction*, unsigned>> m_commandNeeds; // CommandNeeds of every ruled command
    QList<QAction*> m_toolbarButtons;                // in ToolbarBits order
    QList<QAction*> m_toolbarSeparators;
    QList<QKeySequence> m_menuKeys;    // every shortcut of the menus
    QList<QKeySequence> m_commandKeys; // shortcuts of the commands that are wired
};

extern TForm1* Form1;
