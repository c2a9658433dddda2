#pragma once

#include <QString>

#include <functional>
#include <optional>

// The macro language of the function keys: one statement per line of a macro file, run
// against the active document. Only the parsing and text work lives here; the main window
// runs the statements.

// The function keys that run macros, by key number: 5, 6, 7, 8, 11 and 12.
std::optional<int> MacroKeyNumber(int qtKey);
// "F5.dat" for key 5: the macro file in the program folder.
QString MacroFileName(int keyNumber);

// The variables, in the order they are substituted.
enum class MacroVariable {
    Var,
    SelStart,
    SelPos,
    SelLength,
    LineStart,
    LineEnd,
    Row,
    Time,
    Date,
    File,
    TextLength,
    Br,
    SelText
};
inline constexpr int MacroVariableCount = int(MacroVariable::SelText) + 1;
// "%VAR%", "%SELSTART%" ...
QString MacroVariableName(MacroVariable variable);

// Replaces the variables of the statement by their values, one variable after another in
// the fixed order; each occurrence of a name is replaced, also one formed by a replacement,
// and text put in for a variable is searched for the variables that come later. valueOf is
// asked only for the variables that occur, once each.
// A value that holds its own variable's name is put in once for each occurrence of the
// name in the text before, and is not searched for that name again; so the expansion
// always ends.
QString ExpandMacroVariables(const QString& statement,
                             const std::function<QString(MacroVariable)>& valueOf);

enum class MacroCommand {
    None, // unknown, misspelt or malformed: does nothing
    // Plain statements: the whole line is the keyword and a semicolon.
    ResetSelStart,
    SelectAll,
    LineBreak,
    LaunchFind,
    LaunchReplace,
    InsertFile,
    Save,
    Undo,
    Cut,
    Copy,
    Paste,
    Crop,
    Delete,
    Highlight,
    RemoveHighlight,
    WordWrap,
    // Statements with an argument: Name("argument");
    SetVarValue,
    DecVar,
    IncVar,
    MoveSelPosBy,
    SetSelLength,
    SetSelPos,
    FindDown,
    Execute,
    FindUp,
    InsertText,
    ShowMsg
};

struct MacroStatement {
    MacroCommand command = MacroCommand::None;
    QString argument;
};

// The name is the text before the first '("'; the argument what follows it, without the
// line's last three characters (whatever they are). A line without '("' has no name.
struct MacroNameAndArgument {
    QString name;
    QString argument;
};
MacroNameAndArgument SplitMacroStatement(const QString& line);

// Compares the line exactly (case and blanks count) with the plain statements, then splits
// it and compares the name with the statements that take an argument.
MacroStatement ParseMacroStatement(const QString& line);

// The macro variable after IncVar (sign +1) or DecVar (sign -1): both read as integers
// (anything else counts as 0), the result in 32 bits written in decimal.
QString ChangedMacroVariable(const QString& variable, const QString& argument, int sign);
