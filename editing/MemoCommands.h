#pragma once

class QColor;
class TScrollMemo;

// Editing commands that act on one editor control: the documents' and the file browser's
// preview alike.

// The selected text goes to the clipboard and leaves the text.
void CutToClipboard(TScrollMemo& memo);
// The clipboard's text replaces the selection; it never takes the colour of the text around.
void PasteFromClipboard(TScrollMemo& memo);
// Deletes the selection; without one the character at the caret, a whole line break at a CR.
void DeleteAtCaret(TScrollMemo& memo);
// Colours plain selected text, uncolours coloured text; the modified flag stays as it was.
void ToggleHighlight(TScrollMemo& memo, const QColor& highlightColor);
// Gives the whole text the font colour; selection and modified flag stay as they were.
void ClearAllHighlights(TScrollMemo& memo);
