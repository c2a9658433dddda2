// Highlighting (the highlight colour on chosen text) and the bookmark of each document.

#include "app/Unit1.h"

#include "app/Scrlmemo.h"
#include "editing/MemoCommands.h"
#include "editing/SearchText.h"
#include "editing/Unit13.h"

#include <QAction>

void TForm1::Highlight1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        ToggleHighlight(*memo, HighlightColor);
}

void TForm1::Highlight2Click()
{
    Highlight1Click();
}

void TForm1::ClearHighlights1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        ClearAllHighlights(*memo);
}

// Overlapping occurrences are all coloured: each search starts one character after the
// start of the last match.
void TForm1::HighlightAllOccurrences(TScrollMemo* memo, const QString& text, bool wholeWord)
{
    if (text.isEmpty())
        return;
    const QString find = WithCrLfBreaks(text);
    const int start = memo->SelStart();
    const int length = memo->SelLength();
    const bool modified = memo->ModifiedFlag();
    memo->BeginBulkUpdate();
    for (int found : AllOccurrences(memo->FullText(), find, wholeWord))
        memo->SetRangeColor(found, int(find.size()), HighlightColor);
    memo->SetSelStart(start);
    memo->SetSelLength(length);
    memo->EndBulkUpdate();
    memo->SetModifiedFlag(modified);
}

void TForm1::FindandHighlight1Click()
{
    Form13->Open();
}

void TForm1::Set1Click()
{
    if (TScrollMemo* memo = ActiveMemo())
        memo->BookmarkPos = memo->SelStart();
}

// A bookmark at 0 means none; one beyond the end of the text waits until the text grows.
void TForm1::Goto1Click()
{
    TScrollMemo* memo = ActiveMemo();
    if (!memo || memo->BookmarkPos <= 0 || memo->BookmarkPos >= memo->TextLength())
        return;
    memo->SetSelStart(memo->BookmarkPos);
    memo->ScrollCaretIntoView();
}

void TForm1::Bookmark1Click()
{
    UpdateCommandStates();
}
