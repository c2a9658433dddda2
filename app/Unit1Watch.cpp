// Files changed or removed by other programs: a bar in the document window tells, and Save
// asks before it overwrites such a file. The program's own saves and loads are remembered,
// so they never count as changes.

#include "app/Unit1.h"

#include "app/BusyCursor.h"
#include "app/DocumentBar.h"
#include "app/Recovery.h"
#include "app/Scrlmemo.h"

#include <QMdiSubWindow>

// stamp is the file as the program read it (taken before the reading, so that a change
// while a large file loads still counts) or as it wrote it.
void TForm1::rememberDocumentFile(const QMdiSubWindow* window, const QString& path,
                                  const FileStamp& stamp)
{
    m_documentFiles.insert(window, DocumentFile{path, stamp, stamp});
    MemoOf(window)->SetMessageBar(nullptr);
    // The text is the file's now: its copy is no longer needed.
    m_recovery->Forget(window);
}

void TForm1::NoteOwnWrite(const QString& path)
{
    const FileStamp now = FileStampOf(path);
    for (auto file = m_documentFiles.begin(); file != m_documentFiles.end(); ++file) {
        if (file->path != path)
            continue;
        file->loaded = file->noticed = now;
        for (QMdiSubWindow* window : DocumentWindows()) {
            if (window == file.key())
                MemoOf(window)->SetMessageBar(nullptr);
        }
    }
}

// A file that is no longer as last noticed gets its bar; one back as loaded loses it.
void TForm1::checkDocumentFiles()
{
    for (QMdiSubWindow* window : DocumentWindows()) {
        auto file = m_documentFiles.find(window);
        if (file == m_documentFiles.end() || file->path != window->windowTitle())
            continue;
        const FileStamp now = FileStampOf(file->path);
        if (now == file->noticed)
            continue;
        file->noticed = now;
        if (now == file->loaded)
            MemoOf(window)->SetMessageBar(nullptr);
        else
            showFileBar(window, now.exists);
    }
}

void TForm1::showFileBar(QMdiSubWindow* window, bool fileExists)
{
    TScrollMemo* memo = MemoOf(window);
    const QString name = FileNamePart(window->windowTitle());
    const QPointer<QMdiSubWindow> target(window);
    const TDocumentBar::Choice ignore{QStringLiteral("&Ignore"), [target] {
                                          if (target)
                                              MemoOf(target)->SetMessageBar(nullptr);
                                      }};
    if (!fileExists) {
        memo->SetMessageBar(new TDocumentBar(
            name + QStringLiteral(" has been deleted by another program. Save writes it again."),
            {ignore}));
        return;
    }
    const TDocumentBar::Choice reload{QStringLiteral("&Reload"), [this, target] {
                                          if (target && reloadConfirmed(target))
                                              reloadDocument(target);
                                      }};
    const QString changed = name + QStringLiteral(" has been changed by another program.");
    memo->SetMessageBar(new TDocumentBar(
        memo->ModifiedFlag()
            ? changed + QStringLiteral(" This document has unsaved changes, which Reload discards.")
            : changed,
        {reload, ignore}));
}

// Only a file that someone else changed since it was loaded or saved, and that is still
// there, is asked about.
bool TForm1::overwriteConfirmed(const QMdiSubWindow* window, const QString& path)
{
    const auto file = m_documentFiles.constFind(window);
    if (file == m_documentFiles.cend() || file->path != path)
        return true;
    const FileStamp now = FileStampOf(path);
    if (!now.exists || now == file->loaded)
        return true;
    return m_platform.prompts.message(
               MessageKind::Confirmation,
               path + QStringLiteral(" has been changed by another program.\rDo you want to "
                                     "overwrite it?"),
               MessageButtons::YesNo) == Answer::Yes;
}

// A failed load leaves the text and its modified flag as they were.
bool TForm1::reloadDocument(QMdiSubWindow* window)
{
    const QString caption = window->windowTitle();
    const FileStamp before = FileStampOf(caption);
    FileResult result;
    {
        BusyCursor busy;
        result = MemoOf(window)->LoadLinesFromFile(caption);
    }
    if (!result.ok) {
        // A load the user stopped with Esc leaves the text as it was, without a word.
        if (!MemoOf(window)->LoadCancelled())
            showError(QStringLiteral("Could not reload file.\r") + result.error);
        return false;
    }
    rememberDocumentFile(window, caption, before);
    return true;
}

// Unsaved changes are lost by a reload: the user says so first.
bool TForm1::reloadConfirmed(const QMdiSubWindow* window)
{
    if (!MemoOf(window)->ModifiedFlag())
        return true;
    const QString text = QStringLiteral("The changes made to the text in the ") +
                         FileNamePart(window->windowTitle()) +
                         QStringLiteral(" file\rhave not been saved, do you still wish to reload?");
    return m_platform.prompts.message(MessageKind::Confirmation, text, MessageButtons::YesNo) ==
           Answer::Yes;
}
