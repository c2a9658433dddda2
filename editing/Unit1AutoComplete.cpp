// Auto Complete: Shift+Enter in a document completes the text before the caret from the
// auto-complete entries; the Auto Complete dialog edits them.

#include "app/Unit1.h"

#include "app/Numbers.h"
#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "editing/AutoComplete.h"
#include "editing/Unit11.h"

#include <QPointer>

#include <limits>

namespace
{

bool isCompletionKey(int key, Qt::KeyboardModifiers shift)
{
    return (key == Qt::Key_Return || key == Qt::Key_Enter) && shift.testFlag(Qt::ShiftModifier);
}

// The length characters before pos: fewer near the start of the text, none for a length of 0
// or less; a line break or a character of two halves is taken whole rather than cut. The
// caret is back at pos afterwards.
QString textBefore(TScrollMemo* memo, int pos, qint64 length)
{
    memo->SetSelLength(-int(qBound(qint64(0), length, qint64(std::numeric_limits<int>::max()))));
    const QString text = memo->SelectedText();
    memo->SetSelStart(pos);
    return text;
}

} // namespace

// The Auto Complete dialog works on a copy of the entries made for each opening.
void TForm1::AutoComplete1Click()
{
    Form11->FormShow();
    ShowSecondaryWindow(Form11);
}

void TForm1::CompletionKeyHandler(int& key, Qt::KeyboardModifiers shift)
{
    if (!isCompletionKey(key, shift))
        return;
    key = 0; // Shift+Enter never types a line break, whether an entry applies or not
    // An error message may let events run while the editor is in use.
    const QPointer<TScrollMemo> memo(ActiveMemo());
    if (!memo)
        return;
    const QStringList entries = autocomp->Strings();
    const int errorsBefore = m_errorsShown;
    // One change of selection and one repaint for the whole round, however many entries.
    memo->BeginBulkUpdate();
    for (const QString& entry : entries) {
        if (TryComplete(memo, entry) || !memo || m_errorsShown != errorsBefore)
            break;
    }
    if (memo)
        memo->EndBulkUpdate();
}

bool TForm1::TryComplete(TScrollMemo* memo, const QString& entry)
{
    memo->SetSelLength(0); // a selection collapses to its start
    const CompletionEntry parts = SplitCompletionEntry(entry);
    const std::optional<qint32> sampleSize = ReadInteger(parts.sampleSize);
    if (!sampleSize) {
        showError(QStringLiteral("'") + parts.sampleSize +
                  QStringLiteral("' is not a valid integer value"));
        return false;
    }
    const int caret = memo->SelStart();
    // A sample longer than the completion text cannot occur in it, however long it is: one
    // character more than the text tells the same as the whole sample.
    const qint64 sampleRead = qMin(qint64(*sampleSize), qint64(parts.text.size()) + 1);
    const QString sample = textBefore(memo, caret, sampleRead);
    const QStringView prefix =
        CompletionPrefix(parts.text, CompletionPrefixLength(sample, parts.text, *sampleSize));
    const bool applies = TypedMatchesPrefix(textBefore(memo, caret, prefix.size()), prefix);
    if (applies)
        memo->ReplaceSelection(parts.text.mid(prefix.size()));
    if (DontMoveCursor)
        memo->SetSelStart(caret); // the caret stays before the inserted rest
    return applies;
}
