// Crash recovery: at the start, the text of the documents of a run that ended without
// closing is offered in a bar above the document area; restored, each is a modified document
// with its old caption, saved as its file was.

#include "app/Unit1.h"

#include "app/BusyCursor.h"
#include "app/DocumentBar.h"
#include "app/Recovery.h"
#include "app/Scrlmemo.h"

#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

void TForm1::offerRecoveredDocuments()
{
    auto orphans = std::make_unique<OrphanedCopies>();
    const qsizetype count = orphans->Copies().size();
    if (count == 0)
        return;
    m_orphans = std::move(orphans);
    const QString text =
        count == 1
            ? QStringLiteral("Tavro ended without closing; the text of 1 document was kept.")
            : QStringLiteral("Tavro ended without closing; the text of %1 documents was kept.")
                  .arg(count);
    m_recoveryBar = new TDocumentBar(
        text, {{QStringLiteral("&Restore"), [this] { restoreRecoveredDocuments(); }},
               {QStringLiteral("&Discard"), [this] { discardRecoveredDocuments(); }}});
    m_recoveryBar->setObjectName("RecoveryBar");
    // Between the toolbar and the document area.
    static_cast<QVBoxLayout*>(centralWidget()->layout())->insertWidget(1, m_recoveryBar);
}

// A copy that cannot be opened stays, to be offered again; an "Untitled" caption already in
// use gets the next number.
void TForm1::restoreRecoveredDocuments()
{
    static const QRegularExpression untitledNumber(QStringLiteral("^Untitled(\\d+)$"));
    for (const RecoveryCopy& copy : m_orphans->Copies()) {
        restoreMaximizedActiveWindow();
        QMdiSubWindow* window = createDocumentWindow();
        QString caption = copy.caption;
        if (windowCaptionInUse(caption))
            caption = QStringLiteral("Untitled%1").arg(++UntitledCounter);
        window->setWindowTitle(caption);
        showDocumentWindow(window);
        TScrollMemo* memo = MemoOf(window);
        FileResult loaded;
        {
            BusyCursor busy;
            loaded = memo->LoadLinesFromFile(copy.textPath);
        }
        if (!loaded.ok) {
            showError(QStringLiteral("Could not open file ") + copy.textPath +
                      QStringLiteral(".\r") + loaded.error);
            window->close();
            continue;
        }
        memo->SetFormat({copy.encoding, copy.lineBreak});
        memo->SetModifiedFlag(true);
        // Kept again before the old copy goes.
        m_recovery->CopyNow(window);
        m_orphans->Remove(copy);
        // New documents are numbered after a restored "Untitled" one.
        if (const auto match = untitledNumber.match(caption); match.hasMatch())
            UntitledCounter = qMax(UntitledCounter, match.captured(1).toInt());
        EnableDocumentCommands(true);
    }
    m_orphans.reset();
    if (m_recoveryBar)
        m_recoveryBar->deleteLater();
}

bool TForm1::windowCaptionInUse(const QString& caption) const
{
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    return IsUntitledCaption(caption) &&
           std::any_of(windows.cbegin(), windows.cend(), [&caption](const QMdiSubWindow* window) {
               return window->windowTitle() == caption;
           });
}

void TForm1::discardRecoveredDocuments()
{
    if (m_orphans)
        m_orphans->Discard();
    m_orphans.reset();
    if (m_recoveryBar)
        m_recoveryBar->deleteLater();
}
