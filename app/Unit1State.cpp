// Command state and the status bar.

#include "app/Unit1.h"

#include "app/Scrlmemo.h"

#include <QAction>

namespace {

// Two blanks, then line and column of the start of the selection, both from 1.
QString caretPositionText(const TScrollMemo& memo)
{
    const int start = memo.SelStart();
    const int line = memo.LineFromChar(start);
    const int column = start - memo.LineIndex(line);
    return QStringLiteral("  %1:%2").arg(line + 1).arg(column + 1);
}

} // namespace

void TForm1::EnableDocumentCommands(bool on)
{
    for (QAction* command : std::as_const(m_documentCommands))
        command->setEnabled(on);
    if (!on)
        SetStatusText(QString());
}

void TForm1::enableSelectionButtons(bool on)
{
    for (QAction* button : std::as_const(m_selectionButtons))
        button->setEnabled(on);
}

void TForm1::ShowCaretPosition()
{
    if (const TScrollMemo* memo = ActiveMemo())
        SetStatusText(caretPositionText(*memo));
}

void TForm1::SelectionChanged()
{
    const TScrollMemo* memo = ActiveMemo();
    if (!memo)
        return;
    ShowCaretPosition();
    enableSelectionButtons(memo->SelLength() > 0);
    action("DeleteButton")->setEnabled(true);
}

void TForm1::RefreshUndoButton()
{
    if (const TScrollMemo* memo = ActiveMemo())
        action("UndoButton")->setEnabled(memo->CanUndo());
}
