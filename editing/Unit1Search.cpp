// Find and replace in the active document, through the modeless Find and Replace dialogs.
// A search ends at the end (or the start) of the document: there is no wrap-around.

#include "app/Unit1.h"

#include "app/BusyCursor.h"
#include "app/Scrlmemo.h"
#include "app/TextCompare.h"
#include "editing/FindDialogs.h"
#include "editing/SearchText.h"

namespace
{

const QString FinishedMessage = QStringLiteral("Tavro has finished going through the document.");

QString cannotFindMessage(const QString& text)
{
    return QStringLiteral("Cannot find \"") + text + u'"';
}

} // namespace

TForm1::SearchOptions TForm1::OptionsOf(const TSearchDialog* dialog)
{
    return {dialog->MatchCase(), dialog->WholeWord()};
}

void TForm1::showInformation(const QString& text)
{
    m_platform.prompts.message(MessageKind::Information, text, MessageButtons::Ok);
}

// ---- Opening the dialogs: the selection becomes the search text ------------------------

void TForm1::FindReplace1Click()
{
    FindDialog1Show();
    FindDialog1->Open();
}

void TForm1::FindDialog1Show()
{
    takeSelectionAsSearchText(FindDialog1);
}

void TForm1::Replace1Click()
{
    ReplaceDialog1Show();
    ReplaceDialog1->Open();
}

void TForm1::ReplaceDialog1Show()
{
    takeSelectionAsSearchText(ReplaceDialog1);
}

void TForm1::takeSelectionAsSearchText(TSearchDialog* dialog)
{
    if (const TScrollMemo* memo = ActiveMemo())
        dialog->SetFindText(memo->SelectedText());
}

// ---- Find --------------------------------------------------------------------------------

void TForm1::Findnext1Click()
{
    if (FindDialog1->FindText().isEmpty())
        FindReplace1Click();
    else
        FindDialog1Find();
}

void TForm1::FindDialog1Find()
{
    TScrollMemo* memo = ActiveMemo();
    if (!memo)
        return;
    const QString text = FindDialog1->FindText();
    if (FindDialog1->Down())
        SearchDown(memo, text, false, false, OptionsOf(FindDialog1));
    else
        SearchUp(memo, text, false, false, OptionsOf(FindDialog1));
}

void TForm1::ReplaceDialog1Find()
{
    if (TScrollMemo* memo = ActiveMemo())
        SearchDown(memo, ReplaceDialog1->FindText(), true, false, OptionsOf(ReplaceDialog1));
}

bool TForm1::SearchDown(TScrollMemo* memo, const QString& text, bool replaceDialogText,
                        bool finishedReport, const SearchOptions& options)
{
    return searchOneWay(memo, text, true, replaceDialogText, finishedReport, options);
}

bool TForm1::SearchUp(TScrollMemo* memo, const QString& text, bool replaceDialogText,
                      bool finishedReport, const SearchOptions& options)
{
    return searchOneWay(memo, text, false, replaceDialogText, finishedReport, options);
}

// A selection as long as the search text is taken to be the last match: the search starts
// one character further on (back). Down finds the first occurrence from there to the end;
// up the last one that ends before it.
bool TForm1::searchOneWay(TScrollMemo* memo, const QString& text, bool down, bool replaceDialogText,
                          bool finishedReport, const SearchOptions& options)
{
    if (text.isEmpty())
        return false;
    const QString find = WithCrLfBreaks(text);
    const int savedStart = memo->SelStart();
    const int savedLength = memo->SelLength();
    int from = savedStart;
    if (savedLength == find.size()) {
        // Also when the match starts with a line break: the caret cannot stand between its
        // CR and LF (it goes back to the CR), but the search can start there.
        from = down ? savedStart + 1 : savedStart - 1;
        memo->SetSelStart(from);
        if (!down)
            from = memo->SelStart();
    }
    const int found =
        down ? memo->FindTextRange(find, from, memo->TextLength() - from, options.matchCase,
                                   options.wholeWord)
             : memo->FindTextRangeBackward(find, 0, from, options.matchCase, options.wholeWord);
    return searchFound(memo, found, int(find.size()), replaceDialogText, finishedReport, savedStart,
                       savedLength);
}

// Selects the match; without one, reports and (for the Cannot-find report) puts the
// selection back.
bool TForm1::searchFound(TScrollMemo* memo, int found, int length, bool replaceDialogText,
                         bool finishedReport, int savedStart, int savedLength)
{
    if (found >= 0) {
        memo->SetSelStart(found);
        memo->SetSelLength(length);
        return true;
    }
    if (finishedReport) {
        showInformation(FinishedMessage);
        return false;
    }
    const TSearchDialog* dialog = replaceDialogText ? static_cast<TSearchDialog*>(ReplaceDialog1)
                                                    : static_cast<TSearchDialog*>(FindDialog1);
    showInformation(cannotFindMessage(dialog->FindText()));
    memo->SetSelStart(savedStart);
    memo->SetSelLength(savedLength);
    return false;
}

// ---- Replace -----------------------------------------------------------------------------

void TForm1::ReplaceDialog1Replace(bool replaceAll)
{
    if (TScrollMemo* memo = ActiveMemo())
        ReplaceStep(memo, replaceAll);
}

// Replace: the selected match is replaced and the next one selected. Replace All: every
// match from the caret to the end, as one undo step.
void TForm1::ReplaceStep(TScrollMemo* memo, bool replaceAll)
{
    const QString text = ReplaceDialog1->FindText();
    // An empty search text finds nothing: nothing is replaced, nothing inserted.
    if (text.isEmpty())
        return;
    const SearchOptions options = OptionsOf(ReplaceDialog1);
    if (replaceAll) {
        replaceAllFromCaret(memo, WithCrLfBreaks(text), options);
        return;
    }
    if (SameTextIgnoringAsciiCase(memo->SelectedText(), WithCrLfBreaks(text)))
        memo->ReplaceSelection(ReplaceDialog1->ReplaceText());
    if (!SearchDown(memo, text, false, true, options))
        showInformation(cannotFindMessage(text));
}

// Finds every match the replace-and-search-on loop would reach, in the text as it is, and
// replaces them all in one edit: the same result, in one pass over the text.
void TForm1::replaceAllFromCaret(TScrollMemo* memo, const QString& find,
                                 const SearchOptions& options)
{
    BusyCursor busy;
    const QString replacement = ReplaceDialog1->ReplaceText();
    const int start = memo->SelStart();
    const int length = memo->SelLength();
    QList<int> positions;
    int from = start;
    int previousEnd = -1;
    if (SameTextIgnoringAsciiCase(memo->SelectedText(), find)) {
        positions << start;
        from = previousEnd = start + length;
    } else if (length == find.size()) {
        from = start + 1;
    }
    positions += ReplaceAllMatches(memo->FullText(), find, from, options.matchCase,
                                   options.wholeWord, WithCrLfBreaks(replacement), previousEnd);
    if (positions.isEmpty() && from != start)
        memo->SetSelStart(from);
    memo->ReplaceMatches(positions, int(find.size()), replacement);
    showInformation(FinishedMessage);
}
