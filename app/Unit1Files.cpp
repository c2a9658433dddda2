// Files of the document windows: open, save, close, reload, clone, properties and print.

#include "app/Unit1.h"

#include "app/BusyCursor.h"
#include "app/RecentMenu.h"
#include "app/Scrlmemo.h"
#include "app/Unit7.h"
#include "platform/Clock.h"
#include "platform/Shell.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLayout>
#include <QListWidgetItem>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>

namespace
{

// A name without a dot in its file-name part has no extension.
bool hasExtension(const QString& path)
{
    return QFileInfo(path).fileName().contains(u'.');
}

QString folderPart(const QString& caption)
{
    return IsUntitledCaption(caption) ? QString() : QFileInfo(caption).absolutePath();
}

} // namespace

// ---- Open ------------------------------------------------------------------------------

void TForm1::Open1Click()
{
    // Without a document the dialog keeps its last values.
    if (const QMdiSubWindow* window = ActiveDocumentWindow()) {
        const QString caption = window->windowTitle();
        m_openRequest.fileName =
            caption.contains(QLatin1String("Untitled")) ? QString() : FileNamePart(caption);
        m_openRequest.folder = folderPart(caption);
    }
    openChosenFiles();
}

void TForm1::openChosenFiles()
{
    m_openRequest.filter = OpenFilter;
    m_openRequest.defaultSuffix = QStringLiteral("txt");
    const FileDialogResult chosen = m_platform.prompts.openFiles(m_openRequest, true);
    m_openRequest.filterIndex = chosen.filterIndex;
    for (const QString& file : chosen.files) {
        OpenFileInNewWindow(file);
        AddToRecentDocuments(file);
    }
}

FileDialogRequest TForm1::OpenDialogFilter() const
{
    FileDialogRequest request;
    request.filter = OpenFilter;
    request.filterIndex = m_openRequest.filterIndex;
    return request;
}

QMdiSubWindow* TForm1::OpenFileInNewWindow(const QString& givenPath)
{
    const QString path = CaptionPath(givenPath);
    restoreMaximizedActiveWindow();
    QMdiSubWindow* window = createDocumentWindow();
    window->setWindowTitle(path);
    // Shown before it is filled: a width change of a filled editor lays out all the text
    // again.
    showDocumentWindow(window);
    if (window->layout())
        window->layout()->activate();
    TScrollMemo* memo = MemoOf(window);
    {
        BusyCursor busy;
        const FileStamp before = FileStampOf(path);
        const FileResult loaded = memo->LoadLinesFromFile(path);
        if (memo->LoadCancelled()) {
            // The user stopped the load with Esc: the window goes as if it never opened.
            window->close();
            return nullptr;
        }
        if (!loaded.ok) {
            showError(QStringLiteral("Could not open file ") + path + QStringLiteral(".\r") +
                      loaded.error);
            ++UntitledCounter;
            window->setWindowTitle(QStringLiteral("Untitled%1").arg(UntitledCounter));
            updateOpenFilesEntry(window);
        } else {
            rememberDocumentFile(window, path, before);
        }
    }
    memo->SetModifiedFlag(false);
    SetStatusText(QStringLiteral("  1:1"));
    ApplyLogRule(memo);
    memo->FocusEditor();
    EnableDocumentCommands(true);
    return window;
}

// A text whose first line is exactly ".LOG" gets the date and time on a line of its own at
// the end, with the caret on a new line below it.
void TForm1::ApplyLogRule(TScrollMemo* memo)
{
    if (memo->LineText(0) != QLatin1String(".LOG"))
        return;
    memo->AppendLine(ShortDateLongTime(m_platform.clock.now()) + QStringLiteral("\r\n"));
}

void TForm1::RecentDocuments1Click()
{
    RebuildRecentMenu(findChild<QMenu*>(QStringLiteral("RecentDocuments1")),
                      m_platform.shell.recentDocuments(), OpenFilter, m_platform.shell,
                      [this](const QString& path) { RecentItemClick(path); });
}

// The file is already in the recent list: it is not added again.
void TForm1::RecentItemClick(const QString& path)
{
    if (ConfirmRecentFileExists(path, m_platform.prompts))
        OpenFileInNewWindow(path);
}

void TForm1::AddToRecentDocuments(const QString& path)
{
    m_platform.shell.addToRecentDocuments(path);
}

void TForm1::FilesDropped(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile()) {
            OpenFileInNewWindow(path);
            AddToRecentDocuments(path);
        }
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    FilesDropped(paths);
}

void TForm1::updateOpenFilesEntry(QMdiSubWindow* window)
{
    QListWidgetItem* entry = Form7->EntryOf(window);
    if (!entry)
        return;
    const QString caption = window->windowTitle();
    entry->setText(FileNamePart(caption));
    entry->setIcon(m_platform.shell.fileTypeIcon(
        IsUntitledCaption(caption) ? QStringLiteral("*.txt") : caption));
}

// ---- Save ------------------------------------------------------------------------------

void TForm1::Save1Click()
{
    SaveDocument();
}

void TForm1::SaveAs1Click()
{
    SaveDocumentAs();
}

// Writes the window's text to path. A failed write is reported and keeps the document
// modified: the text is not saved anywhere; so does declining to overwrite a file that
// another program changed.
bool TForm1::writeDocument(QMdiSubWindow* window, const QString& path)
{
    if (!overwriteConfirmed(window, path))
        return false;
    TScrollMemo* memo = MemoOf(window);
    FileResult result;
    {
        BusyCursor busy;
        result = memo->SaveLinesToFile(path);
    }
    if (!result.ok) {
        showError(QStringLiteral("Could not save to file ") + path +
                  QStringLiteral(".\rThe file might be write protected.\r") + result.error);
        return false;
    }
    memo->SetModifiedFlag(false);
    // The other windows of that file were not changed by another program either.
    NoteOwnWrite(path);
    rememberDocumentFile(window, path, FileStampOf(path));
    documentFilesChanged(); // the save may have made the file anew
    return true;
}

bool TForm1::SaveDocument(QMdiSubWindow* window)
{
    if (!window)
        window = ActiveDocumentWindow();
    if (!window)
        return false;
    const QString caption = window->windowTitle();
    if (IsUntitledCaption(caption))
        return SaveDocumentAs(window);
    return writeDocument(window, caption);
}

bool TForm1::SaveDocumentAs(QMdiSubWindow* window)
{
    if (!window)
        window = ActiveDocumentWindow();
    if (!window)
        return false;
    // The dialog is modal: no other command can start while it is open.
    const QString caption = window->windowTitle();
    FileDialogRequest request;
    request.filter = SaveFilter;
    request.fileName = caption;
    request.folder = folderPart(caption);
    request.defaultSuffix = QStringLiteral("txt");
    const FileDialogResult chosen = m_platform.prompts.saveFile(request);
    if (!chosen.accepted())
        return false;
    QString name = CaptionPath(chosen.files.first());
    if (!hasExtension(name)) {
        name += QStringLiteral(".txt");
        // The dialog asked about the name without the extension (or about nothing).
        if (QFileInfo::exists(name) &&
            m_platform.prompts.message(
                MessageKind::Confirmation,
                name + QStringLiteral(" already exists.\rDo you want to replace it?"),
                MessageButtons::YesNo) != Answer::Yes)
            return false;
    }
    // A failed write leaves caption, Open Files entry and recent documents as they were.
    if (!writeDocument(window, name))
        return false;
    window->setWindowTitle(name);
    updateOpenFilesEntry(window);
    AddToRecentDocuments(name);
    return true;
}

void TForm1::SaveAll1Click()
{
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        MdiArea->setActiveSubWindow(*it);
        SaveDocument();
    }
}

// ---- Close -----------------------------------------------------------------------------

void TForm1::Close1Click()
{
    if (QMdiSubWindow* window = ActiveDocumentWindow())
        window->close();
}

void TForm1::CloseAll1Click()
{
    const AutoPastePause pause(Timer1);
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QPointer<QMdiSubWindow> window = *it;
        if (!window)
            continue;
        CloseConfirmed = true;
        MdiArea->setActiveSubWindow(window);
        if (MemoOf(window)->ModifiedFlag()) {
            const QString text =
                QStringLiteral("The text in the ") + FileNamePart(window->windowTitle()) +
                QStringLiteral(" file has changed.\r\rDo you want to save the changes?");
            const Answer answer =
                m_platform.prompts.message(MessageKind::Confirmation, text, MessageButtons::YesNo);
            // Text that could not be saved stays open rather than lost.
            if (answer == Answer::Yes && !SaveDocument(window))
                continue;
        }
        window->close();
    }
    CloseConfirmed = false;
}

void TForm1::Exit1Click()
{
    close();
}

// ---- Reload and clone ------------------------------------------------------------------

void TForm1::Refresh1Click()
{
    QMdiSubWindow* window = ActiveDocumentWindow();
    if (!window)
        return;
    if (IsUntitledCaption(window->windowTitle()))
        return; // no file behind it
    if (reloadConfirmed(window))
        reloadDocument(window);
}

void TForm1::ReloadButtonClick()
{
    const QMdiSubWindow* window = ActiveDocumentWindow();
    if (!window)
        return;
    if (DocumentFileExists(window->windowTitle())) {
        documentFilesChanged();
        action("Refresh1")->trigger();
        return;
    }
    m_platform.prompts.message(
        MessageKind::Information,
        QStringLiteral("Cannot reload file. The document\rhas not been saved."),
        MessageButtons::Ok);
}

void TForm1::CloneWindow1Click()
{
    QMdiSubWindow* source = ActiveDocumentWindow();
    if (!source)
        return;
    const TScrollMemo* sourceMemo = MemoOf(source);
    New1Click();
    QMdiSubWindow* clone = ActiveDocumentWindow();
    TScrollMemo* memo = MemoOf(clone);
    memo->SetTextFrom(*sourceMemo);
    memo->FocusEditor();
    memo->SetSelStart(sourceMemo->SelStart());
    memo->ScrollCaretIntoView();
    memo->SetModifiedFlag(false);
    clone->setWindowTitle(source->windowTitle());
    updateOpenFilesEntry(clone);
    // The clone's file is as the original last found it.
    if (const auto file = m_documentFiles.constFind(source); file != m_documentFiles.cend())
        m_documentFiles.insert(clone, *file);
}

// ---- Properties and printing -----------------------------------------------------------

void TForm1::Properties1Click()
{
    const QMdiSubWindow* window = ActiveDocumentWindow();
    if (!window)
        return;
    const QString caption = window->windowTitle();
    if (!DocumentFileExists(caption)) {
        m_platform.prompts.message(MessageKind::Information,
                                   QStringLiteral("You must save the document before you \rcan "
                                                  "view and modify it's file properties."),
                                   MessageButtons::Ok);
        return;
    }
    // The properties window must not end up below a main window that stays on top.
    if (StayOnTop)
        action("Stayontop1")->trigger();
    m_platform.shell.showProperties(caption, this);
}

QPrinter& TForm1::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void TForm1::Print1Click()
{
    QMdiSubWindow* window = ActiveDocumentWindow();
    if (!window)
        return;
    const QString title = FileNamePart(window->windowTitle());
    bool printed = false;
    {
        BusyCursor busy;
        printed = MemoOf(window)->PrintDocument(title, Printer());
    }
    if (!printed)
        showError(QStringLiteral("Could not print ") + title + u'.');
}

void TForm1::PageSetup1Click()
{
    m_platform.prompts.pageSetup(Printer());
}
