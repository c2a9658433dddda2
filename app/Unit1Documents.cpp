// Document windows: New, their events, closing.

#include "app/Unit1.h"

#include "app/FocusKeeper.h"
#include "app/Recovery.h"

#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Unit7.h"
#include "editing/Macros.h"
#include "platform/Shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

#include <algorithm>

// While the program itself is being deactivated the area may report none for a moment;
// the active document is then still the one activated last.
QMdiSubWindow* TForm1::ActiveDocumentWindow() const
{
    if (QMdiSubWindow* current = MdiArea->currentSubWindow())
        return current;
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    return windows.isEmpty() ? nullptr : windows.last();
}

QList<QMdiSubWindow*> TForm1::DocumentWindows() const
{
    // The area lists the most recently activated window last.
    QList<QMdiSubWindow*> windows = MdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    std::reverse(windows.begin(), windows.end());
    return windows;
}

TScrollMemo* TForm1::MemoOf(const QMdiSubWindow* window)
{
    return window->findChild<TScrollMemo*>(QStringLiteral("memo"));
}

TScrollMemo* TForm1::ActiveMemo() const
{
    QMdiSubWindow* window = ActiveDocumentWindow();
    return window ? MemoOf(window) : nullptr;
}

void TForm1::New1Click()
{
    restoreMaximizedActiveWindow();
    QMdiSubWindow* window = createDocumentWindow();
    ++UntitledCounter;
    window->setWindowTitle(QStringLiteral("Untitled%1").arg(UntitledCounter));
    showDocumentWindow(window);
    TScrollMemo* memo = MemoOf(window);
    memo->FocusEditor();
    EnableDocumentCommands(true);
    SetStatusText(QStringLiteral("  1:1"));
    memo->SetModifiedFlag(false);
}

void TForm1::restoreMaximizedActiveWindow()
{
    QMdiSubWindow* active = ActiveDocumentWindow();
    if (active && active->isMaximized())
        active->showNormal();
}

// A document window holding an empty editor control named "memo", wired to the main
// window's handlers. It is freed when it closes.
QMdiSubWindow* TForm1::createDocumentWindow()
{
    auto* window = new QMdiSubWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(m_platform.shell.fileTypeIcon(QStringLiteral("*.txt")));

    auto* memo = new TScrollMemo;
    memo->setObjectName("memo");
    memo->SetHideSelection(false);
    memo->SetEditorFont(DocumentFont.font, DocumentFont.color);
    memo->SetScrollBars(ScrollBarsMode::Both);
    memo->SetHideScrollBars(false);
    memo->SetWordWrap(DefaultWordWrap);
    memo->SetWantTabs(true);
    memo->BookmarkPos = 0;
    memo->SetCommandKeys(m_commandKeys);
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, this, [this, memo](const QPoint& pos) {
        PopupMenu1->popup(memo->viewport()->mapToGlobal(pos));
    });
    connect(memo, &TScrollMemo::OnChange, this, &TForm1::RefreshUndoButton);
    connect(memo, &TScrollMemo::OnSelectionChange, this, &TForm1::SelectionChanged);
    connect(memo, &TScrollMemo::LoadProgress, this,
            [this](TScrollMemo*, int percent) { ShowLoadProgress(percent); });
    connect(memo, &TScrollMemo::ScreenLinesKnown, this, [this](TScrollMemo* sender) {
        if (sender == ActiveMemo())
            ShowCaretPosition();
    });
    // Key preview: the main window sees the keys before the control does. The control has
    // no use for a macro key; it stops there, or the main window would get it a second time.
    connect(memo, &TScrollMemo::OnKeyDown, this,
            [this](TScrollMemo*, int& key, Qt::KeyboardModifiers shift) {
                FormKeyDown(key, shift);
                CompletionKeyHandler(key, shift);
                if (MacroKeyNumber(key))
                    key = 0;
            });

    window->setWidget(memo);
    releaseMenuKeys(window);
    const QPoint position = newWindowPosition();
    MdiArea->addSubWindow(window);
    window->resize(LimitedToScreens(QSize(NewWindowWidth, NewWindowHeight), MinimumNewWindow));
    window->move(position);
    window->installEventFilter(this); // close query and close
    connect(window, &QWidget::windowTitleChanged, this, &TForm1::documentFilesChanged);
    connect(window, &QObject::destroyed, this, &TForm1::DocumentDestroyed);
    m_recovery->Watch(window);
    return window;
}

// New windows are staggered by a title bar's height from the active one, starting again at
// the top left once they have moved a third of the way across the area.
QPoint TForm1::newWindowPosition() const
{
    const QMdiSubWindow* active = ActiveDocumentWindow();
    if (!active || active->isMaximized() || active->isMinimized())
        return {0, 0};
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, active);
    const QPoint next = active->pos() + QPoint(step, step);
    const QSize area = MdiArea->viewport()->size();
    if (next.x() > area.width() / 3 || next.y() > area.height() / 3)
        return {0, 0};
    return next;
}

// The document window's own menu closes it with Ctrl+W too on some desktops; keys of the
// main menu belong to its commands (Ctrl+W is Word Wrap).
void TForm1::releaseMenuKeys(QMdiSubWindow* window) const
{
    for (QAction* item : window->systemMenu()->actions()) {
        QList<QKeySequence> keys = item->shortcuts();
        keys.removeIf([this](const QKeySequence& key) { return m_menuKeys.contains(key); });
        item->setShortcuts(keys);
    }
}

// Shows a new document window as the active one and gives it its Open Files entry.
void TForm1::showDocumentWindow(QMdiSubWindow* window)
{
    if (AlwaysMaximize)
        window->showMaximized();
    else
        window->show();
    activateDocumentWindow(window);
    if (DocumentWindows().size() == 1)
        Form7->setVisible(ShowTheOpenFiles);

    const QString caption = window->windowTitle();
    const bool untitled = IsUntitledCaption(caption);
    Form7->AddEntry(window, FileNamePart(caption),
                    m_platform.shell.fileTypeIcon(untitled ? QStringLiteral("*.txt") : caption));
}

// A disabled document window cannot become the active one: while a secondary window keeps
// the main window disabled (the browser opening files), it is enabled for the moment of the
// activation, and the secondary window stays the one that takes input.
void TForm1::activateDocumentWindow(QMdiSubWindow* window)
{
    if (isEnabled()) {
        MdiArea->setActiveSubWindow(window);
        return;
    }
    const FocusKeeper focus(m_secondaryWindow);
    setEnabled(true);
    MdiArea->setActiveSubWindow(window);
    setEnabled(false);
    if (m_secondaryWindow)
        m_secondaryWindow->setEnabled(true);
    m_activatedWhileDisabled = window;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(watched)) {
            if (!DocumentCloseQuery(window)) {
                event->ignore();
                return true;
            }
            DocumentClosed(window);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::DocumentCloseQuery(QMdiSubWindow* window)
{
    if (CloseConfirmed)
        return true;
    MdiArea->setActiveSubWindow(window);
    const TScrollMemo* memo = MemoOf(window);
    if (!memo->ModifiedFlag())
        return true;

    const QString text = QStringLiteral("The text in the ") + FileNamePart(window->windowTitle()) +
                         QStringLiteral(" file has changed.\r\rDo you want to save the changes?");
    switch (
        m_platform.prompts.message(MessageKind::Confirmation, text, MessageButtons::YesNoCancel)) {
    case Answer::Yes:
        // Text that was not saved (the write failed, Save As was cancelled) is not lost.
        return SaveDocument(window);
    case Answer::No:
        return true;
    default:
        CloseConfirmed = false;
        return false;
    }
}

void TForm1::DocumentClosed(QMdiSubWindow* window)
{
    m_documentFiles.remove(window);
    m_recovery->Forget(window, true);
    const bool last = DocumentWindows().size() == 1;
    if (last)
        EnableDocumentCommands(false);
    // Removing the entry lets the list lay out the rest again from the top.
    Form7->RemoveEntry(window);
    if (last) {
        for (const FloatingWindow& floating : floatingWindows())
            setFloatingShown(floating, false);
    }
}

void TForm1::DocumentDestroyed()
{
    // Once the area has let the window go.
    QMetaObject::invokeMethod(this, &TForm1::documentFilesChanged, Qt::QueuedConnection);
    SetStatusText(QString());
    // The window activated in place of the destroyed one got there first: show its caret.
    ShowCaretPosition();
}
