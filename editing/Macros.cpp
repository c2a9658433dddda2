#include "editing/Macros.h"

#include "app/Numbers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace
{

const std::array<const char*, MacroVariableCount> VariableNames = {
    "%VAR%",  "%SELSTART%", "%SELPOS%", "%SELLENGTH%",  "%LINESTART%", "%LINEEND%", "%ROW%",
    "%TIME%", "%DATE%",     "%FILE%",   "%TEXTLENGTH%", "%BR%",        "%SELTEXT%"};

const std::pair<const char*, MacroCommand> PlainStatements[] = {
    {"ResetSelStart;", MacroCommand::ResetSelStart},
    {"SelectAll;", MacroCommand::SelectAll},
    {"LineBreak;", MacroCommand::LineBreak},
    {"LaunchFind;", MacroCommand::LaunchFind},
    {"LaunchReplace;", MacroCommand::LaunchReplace},
    {"InsertFile;", MacroCommand::InsertFile},
    {"Save;", MacroCommand::Save},
    {"Undo;", MacroCommand::Undo},
    {"Cut;", MacroCommand::Cut},
    {"Copy;", MacroCommand::Copy},
    {"Paste;", MacroCommand::Paste},
    {"Crop;", MacroCommand::Crop},
    {"Delete;", MacroCommand::Delete},
    {"Highlight;", MacroCommand::Highlight},
    {"RemoveHighlight;", MacroCommand::RemoveHighlight},
    {"WordWrap;", MacroCommand::WordWrap},
};

const std::pair<const char*, MacroCommand> NamedStatements[] = {
    {"SetVarValue", MacroCommand::SetVarValue},
    {"DecVar", MacroCommand::DecVar},
    {"IncVar", MacroCommand::IncVar},
    {"MoveSelPosBy", MacroCommand::MoveSelPosBy},
    {"SetSelLength", MacroCommand::SetSelLength},
    {"SetSelPos", MacroCommand::SetSelPos},
    {"FindDown", MacroCommand::FindDown},
    {"Execute", MacroCommand::Execute},
    {"FindUp", MacroCommand::FindUp},
    {"InsertText", MacroCommand::InsertText},
    {"ShowMsg", MacroCommand::ShowMsg},
};

const QString Opener = QStringLiteral("(\"");
constexpr qsizetype ClosingLength = 3; // the '")' and ';' that end a statement

QString reversed(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    std::reverse_copy(text.begin(), text.end(), result.begin());
    return result;
}

// A value without the name in it: the first occurrence is replaced again and again until
// none is left. The text before the occurrence just replaced holds none, so the next search
// starts at most name length - 1 characters before the inserted value: the work is linear
// in the text and the values. The text still to be searched is kept reversed, so that
// putting a value in front of it is an append.
QString replaceRepeatedly(const QString& text, qsizetype first, const QString& name,
                          const QString& value)
{
    const qsizetype nameLength = name.size();
    const QString reversedName = reversed(name);
    const QString reversedValue = reversed(value);
    QString done = text.left(first);
    QString pending = reversed(QStringView(text).sliced(first + nameLength)) + reversedValue;
    // Each replacement uses up at least one character of the text, unless a value keeps
    // forming new occurrences with what surrounds it; that chain stops here.
    qsizetype replacementsLeft = text.size();
    for (;;) {
        const qsizetype keep = qMin(nameLength - 1, done.size());
        pending += reversed(QStringView(done).last(keep));
        done.chop(keep);
        const qsizetype at = replacementsLeft > 0 ? pending.lastIndexOf(reversedName) : -1;
        if (at < 0)
            break;
        done += reversed(QStringView(pending).sliced(at + nameLength));
        pending.truncate(at);
        pending += reversedValue;
        --replacementsLeft;
    }
    return done + reversed(pending);
}

// A value with the name in it would be replaced for ever: each occurrence in the text is
// replaced once, from left to right, and the values put in are not searched again.
QString replaceOnce(const QString& text, qsizetype first, const QString& name, const QString& value)
{
    QString result;
    qsizetype from = 0;
    for (qsizetype at = first; at >= 0; at = text.indexOf(name, from)) {
        result += QStringView(text).sliced(from, at - from);
        result += value;
        from = at + name.size();
    }
    result += QStringView(text).sliced(from);
    return result;
}

} // namespace

std::optional<int> MacroKeyNumber(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_F5:
        return 5;
    case Qt::Key_F6:
        return 6;
    case Qt::Key_F7:
        return 7;
    case Qt::Key_F8:
        return 8;
    case Qt::Key_F11:
        return 11;
    case Qt::Key_F12:
        return 12;
    default:
        return std::nullopt;
    }
}

QString MacroFileName(int keyNumber)
{
    return QStringLiteral("F%1.dat").arg(keyNumber);
}

QString MacroVariableName(MacroVariable variable)
{
    return QString::fromLatin1(VariableNames[size_t(variable)]);
}

QString ExpandMacroVariables(const QString& statement,
                             const std::function<QString(MacroVariable)>& valueOf)
{
    QString text = statement;
    for (int i = 0; i < MacroVariableCount; ++i) {
        const auto variable = MacroVariable(i);
        const QString name = MacroVariableName(variable);
        const qsizetype first = text.indexOf(name);
        if (first < 0)
            continue;
        const QString value = valueOf(variable);
        text = value.contains(name) ? replaceOnce(text, first, name, value)
                                    : replaceRepeatedly(text, first, name, value);
    }
    return text;
}

MacroNameAndArgument SplitMacroStatement(const QString& line)
{
    const qsizetype opener = line.indexOf(Opener);
    if (opener < 0)
        return {};
    const qsizetype from = opener + Opener.size();
    const qsizetype length = qMax<qsizetype>(0, line.size() - ClosingLength - from);
    return {line.left(opener), line.mid(from, length)};
}

MacroStatement ParseMacroStatement(const QString& line)
{
    for (const auto& [keyword, command] : PlainStatements) {
        if (line == QLatin1String(keyword))
            return {command, QString()};
    }
    const MacroNameAndArgument split = SplitMacroStatement(line);
    for (const auto& [name, command] : NamedStatements) {
        if (split.name == QLatin1String(name))
            return {command, split.argument};
    }
    return {};
}

QString ChangedMacroVariable(const QString& variable, const QString& argument, int sign)
{
    const qint32 value = ReadInteger(variable).value_or(0);
    const qint32 change = ReadInteger(argument).value_or(0);
    const qint32 result = sign < 0 ? WrappingDifference(value, change) : WrappingSum(value, change);
    return QString::number(result);
}
