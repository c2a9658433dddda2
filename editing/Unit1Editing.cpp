// The editing commands of the main window: undo, clipboard, delete, crop, time and date,
// word wrap, insert file, execute and auto paste.

#include "app/Unit1.h"

#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "app/TextFile.h"
#include "editing/FindDialogs.h"
#include "editing/MemoCommands.h"
#include "editing/SearchText.h"
#include "platform/Clock.h"
#include "platform/Shell.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

AutoPastePause::AutoPastePause(QTimer* timer) : m_timer(timer), m_wasActive(timer->isActive())
{
    m_timer->stop();
}

AutoPastePause::~AutoPastePause()
{
    if (m_wasActive)
        m_timer->start();
}

void TForm1::createEditingParts()
{
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    FindDialog1 = new TFindDialog(this);
    ReplaceDialog1 = new TReplaceDialog(this);
    connect(FindDialog1, &TSearchDialog::FindNext, this, &TForm1::FindDialog1Find);
    connect(ReplaceDialog1, &TSearchDialog::FindNext, this, &TForm1::ReplaceDialog1Find);
    connect(ReplaceDialog1, &TReplaceDialog::Replace, this,
            [this] { ReplaceDialog1Replace(false); });
    connect(ReplaceDialog1, &TReplaceDialog::ReplaceAll, this,
            [this] { ReplaceDialog1Replace(true); });
}

// After undoing a change of the whole text (a Crop, say) the caret goes to the start
// instead of leaving everything selected.
void TForm1::Undo1Click()
{
    TScrollMemo* memo = ActiveMemo();
    if (!memo)
        return;
    memo->UndoLast();
    if (memo->SelLength() == memo->TextLength()) {
        memo->SetSelLength(0);
        memo->SetSelStart(0);
    }
}

void TForm1::Cut1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        CutToClipboard(*memo);
}

void TForm1::Copy1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        memo->CopySelectionToClipboard();
}

// The caret ends after the pasted text.
void TForm1::Paste1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        PasteFromClipboard(*memo);
}

void TForm1::Delete1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        DeleteAtCaret(*memo);
}

// Keeps only the selected text, as one undoable replacement of the whole text.
void TForm1::Crop1Click()
{
    TScrollMemo* memo = ActiveMemo();
    if (!memo)
        return;
    const QString kept = memo->SelectedText();
    memo->SelectAllText();
    memo->ReplaceSelection(kept);
    memo->SetSelStart(0);
}

void TForm1::SelectAll1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        memo->SelectAllText();
}

void TForm1::TimeDate1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        memo->ReplaceSelection(ShortDateAndTime(m_platform.clock.now()));
}

void TForm1::WordWrap1Click()
{
    TScrollMemo* memo = ActiveMemo();
    if (!memo)
        return;
    if (memo->WordWrap()) {
        memo->SetScrollBars(ScrollBarsMode::Both);
        memo->SetWordWrap(false);
    } else {
        memo->SetWordWrap(true);
        memo->SetScrollBars(ScrollBarsMode::Vertical);
    }
    action("WordWrap1")->setChecked(memo->WordWrap());
}

void TForm1::Insertfile1Click()
{
    QMdiSubWindow* window = ActiveDocumentWindow();
    if (!window)
        return;
    const QString caption = window->windowTitle();
    FileDialogRequest request;
    request.title = QStringLiteral("Insert File");
    request.filter = OpenFilter;
    request.defaultSuffix = QStringLiteral("txt");
    request.folder = IsUntitledCaption(caption) ? QString() : QFileInfo(caption).absolutePath();
    // The dialog is modal: the main window takes no input while it is open.
    const FileDialogResult chosen = m_platform.prompts.openFiles(request, false);
    if (chosen.accepted()) {
        const QString path = chosen.files.first();
        TStrSet lines;
        FileResult read;
        if (QFileInfo::exists(path))
            read = lines.LoadFromFile(path, MaxDocumentSize);
        if (!read.ok) {
            showError(QStringLiteral("Could not read file ") + path + QStringLiteral(".\r") +
                      read.error);
        } else {
            QString text;
            for (const QString& line : std::as_const(lines.Strings()))
                text += line + QStringLiteral("\r\n");
            if (!text.isEmpty())
                MemoOf(window)->ReplaceSelection(text);
        }
    }
    MdiArea->setActiveSubWindow(window);
    MemoOf(window)->FocusEditor();
}

// The selected text is opened with its default handler, as a path or an address; it is
// never run through a shell command line.
void TForm1::Execute1Click()
{
    if (const TScrollMemo* memo = ActiveMemo())
        m_platform.shell.openWithDefault(memo->SelectedText().trimmed());
}

void TForm1::Execute2Click()
{
    Execute1Click();
}

void TForm1::AutoPaste1Click()
{
    if (action("AutoPaste1")->isChecked()) {
        AutoPasteTarget = ActiveDocumentWindow();
        AutoPasteLastText = QGuiApplication::clipboard()->text();
        Timer1->start();
    } else {
        Timer1->stop();
        AutoPasteTarget = nullptr;
    }
}

// Every new clipboard text is added as a line at the end of the target document.
void TForm1::Timer1Timer()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text == AutoPasteLastText)
        return;
    if (AutoPasteTarget && DocumentWindows().contains(AutoPasteTarget.data())) {
        MemoOf(AutoPasteTarget)->AppendLine(WithCrLfBreaks(text));
        AutoPasteLastText = text;
        return;
    }
    // The target is gone. The item may be disabled by now (no document left), so it is
    // switched off directly rather than through a click.
    action("AutoPaste1")->setChecked(false);
    AutoPaste1Click();
}
