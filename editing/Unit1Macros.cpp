// Function-key macros: reading the key's macro file, expanding the variables of each line
// and running its statements against the active document.

#include "app/Unit1.h"

#include "app/Numbers.h"
#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "editing/FindDialogs.h"
#include "editing/Macros.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPointer>

#include <limits>

namespace
{

// The statements that invoke a menu item, with the item.
const std::pair<MacroCommand, const char*> MenuStatements[] = {
    {MacroCommand::LaunchFind, "FindReplace1"},
    {MacroCommand::LaunchReplace, "Replace1"},
    {MacroCommand::InsertFile, "Insertfile1"},
    {MacroCommand::Save, "Save1"},
    {MacroCommand::Undo, "Undo1"},
    {MacroCommand::Cut, "Cut1"},
    {MacroCommand::Copy, "Copy1"},
    {MacroCommand::Paste, "Paste1"},
    {MacroCommand::Crop, "Crop1"},
    {MacroCommand::Delete, "Delete1"},
    {MacroCommand::Highlight, "Highlight2"},
    {MacroCommand::RemoveHighlight, "ClearHighlights1"},
    {MacroCommand::Execute, "Execute2"},
};

// A position plus a distance read from a macro, kept within the range of positions.
int movedPosition(int position, qint32 distance)
{
    const qint64 moved = qint64(position) + distance;
    return int(qBound(qint64(std::numeric_limits<int>::min()), moved,
                      qint64(std::numeric_limits<int>::max())));
}

int integerArgument(const QString& argument)
{
    return ReadInteger(argument).value_or(0);
}

} // namespace

void TForm1::FormKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift); // Ctrl+F5 runs the F5 macro too
    const std::optional<int> keyNumber = MacroKeyNumber(key);
    TScrollMemo* memo = ActiveMemo();
    if (keyNumber && memo)
        RunMacro(*keyNumber, memo, memo->SelStart());
}

// Keys that reach the main window from somewhere other than a document's editor.
void TForm1::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    FormKeyDown(key, event->modifiers());
    QMainWindow::keyPressEvent(event);
}

void TForm1::RunMacro(int keyNumber, TScrollMemo* memo, int selStart)
{
    const QString path = programFilePath(MacroFileName(keyNumber));
    if (!QFileInfo::exists(path))
        return;
    SavedSelStart = selStart;
    if (const FileResult read = funcdata->LoadFromFile(path); !read.ok) {
        showError(QStringLiteral("Could not read file ") + path + QStringLiteral(".\r") +
                  read.error);
        return;
    }
    // A statement may open a modal dialog: the editor is watched while it runs.
    const QPointer<TScrollMemo> editor(memo);
    const QStringList lines = funcdata->Strings();
    const int errorsBefore = m_errorsShown;
    memo->BeginBulkUpdate();
    for (const QString& line : lines) {
        const QString statement =
            line.contains(u'%') ? ExpandVariables(editor, line, SavedSelStart) : line;
        RunStatement(statement, editor);
        // A command that failed has said why; the rest of the macro would build on it.
        if (!editor || m_errorsShown != errorsBefore)
            break;
    }
    if (editor)
        editor->EndBulkUpdate();
    UpdateCommandStates();
}

QString TForm1::ExpandVariables(TScrollMemo* memo, const QString& statement, int savedSelStart)
{
    const int selStart = memo->SelStart();
    const auto valueOf = [&](MacroVariable variable) -> QString {
        switch (variable) {
        case MacroVariable::Var:
            return MacroVariableValue;
        case MacroVariable::SelStart:
            return QString::number(savedSelStart);
        case MacroVariable::SelPos:
            return QString::number(selStart);
        case MacroVariable::SelLength:
            return QString::number(memo->SelLength());
        case MacroVariable::LineStart:
            return QString::number(memo->LineIndex(memo->LineFromChar(selStart)));
        case MacroVariable::LineEnd:
            return QString::number(memo->LineIndex(memo->LineFromChar(selStart)) +
                                   memo->LineLength(selStart));
        case MacroVariable::Row:
            return QString::number(memo->LineFromChar(selStart) + 1);
        case MacroVariable::Time:
            return LongTimeText(m_platform.clock.now().time());
        case MacroVariable::Date:
            return ShortDateText(m_platform.clock.now().date());
        case MacroVariable::File: {
            const QMdiSubWindow* window = ActiveDocumentWindow();
            return window ? window->windowTitle() : QString();
        }
        case MacroVariable::TextLength:
            return QString::number(memo->TextLength());
        case MacroVariable::Br:
            return QStringLiteral("\r\n");
        case MacroVariable::SelText:
            return memo->SelectedText();
        }
        return QString();
    };
    return ExpandMacroVariables(statement, valueOf);
}

// As choosing the item: nothing while it is disabled. Its state is brought up to date
// first, since the editor holds back its change signals while a macro runs.
void TForm1::invokeFromMacro(const char* command)
{
    UpdateCommandStates();
    action(command)->trigger();
}

void TForm1::RunStatement(const QString& statement, TScrollMemo* memo)
{
    const MacroStatement parsed = ParseMacroStatement(statement);
    for (const auto& [command, item] : MenuStatements) {
        if (parsed.command == command) {
            invokeFromMacro(item);
            return;
        }
    }
    const QString& argument = parsed.argument;
    switch (parsed.command) {
    case MacroCommand::ResetSelStart:
        SavedSelStart = memo->SelStart();
        break;
    case MacroCommand::SelectAll:
        memo->SelectAllText();
        break;
    case MacroCommand::LineBreak:
        memo->ReplaceSelection(QStringLiteral("\r\n"));
        break;
    case MacroCommand::WordWrap:
        memo->SetWordWrap(!memo->WordWrap());
        break;
    case MacroCommand::SetVarValue:
        MacroVariableValue = argument;
        break;
    case MacroCommand::DecVar:
        MacroVariableValue = ChangedMacroVariable(MacroVariableValue, argument, -1);
        break;
    case MacroCommand::IncVar:
        MacroVariableValue = ChangedMacroVariable(MacroVariableValue, argument, +1);
        break;
    case MacroCommand::MoveSelPosBy:
        memo->SetSelStart(movedPosition(memo->SelStart(), integerArgument(argument)));
        break;
    case MacroCommand::SetSelLength:
        memo->SetSelLength(integerArgument(argument));
        break;
    case MacroCommand::SetSelPos:
        memo->SetSelStart(integerArgument(argument));
        break;
    case MacroCommand::FindDown:
    case MacroCommand::FindUp: {
        FindDialog1->SetFindText(argument);
        const SearchOptions options = OptionsOf(FindDialog1);
        if (parsed.command == MacroCommand::FindDown)
            SearchDown(memo, argument, false, false, options);
        else
            SearchUp(memo, argument, false, false, options);
        break;
    }
    case MacroCommand::InsertText:
        memo->ReplaceSelection(argument);
        break;
    case MacroCommand::ShowMsg:
        m_platform.prompts.message(MessageKind::Plain, argument, MessageButtons::Ok);
        break;
    default: // unknown statements, and those that invoke a menu item (above)
        break;
    }
}
