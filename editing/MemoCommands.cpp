#include "editing/MemoCommands.h"

#include "app/Scrlmemo.h"
#include "editing/ClipboardText.h"

void CutToClipboard(TScrollMemo& memo)
{
    SetClipboardText(memo.SelectedText());
    memo.ReplaceSelection(QString());
}

void PasteFromClipboard(TScrollMemo& memo)
{
    memo.PasteText(ClipboardText());
}

void DeleteAtCaret(TScrollMemo& memo)
{
    if (memo.SelLength() >= 1) {
        memo.DeleteSelection();
        return;
    }
    if (memo.SelStart() >= memo.TextLength())
        return;
    memo.SetSelLength(memo.CharAt(memo.SelStart()) == u'\r' ? 2 : 1);
    memo.ReplaceSelection(QString());
}

void ToggleHighlight(TScrollMemo& memo, const QColor& highlightColor)
{
    const bool modified = memo.ModifiedFlag();
    const bool plain = memo.SelectionColor() == memo.EditorFontColor();
    memo.SetSelectionColor(plain ? highlightColor : memo.EditorFontColor());
    memo.SetModifiedFlag(modified);
}

void ClearAllHighlights(TScrollMemo& memo)
{
    const bool modified = memo.ModifiedFlag();
    const int start = memo.SelStart();
    const int length = memo.SelLength();
    memo.SelectAllText();
    memo.SetSelectionColor(memo.EditorFontColor());
    memo.SetModifiedFlag(modified);
    memo.SetSelStart(start);
    memo.SetSelLength(length);
}
