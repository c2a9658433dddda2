#pragma once

#include "platform/Platform.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

class QAction;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QTimer;
class QTreeView;
class TForm1;
class TScrollMemo;

// The Browse Files window: a drive box, a folder tree and the files of the chosen folder on
// the left, an editable preview of the clicked file on the right. Created once, hidden, and
// owned by the main window, which shows it without modality while keeping itself disabled.
class TForm3 final : public QMainWindow
{
    Q_OBJECT

public:
    TForm3(TForm1& mainWindow, Platform& platform);
    ~TForm3() override;

    // ---- Components ---------------------------------------------------------------------
    QWidget* Panel1 = nullptr; // the left pane: drive box, folder tree and file list
    QComboBox* drivelist = nullptr;
    QTreeView* ShellTreeView1 = nullptr;
    QFileSystemModel* FolderModel = nullptr;
    QListWidget* ListView1 = nullptr;
    TScrollMemo* ScrollMemo1 = nullptr;
    QMenu* PopupMenu1 = nullptr; // of the file list
    QMenu* PopupMenu2 = nullptr; // of the preview

    // ---- State --------------------------------------------------------------------------
    QString CurrentFolder; // the listed folder, always ending with "/"
    // Empty while the find-and-highlight mode is off; otherwise '1' (whole words only) or
    // '0', then the text to highlight in every previewed file.
    QString FindHighlightText;
    bool SearchStopped = false; // set by Esc while a search runs

    // The three status panels: size, date and path of the previewed file.
    QString PanelText(int panel) const;
    // The file list's entries in list order, and the selected ones.
    QStringList ListedNames() const;
    QStringList SelectedNames() const;
    // The first selected entry's path; empty without a selection.
    QString SelectedFilePath() const;
    // Selects the entry with this name alone (as a click would, without previewing).
    bool SelectName(const QString& name);

    // ---- Showing and closing --------------------------------------------------------------
    // Fills the window for a new showing; the command that shows it calls it.
    void FormShow();

    // ---- Drives, folders and listing (browser/Unit3.cpp) ----------------------------------
    void FillDriveList();
    void drivelistChange(int index);
    void ShellTreeView1Click(const QString& folder);
    void SetTreeRoot(const QString& folder);
    void ListFolderFiles();
    void ToolButton1Click();
    void Refresh1Click();
    void Filter1Click();

    // ---- Preview and files (browser/Unit3Files.cpp) ----------------------------------------
    void ListView1Click();
    void ListView1DblClick();
    void ScrollMemo1SelectionChange();
    void PopupMenu1Popup();
    void PopupMenu2Popup();
    void File1Click();
    void Open1Click();
    void Openfile1Click();
    void Save1Click();
    void Insertfile1Click();
    void Pastepath1Click();
    void ToolButton9Click();
    void Copyto1Click();
    void Delete2Click();
    void Rename1Click();
    void ListView1Edited(QListWidgetItem* item);
    void Properties1Click();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Delete1Click();
    void SelectAll1Click();
    void WordWrap1Click();

    // ---- Find in files and highlighting (browser/Unit3Search.cpp) ---------------------------
    void FindandHighlight1Click();
    void FindinFiles1Click();
    void Highlight1Click();
    void ClearHighlight1Click();
    // Colours the text's occurrences in the preview, leaving selection and modified flag.
    void HighlightPreview(const QString& text, bool wholeWord);
    // Lists only the files of the current folder that contain the text.
    void FindInFolderFiles(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createPanes();
    void createStatusBar();
    void connectControls();
    void FormCreate();
    QAction* action(const char* objectName) const;
    void setEnabledAll(std::initializer_list<const char*> names, bool enabled);
    void setPanelText(int panel, const QString& text);
    QListWidgetItem* addFileEntry(const QString& name);
    void fillIcons();
    bool existingSelectedFile(QString& path) const;
    QList<QListWidgetItem*> selectedItemsInListOrder() const;
    bool askToSavePreview();
    bool savePreview();
    void showFileDetails(const QString& path);
    void loadPreview(const QString& path);
    void clearPreviewColors();
    void enablePreviewCommands();
    void showPreviewCaret();

    TForm1& m_main;
    Platform& m_platform;
    QList<QLabel*> m_panels;
    QString m_previewPath; // the file whose text the preview holds; empty when none
    QTimer* m_iconTimer = nullptr;
    int m_iconRow = 0; // the first entry that may still lack its icon
    bool m_searching = false;
};

// The name on disk of a file-list entry, which an edit of its text renames.
constexpr int FileNameRole = Qt::UserRole;

extern TForm3* Form3;
