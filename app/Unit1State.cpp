// Command state and the status bar. The enabled state of every command is computed in one
// place from what it needs (CommandNeeds) and kept up to date on every change of the
// selection, the undo state, the clipboard, the active document and Stay on Top, so that
// menus, shortcuts, toolbar buttons and macros always see the same rules.

#include "app/Unit1.h"

#include "app/Scrlmemo.h"
#include "app/Unit7.h"

#include <QAction>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>

namespace
{

// Two blanks, then line and column of the start of the selection, both from 1. A screen
// line that is not known yet shows as an ellipsis until it is.
QString caretPositionText(const TScrollMemo& memo)
{
    const int start = memo.SelStart();
    const std::optional<int> line = memo.KnownLineFromChar(start);
    const QString lineText = line ? QString::number(*line + 1) : QStringLiteral("\u2026");
    return QStringLiteral("  %1:%2").arg(lineText).arg(memo.ColumnOfChar(start) + 1);
}

} // namespace

bool DocumentFileExists(const QString& caption)
{
    return !IsUntitledCaption(caption) && QFileInfo(caption).isFile();
}

void TForm1::EnableDocumentCommands(bool on)
{
    m_documentsOpen = on;
    refreshActiveFileExists();
    UpdateCommandStates();
    if (!on)
        SetStatusText(QString());
}

void TForm1::UpdateCommandStates()
{
    const TScrollMemo* memo = m_documentsOpen ? ActiveMemo() : nullptr;
    unsigned present = 0;
    if (m_documentsOpen)
        present |= CommandNeeds::Document;
    if (memo && memo->SelLength() > 0)
        present |= CommandNeeds::Selection;
    if (memo && memo->CanUndo())
        present |= CommandNeeds::Undo;
    if (m_clipboardHasText)
        present |= CommandNeeds::ClipboardText;
    if (memo && m_activeFileExists)
        present |= CommandNeeds::File;
    if (!StayOnTop)
        present |= CommandNeeds::NoStayOnTop;
    if (memo && memo->BookmarkPos > 0 && memo->BookmarkPos < memo->TextLength())
        present |= CommandNeeds::Bookmark;
    for (const auto& [command, needs] : std::as_const(m_commandNeeds))
        command->setEnabled((needs & present) == needs);
    if (memo)
        action("WordWrap1")->setChecked(memo->WordWrap());
}

void TForm1::refreshActiveFileExists()
{
    const QMdiSubWindow* window = ActiveDocumentWindow();
    m_activeFileExists = window && DocumentFileExists(window->windowTitle());
}

// The commands that need the file follow it at once: after a caption change, a save, a
// close, and when the file appears or vanishes on disk.
void TForm1::documentFilesChanged()
{
    watchDocumentFiles();
    checkDocumentFiles();
    refreshActiveFileExists();
    UpdateCommandStates();
}

// The documents' files, and their folders, where a file that vanished may appear again.
void TForm1::watchDocumentFiles()
{
    QSet<QString> wanted;
    for (const QMdiSubWindow* window : DocumentWindows()) {
        const QString caption = window->windowTitle();
        if (IsUntitledCaption(caption))
            continue;
        const QFileInfo file(caption);
        if (file.exists())
            wanted << caption;
        wanted << file.absolutePath();
    }
    const QStringList watchedList = m_fileWatcher->files() + m_fileWatcher->directories();
    const QSet<QString> watched(watchedList.begin(), watchedList.end());
    const QSet<QString> gone = watched - wanted;
    const QSet<QString> added = wanted - watched;
    if (!gone.isEmpty())
        m_fileWatcher->removePaths(gone.values());
    if (!added.isEmpty())
        m_fileWatcher->addPaths(added.values());
}

void TForm1::ShowCaretPosition()
{
    if (const TScrollMemo* memo = ActiveMemo())
        ShowCaretPositionOf(*memo);
}

void TForm1::ShowCaretPositionOf(const TScrollMemo& memo)
{
    SetStatusText(caretPositionText(memo));
}

void TForm1::activateDocument(QMdiSubWindow* window)
{
    if (!window)
        return;
    refreshActiveFileExists();
    ShowCaretPosition();
    UpdateCommandStates();
}

void TForm1::SelectionChanged()
{
    if (!ActiveMemo())
        return;
    ShowCaretPosition();
    UpdateCommandStates();
}

void TForm1::RefreshUndoButton()
{
    UpdateCommandStates();
}

// The menus look at the file again when they open: it may have appeared or gone meanwhile.
void TForm1::File1Click()
{
    refreshActiveFileExists();
    UpdateCommandStates();
}

void TForm1::Edit1Click()
{
    File1Click();
}

void TForm1::PopupMenu1Popup()
{
    UpdateCommandStates();
}

// The floating windows go above everything again, and the file may have changed while the
// user was in another program.
void TForm1::FormActivate()
{
    restoreDocumentFocus();
    for (const FloatingWindow& floating : floatingWindows()) {
        if (floating.window->isVisible())
            floating.window->raise();
    }
    File1Click();
}

// Disabling the main window for a secondary window takes the focus from the active document,
// and the area forgets a document window activated meanwhile. Without a focus widget Qt would
// focus the first document window when the main window is active again, and so activate it.
void TForm1::restoreDocumentFocus()
{
    QMdiSubWindow* window =
        m_activatedWhileDisabled ? m_activatedWhileDisabled.data() : ActiveDocumentWindow();
    m_activatedWhileDisabled = nullptr;
    if (!window || focusWidget())
        return;
    MdiArea->setActiveSubWindow(window);
    MemoOf(window)->setFocus();
}

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A maximized document window adds its own caption to the main window's title (and puts
    // back an old title when it is restored): the title stays the application title.
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != m_applicationTitle)
        setWindowTitle(m_applicationTitle);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}
