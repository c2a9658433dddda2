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

void TForm1::restoreRecoveredDocuments()
{
    static const QRegularExpression untitledNumber(QStringLiteral("^Untitled(\\d+)$"));
    for (const RecoveryCopy& copy : m_orphans->Copies()) {
        restoreMaximizedActiveWindow();
        QMdiSubWindow* window = createDocumentWindow();
        window->setWindowTitle(copy.caption);
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
        // New documents are numbered after a restored "Untitled" one.
        if (const auto match = untitledNumber.match(copy.caption); match.hasMatch())
            UntitledCounter = qMax(UntitledCounter, match.captured(1).toInt());
        EnableDocumentCommands(true);
    }
    discardRecoveredDocuments();
}

void TForm1::discardRecoveredDocuments()
{
    if (m_orphans)
        m_orphans->Discard();
    m_orphans.reset();
    if (m_recoveryBar)
        m_recoveryBar->deleteLater();
}
