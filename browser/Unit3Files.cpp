// The Browse Files window: the preview of the clicked file, its editing commands, and the
// commands on the listed files.

#include "browser/Unit3.h"

#include "app/BusyCursor.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "browser/BrowserLogic.h"
#include "browser/FileCopy.h"
#include "editing/MemoCommands.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiSubWindow>

namespace
{

// Any file but a folder: a pipe or a device is named, and refused when it comes to reading.
bool isListedFileOnDisk(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() && !file.isDir();
}

QString saveFailureText(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not save to file ") + path +
           QStringLiteral(".\rThe file might be write protected.\r") + reason;
}

} // namespace

// ---- Preview ---------------------------------------------------------------------------------

void TForm3::enablePreviewCommands()
{
    ScrollMemo1->setEnabled(true);
    setEnabledAll({"ToolButton8", "ToolButton9", "ToolButton2", "ToolButton12", "Properties2",
                   "Properties1", "Open1"},
                  true);
}

// Yes writes the edits to their file; false when that failed, and the edits stay.
bool TForm3::askToSavePreview()
{
    const Answer answer = m_platform.prompts.message(
        MessageKind::Confirmation,
        QStringLiteral("The text in the ") + QFileInfo(m_previewPath).fileName() +
            QStringLiteral(" file has changed.\r\rDo you want to save the changes?"),
        MessageButtons::YesNo);
    return answer != Answer::Yes || savePreview();
}

// Writes the preview in the encoding and line breaks its file had.
bool TForm3::savePreview()
{
    FileResult result;
    {
        BusyCursor busy;
        result = m_previewPath.isEmpty()
                     ? FileResult::failure(QStringLiteral("No file is previewed."))
                     : ScrollMemo1->SaveLinesToFile(m_previewPath);
    }
    if (!result.ok) {
        m_main.showError(saveFailureText(m_previewPath, result.error));
        return false;
    }
    ScrollMemo1->SetModifiedFlag(false);
    m_main.NoteOwnWrite(CaptionPath(m_previewPath));
    return true;
}

void TForm3::showFileDetails(const QString& path)
{
    const QFileInfo file(path);
    const QDateTime modified = file.lastModified();
    setPanelText(1, QStringLiteral("Date: ") + ShortDateText(modified.date()) + u' ' +
                        LongTimeText(modified.time()));
    setPanelText(2, path);
}

// A file that cannot be read leaves the preview empty and read-only: nothing typed there can
// be saved over the file that failed.
void TForm3::loadPreview(const QString& path)
{
    const FileResult loaded = ScrollMemo1->LoadLinesFromFile(path);
    ScrollMemo1->setReadOnly(!loaded.ok);
    if (loaded.ok) {
        m_previewPath = path;
    } else {
        m_previewPath.clear();
        ScrollMemo1->SetFullText(QString());
        m_main.showError(QStringLiteral("Could not open file.\r") + loaded.error);
    }
}

// All of the text back to the font colour, the caret at the start, nothing selected.
void TForm3::clearPreviewColors()
{
    ScrollMemo1->BeginBulkUpdate();
    ScrollMemo1->SelectAllText();
    ScrollMemo1->SetSelectionColor(ScrollMemo1->EditorFontColor());
    ScrollMemo1->SetSelStart(0);
    ScrollMemo1->EndBulkUpdate();
}

// A click in the file list (the Up and Down keys too) previews the selected file, after
// offering to save the edits of the file previewed so far.
void TForm3::ListView1Click()
{
    enablePreviewCommands();
    const QString path = SelectedFilePath();
    if (path.isEmpty())
        return;
    if (ScrollMemo1->ModifiedFlag() && !askToSavePreview())
        return;
    QFileInfo file(path);
    if (!file.exists())
        return;
    {
        BusyCursor busy;
        showFileDetails(path);
        loadPreview(path);
        file.refresh();
        setPanelText(0, file.exists() ? QStringLiteral("Size: %1 bytes").arg(file.size())
                                      : QStringLiteral("Size: n.a."));
    }
    clearPreviewColors();
    if (!FindHighlightText.isEmpty())
        HighlightPreview(FindHighlightText.mid(1), FindHighlightText.startsWith(u'1'));
    ScrollMemo1->SetModifiedFlag(false);
}

void TForm3::ListView1DblClick()
{
    QString path;
    if (existingSelectedFile(path))
        m_main.OpenFileInNewWindow(path);
}

void TForm3::ScrollMemo1SelectionChange()
{
    const bool selected = ScrollMemo1->SelLength() > 0;
    setEnabledAll(
        {"Copy1", "Delete1", "Cut1", "Highlight1", "ToolButton4", "ToolButton5", "ToolButton7"},
        selected);
    showPreviewCaret();
}

void TForm3::showPreviewCaret()
{
    m_main.ShowCaretPositionOf(*ScrollMemo1);
}

void TForm3::PopupMenu2Popup()
{
    const bool selected = ScrollMemo1->SelLength() > 0;
    setEnabledAll({"Copy2", "Delete4", "Cut2", "Highlight2"}, selected);
}

// A preview left empty by a file that could not be read takes no edits.
void TForm3::Undo1Click()
{
    if (!ScrollMemo1->isReadOnly())
        ScrollMemo1->UndoLast();
}

void TForm3::Cut1Click()
{
    if (!ScrollMemo1->isReadOnly())
        CutToClipboard(*ScrollMemo1);
}

void TForm3::Copy1Click()
{
    ScrollMemo1->CopySelectionToClipboard();
}

void TForm3::Paste1Click()
{
    if (!ScrollMemo1->isReadOnly())
        PasteFromClipboard(*ScrollMemo1);
}

void TForm3::Delete1Click()
{
    if (!ScrollMemo1->isReadOnly())
        DeleteAtCaret(*ScrollMemo1);
}

void TForm3::SelectAll1Click()
{
    ScrollMemo1->SelectAllText();
}

void TForm3::WordWrap1Click()
{
    ScrollMemo1->SetWordWrap(action("WordWrap1")->isChecked());
}

// ---- Commands on files -----------------------------------------------------------------------

bool TForm3::existingSelectedFile(QString& path) const
{
    path = SelectedFilePath();
    return !path.isEmpty() && isListedFileOnDisk(path);
}

void TForm3::PopupMenu1Popup()
{
    QString path;
    const bool selected = !SelectedFilePath().isEmpty();
    const bool exists = existingSelectedFile(path);
    setEnabledAll({"Open1", "Properties1", "Rename1", "Copyto2", "Delete3"}, selected && exists);
    action("Pastepath1")->setEnabled(selected && !m_main.DocumentWindows().isEmpty());
}

void TForm3::File1Click()
{
    const bool selected = !SelectedFilePath().isEmpty();
    setEnabledAll({"Openfile1", "Save1", "Insertfile1", "Pastepath2", "Copyto1", "Delete2",
                   "Rename2", "Copyto2", "Delete3", "Rename1"},
                  selected);
}

void TForm3::Open1Click()
{
    QString path;
    if (existingSelectedFile(path)) {
        m_main.OpenFileInNewWindow(path);
        m_main.AddToRecentDocuments(path);
    }
}

void TForm3::Openfile1Click()
{
    for (const QString& name : SelectedNames()) {
        const QString path = CurrentFolder + name;
        if (isListedFileOnDisk(path)) {
            m_main.OpenFileInNewWindow(path);
            m_main.AddToRecentDocuments(path);
        }
    }
}

void TForm3::Save1Click()
{
    if (!SelectedFilePath().isEmpty() && !m_previewPath.isEmpty())
        savePreview();
}

void TForm3::Insertfile1Click()
{
    if (TScrollMemo* memo = m_main.ActiveMemo())
        memo->ReplaceSelection(ScrollMemo1->FullText());
}

// The paths follow one another at the caret, each ended by a line break.
void TForm3::Pastepath1Click()
{
    TScrollMemo* memo = m_main.ActiveMemo();
    if (!memo || SelectedFilePath().isEmpty())
        return;
    for (const QString& name : SelectedNames())
        memo->ReplaceSelection(CurrentFolder + name + QStringLiteral("\r\n"));
}

void TForm3::ToolButton9Click()
{
    const QString path = SelectedFilePath();
    if (path.isEmpty())
        return;
    if (!ScrollMemo1->PrintDocument(path, m_main.Printer()))
        m_main.showError(QStringLiteral("Could not print ") + path + u'.');
}

// The selected files are copied into a chosen folder; the first failure stops the rest.
void TForm3::Copyto1Click()
{
    const QString chosen = m_platform.prompts.chooseFolder(
        QStringLiteral("Where do you want to copy the selected files to"), CurrentFolder);
    if (chosen.isEmpty())
        return;
    const QString destination = WithTrailingSlash(chosen);
    setWindowTitle(destination);
    for (const QString& name : SelectedNames()) {
        const QString source = CurrentFolder + name;
        if (!isListedFileOnDisk(source))
            continue;
        FileResult copied;
        {
            BusyCursor busy;
            copied = CopyFileContents(source, destination + name);
        }
        if (!copied.ok) {
            m_main.showError(copied.error);
            return;
        }
    }
}

// At once and for good; a file that cannot be deleted stays listed, without a message.
void TForm3::Delete2Click()
{
    for (QListWidgetItem* entry : selectedItemsInListOrder()) {
        if (QFile::remove(CurrentFolder + entry->text()))
            delete entry;
    }
}

void TForm3::Rename1Click()
{
    QListWidgetItem* entry = selectedItemsInListOrder().value(0);
    if (!entry)
        return;
    ListView1->setCurrentItem(entry);
    ListView1->editItem(entry);
}

// A name that cannot be given (taken, empty, or holding a folder separator) goes back to
// the old one, without a message.
void TForm3::ListView1Edited(QListWidgetItem* entry)
{
    const QString newName = entry->text();
    const QString oldName = entry->data(FileNameRole).toString();
    if (newName == oldName)
        return;
    const bool valid =
        !newName.isEmpty() && !newName.contains(u'/') && newName != u"." && newName != u"..";
    const QSignalBlocker quiet(ListView1);
    if (!valid || !QFile::rename(CurrentFolder + oldName, CurrentFolder + newName)) {
        entry->setText(oldName);
        return;
    }
    entry->setData(FileNameRole, newName);
    entry->setIcon(m_platform.shell.fileTypeIcon(newName));
    // The preview's edits belong to the file under its new name.
    if (m_previewPath == CurrentFolder + oldName) {
        m_previewPath = CurrentFolder + newName;
        setPanelText(2, m_previewPath);
    }
}

void TForm3::Properties1Click()
{
    QString path;
    if (existingSelectedFile(path))
        m_platform.shell.showProperties(path, this);
}
