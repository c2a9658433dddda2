// Function-key macros: the statement language as plain functions, and macros run by the
// keys against a real document.

#include "support/MainWindowHarness.h"
#include "support/TestQueries.h"

#include "app/Numbers.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "editing/Macros.h"
#include "platform/Clock.h"
#include "tools/Unit8.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<qint32>)

namespace {

// The statement Name("argument"); of the macro language.
QString call(const QString& name, const QString& argument)
{
    return name + "(\"" + argument + "\");";
}

// Values for an expansion: "<name>" for each variable unless the row sets it.
QString sampleValue(MacroVariable variable, const QString& var, const QString& selText)
{
    switch (variable) {
    case MacroVariable::Var:
        return var;
    case MacroVariable::SelText:
        return selText;
    case MacroVariable::Row:
        return "2";
    case MacroVariable::SelPos:
        return "17";
    case MacroVariable::Br:
        return "\r\n";
    default:
        return "<" + MacroVariableName(variable) + ">";
    }
}

bool writeMacro(const MainWindowHarness& h, int key, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return writeFile(h.environment.programFile(MacroFileName(key)), bytes);
}

} // namespace

class TestMacros : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsIntegers_data();
    void readsIntegers();
    void changesTheVariableIn32Bits_data();
    void changesTheVariableIn32Bits();
    void parsesStatements_data();
    void parsesStatements();
    void expandsVariablesInOrder_data();
    void expandsVariablesInOrder();
    void expansionAsksOnlyForVariablesPresent();
    void expansionIsLinearForManyOccurrences();

    void macrosChangeTheDocument_data();
    void macrosChangeTheDocument();
    void keysRunTheirMacroOnce();
    void macroFileIsReadAtEveryPress();
    void failedStatementEndsTheMacro();
    void variableLivesAcrossMacros();
    void saveStatementWritesTheFile();
};

void TestMacros::readsIntegers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint32>>("expected");
    const std::optional<qint32> none;
    QTest::newRow("decimal") << "42" << std::optional<qint32>(42);
    QTest::newRow("blanks and sign") << "  -17" << std::optional<qint32>(-17);
    QTest::newRow("plus") << "+5" << std::optional<qint32>(5);
    QTest::newRow("dollar hex") << "$1f" << std::optional<qint32>(31);
    QTest::newRow("0x hex") << "0X1A" << std::optional<qint32>(26);
    QTest::newRow("negative hex") << "-$10" << std::optional<qint32>(-16);
    QTest::newRow("hex fills 32 bits") << "$FFFFFFFF" << std::optional<qint32>(-1);
    QTest::newRow("largest") << "2147483647" << std::optional<qint32>(2147483647);
    QTest::newRow("smallest") << "-2147483648" << std::optional<qint32>(-2147483647 - 1);
    QTest::newRow("beyond 32 bits") << "2147483648" << none;
    QTest::newRow("hex beyond 32 bits") << "$100000000" << none;
    QTest::newRow("many digits") << "99999999999999999999999" << none;
    QTest::newRow("trailing blank") << "12 " << none;
    QTest::newRow("trailing letters") << "12abc" << none;
    QTest::newRow("letters") << "x" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("sign alone") << "-" << none;
    QTest::newRow("dollar alone") << "$" << none;
    QTest::newRow("0x alone") << "0x" << none;
    QTest::newRow("decimal point") << "1.5" << none;
    QTest::newRow("wide digits") << "\u0661\u0662" << none;
}

void TestMacros::readsIntegers()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint32>, expected);
    QCOMPARE(ReadInteger(text), expected);
}

void TestMacros::changesTheVariableIn32Bits_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("sign");
    QTest::addColumn<QString>("expected");
    QTest::newRow("IncVar on empty") << "" << "1" << 1 << "1";
    QTest::newRow("DecVar of x rewrites in decimal") << "$A" << "x" << -1 << "10";
    QTest::newRow("IncVar hex argument") << "5" << "0x10" << 1 << "21";
    QTest::newRow("wraps upwards") << "2147483647" << "1" << 1 << "-2147483648";
    QTest::newRow("wraps downwards") << "-2147483648" << "1" << -1 << "2147483647";
    QTest::newRow("text counts as 0") << "seven" << "7" << -1 << "-7";
}

void TestMacros::changesTheVariableIn32Bits()
{
    QFETCH(QString, variable);
    QFETCH(QString, argument);
    QFETCH(int, sign);
    QFETCH(QString, expected);
    QCOMPARE(ChangedMacroVariable(variable, argument, sign), expected);
}

void TestMacros::parsesStatements_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("argument");
    QTest::newRow("plain") << "SelectAll;" << int(MacroCommand::SelectAll) << "";
    QTest::newRow("plain in lower case") << "selectall;" << int(MacroCommand::None) << "";
    QTest::newRow("plain with a blank") << "SelectAll; " << int(MacroCommand::None) << "";
    QTest::newRow("plain without semicolon") << "Cut" << int(MacroCommand::None) << "";
    QTest::newRow("argument") << call("InsertText", "abc") << int(MacroCommand::InsertText)
                              << "abc";
    QTest::newRow("empty argument") << call("ShowMsg", "") << int(MacroCommand::ShowMsg) << "";
    QTest::newRow("quotes and brackets inside")
        << call("InsertText", "f(\"x\");") << int(MacroCommand::InsertText) << "f(\"x\");";
    QTest::newRow("last three characters cut whatever they are")
        << "ShowMsg(\"hi\")" << int(MacroCommand::ShowMsg) << "h";
    QTest::newRow("shorter than the closing") << "ShowMsg(\"" << int(MacroCommand::ShowMsg)
                                              << "";
    QTest::newRow("opener among the last three") << "ShowMsg(\"a" << int(MacroCommand::ShowMsg)
                                                 << "";
    QTest::newRow("name is before the first opener")
        << "IncVar(\"1(\"2\");" << int(MacroCommand::IncVar) << "1(\"2";
    QTest::newRow("no opener") << "InsertText(abc);" << int(MacroCommand::None) << "";
    QTest::newRow("blank before the name") << " InsertText(\"a\");" << int(MacroCommand::None)
                                           << "";
    QTest::newRow("unknown name") << call("Insert", "a") << int(MacroCommand::None) << "";
    QTest::newRow("Execute") << call("Execute", "") << int(MacroCommand::Execute) << "";
    QTest::newRow("empty line") << "" << int(MacroCommand::None) << "";
}

void TestMacros::parsesStatements()
{
    QFETCH(QString, line);
    QFETCH(int, command);
    QFETCH(QString, argument);
    const MacroStatement parsed = ParseMacroStatement(line);
    QCOMPARE(int(parsed.command), command);
    QCOMPARE(parsed.argument, argument);
}

void TestMacros::expandsVariablesInOrder_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("var");
    QTest::addColumn<QString>("selText");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every occurrence") << "%ROW%-%ROW%" << "" << "" << "2-2";
    QTest::newRow("other case is no variable") << "%row%%Row%" << "" << "" << "%row%%Row%";
    QTest::newRow("lone percent signs kept") << "100% %x% %" << "" << "" << "100% %x% %";
    QTest::newRow("variable value scanned for later ones")
        << "<%VAR%>" << "%SELPOS%/%ROW%" << "" << "<17/2>";
    QTest::newRow("selection inserted literally") << "%SELTEXT%" << "v" << "a%VAR%b%ROW%"
                                                  << "a%VAR%b%ROW%";
    QTest::newRow("later value never scanned for earlier ones")
        << "%SELTEXT%%VAR%" << "1" << "%VAR%" << "%VAR%1";
    QTest::newRow("occurrence formed by a replacement") << "%VA%VAR%R%" << "" << "" << "";
    QTest::newRow("chain formed to the left") << "%%%VAR%" << "VAR%%" << ""
                                              << "VAR%%%%";
    QTest::newRow("value holding its own name ends")
        << "[%VAR%|%VAR%]" << "<%VAR%>" << "" << "[<%VAR%>|<%VAR%>]";
    QTest::newRow("own name in the selection ends") << "%SELTEXT%" << "" << "x%SELTEXT%y"
                                                    << "x%SELTEXT%y";
    QTest::newRow("line break") << "a%BR%b" << "" << "" << "a\r\nb";
    QTest::newRow("all in order")
        << "%SELSTART%%SELLENGTH%%LINESTART%%LINEEND%%TIME%%DATE%%FILE%%TEXTLENGTH%" << ""
        << ""
        << "<%SELSTART%><%SELLENGTH%><%LINESTART%><%LINEEND%><%TIME%><%DATE%><%FILE%>"
           "<%TEXTLENGTH%>";
}

void TestMacros::expandsVariablesInOrder()
{
    QFETCH(QString, statement);
    QFETCH(QString, var);
    QFETCH(QString, selText);
    QFETCH(QString, expected);
    const auto valueOf = [&](MacroVariable variable) {
        return sampleValue(variable, var, selText);
    };
    QCOMPARE(ExpandMacroVariables(statement, valueOf), expected);
}

void TestMacros::expansionAsksOnlyForVariablesPresent()
{
    QList<MacroVariable> asked;
    const auto valueOf = [&](MacroVariable variable) {
        asked << variable;
        return variable == MacroVariable::Var ? QString("%ROW%") : QString("3");
    };
    QCOMPARE(ExpandMacroVariables("%VAR% %VAR% %SELTEXT%", valueOf), "3 3 3");
    QCOMPARE(asked, (QList<MacroVariable>{MacroVariable::Var, MacroVariable::Row,
                                           MacroVariable::SelText}));
}

// Thousands of occurrences in a long line, and a value that forms a new occurrence at each
// step, are done in one pass over the text (a rescan from the start would take minutes).
void TestMacros::expansionIsLinearForManyOccurrences()
{
    const int count = 200000;
    const QString many = QString("%ROW%").repeated(count);
    QCOMPARE(ExpandMacroVariables(many, [](MacroVariable) { return QString("7"); }),
             QString("7").repeated(count));
    const QString chain = QString("%").repeated(count) + "%VAR%";
    QCOMPARE(ExpandMacroVariables(chain, [](MacroVariable) { return QString("VAR%%"); }),
             "VAR%%" + QString("%").repeated(count));
}

void TestMacros::macrosChangeTheDocument_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("macro");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("SetVarValue, IncVar, InsertText")
        << "ab" << 1 << 0
        << QStringList{call("SetVarValue", "5"), call("IncVar", "2"),
                       call("InsertText", "%VAR%")}
        << "a7b" << 2 << 0 << none;
    QTest::newRow("row and file") << "one\r\ntwo" << 6 << 0
                                  << QStringList{call("InsertText", "%ROW%:%FILE%|")}
                                  << "one\r\nt2:Untitled1|wo" << 18 << 0 << none;
    QTest::newRow("line start and end")
        << "one\r\ntwo" << 6 << 0
        << QStringList{call("InsertText", "%LINESTART%-%LINEEND%-%TEXTLENGTH%")}
        << "one\r\nt5-8-8wo" << 11 << 0 << none;
    QTest::newRow("ShowMsg with the closing cut")
        << "" << 0 << 0 << QStringList{"ShowMsg(\"hi\")", call("ShowMsg", "")} << "" << 0
        << 0 << QStringList{"Plain Ok: h", "Plain Ok: "};
    QTest::newRow("misspelt statements do nothing")
        << "abc" << 0 << 0 << QStringList{"selectall;", "SelectAll; ", "Delete", "", "x"}
        << "abc" << 0 << 0 << none;
    QTest::newRow("Cut after SetSelLength cuts") << "abcdef" << 1 << 0
                                                 << QStringList{call("SetSelLength", "3"), "Cut;"}
                                                 << "aef" << 1 << 0 << none;
    QTest::newRow("Cut without a selection does nothing")
        << "abcdef" << 1 << 2 << QStringList{call("SetSelLength", "0"), "Cut;"} << "abcdef"
        << 1 << 0 << none;
    QTest::newRow("ResetSelStart and SetSelPos")
        << "abcdef" << 1 << 0
        << QStringList{call("MoveSelPosBy", "2"), "ResetSelStart;", call("SetSelPos", "5"),
                       call("SetSelPos", "%SELSTART%"), call("InsertText", "|")}
        << "abc|def" << 4 << 0 << none;
    QTest::newRow("SELSTART is the caret at the key press")
        << "abcdef" << 2 << 0
        << QStringList{call("SetSelPos", "5"), call("InsertText", "%SELSTART%")} << "abcde2f"
        << 6 << 0 << none;
    QTest::newRow("variable holding SELPOS")
        << "abcdef" << 4 << 0
        << QStringList{call("SetVarValue", "%SELPOS%"), call("SetVarValue", "[%SELPOS%]"),
                       call("InsertText", "%VAR%")}
        << "abcd[4]ef" << 7 << 0 << none;
    QTest::newRow("selection holding VAR inserted literally")
        << "x%VAR%y" << 1 << 5
        << QStringList{call("SetVarValue", "1"), call("InsertText", "<%SELTEXT%>")}
        << "x<%VAR%>y" << 8 << 0 << none;
    QTest::newRow("variable holding its own name")
        << "%VAR%" << 0 << 5
        << QStringList{call("SetVarValue", "%SELTEXT%!"), call("InsertText", "<%VAR%>")}
        << "<%VAR%!>" << 8 << 0 << none;
    QTest::newRow("line breaks") << "ab" << 1 << 0
                                 << QStringList{"LineBreak;", call("InsertText", "x%BR%y")}
                                 << "a\r\nx\r\nyb" << 7 << 0 << none;
    QTest::newRow("FindDown and FindUp")
        << "xa xa xa" << 0 << 0
        << QStringList{call("FindDown", "xa"), call("FindDown", "xa"), call("FindUp", "xa")}
        << "xa xa xa" << 0 << 2 << none;
    QTest::newRow("FindDown finding nothing says so")
        << "abc" << 1 << 0 << QStringList{call("FindDown", "zz")} << "abc" << 1 << 0
        << QStringList{"Information Ok: Cannot find \"zz\""};
    QTest::newRow("positions beyond the text")
        << "abc" << 1 << 0
        << QStringList{call("MoveSelPosBy", "2147483647"), call("InsertText", "!"),
                       call("SetSelPos", "-5"), call("SetSelLength", "$7FFFFFFF")}
        << "abc!" << 0 << 4 << none;
    QTest::newRow("SelectAll and Delete") << "abc" << 1 << 0
                                          << QStringList{"SelectAll;", "Delete;"} << "" << 0
                                          << 0 << none;
    QTest::newRow("Undo restores the text")
        << "abc" << 3 << 0 << QStringList{call("InsertText", "d"), "Undo;"} << "abc" << 3 << 0
        << none;
}

void TestMacros::macrosChangeTheDocument()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QStringList, macro);
    QFETCH(QString, expected);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QStringList, messages);
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText(text, start, length);
    QVERIFY(memo);
    QVERIFY(writeMacro(h, 7, macro));
    for (int i = 0; i < messages.size(); ++i)
        h.prompts.answerMessage(Answer::Ok);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(memo, Qt::Key_F7);
    QCOMPARE(memo->FullText(), expected);
    QCOMPARE(memo->SelStart(), selStart);
    QCOMPARE(memo->SelLength(), selLength);
    QCOMPARE(shownMessages(h.prompts), messages);
    QVERIFY(!memo->InBulkUpdate());
}

// The editor, the main window and the keys: modifiers do not matter, a menu shortcut wins,
// and a press runs its macro once, wherever the focus is.
void TestMacros::keysRunTheirMacroOnce()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("", 0, 0);
    QVERIFY(memo);
    for (int key : {5, 6, 7, 8, 11, 12})
        QVERIFY(writeMacro(h, key, {call("InsertText", QString("[F%1]").arg(key))}));
    for (int key : {9, 10})
        QVERIFY(writeMacro(h, key, {call("InsertText", "wrong")}));

    QTest::keyClick(memo, Qt::Key_F5);
    QTest::keyClick(memo, Qt::Key_F11, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_F12, Qt::AltModifier);
    QTest::keyClick(memo, Qt::Key_F9); // Open With
    QVERIFY(h.form8->isVisible());
    h.form8->close();
    QTest::keyClick(memo, Qt::Key_F10);
    QCOMPARE(memo->FullText(), "[F5][F11][F12]");

    // From the main window itself, as when the focus is on no editor.
    QTest::keyClick(h.form1.get(), Qt::Key_F6);
    QTest::keyClick(h.form1->MdiArea, Qt::Key_F8);
    QCOMPARE(memo->FullText(), "[F5][F11][F12][F6][F8]");

    // Shift+F5 is Time/Date.
    memo->SetFullText("");
    QTest::keyClick(memo, Qt::Key_F5, Qt::ShiftModifier);
    QCOMPARE(memo->FullText(), ShortDateLongTime(h.clock.now()));
}

void TestMacros::macroFileIsReadAtEveryPress()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("", 0, 0);
    QVERIFY(memo);
    QTest::keyClick(memo, Qt::Key_F5); // no file: nothing
    QCOMPARE(memo->FullText(), "");
    QVERIFY(shownMessages(h.prompts).isEmpty());
    QVERIFY(writeMacro(h, 5, {call("InsertText", "a")}));
    QTest::keyClick(memo, Qt::Key_F5);
    QVERIFY(writeMacro(h, 5, {call("InsertText", "b"), call("InsertText", "c")}));
    QTest::keyClick(memo, Qt::Key_F5);
    QVERIFY(writeFile(h.environment.programFile("F5.dat"), "InsertText(\"d\");\rLineBreak;\n"
                                                             "InsertText(\"e\");"));
    QTest::keyClick(memo, Qt::Key_F5);
    QCOMPARE(memo->FullText(), "abcd\r\ne");

    // A macro file that cannot be read says why.
    QVERIFY(QFile::remove(h.environment.programFile("F5.dat")));
    QVERIFY(QDir().mkdir(h.environment.programFile("F5.dat")));
    h.prompts.answerMessage(Answer::Ok);
    QTest::keyClick(memo, Qt::Key_F5);
    QCOMPARE(h.prompts.messages.size(), 1);
    QVERIFY(h.prompts.messages[0].text.startsWith(
        "Could not read file " + h.environment.programFile("F5.dat") + ".\r"));
    QCOMPARE(memo->FullText(), "abcd\r\ne");
}

// A command that fails reports it and the rest of the macro is skipped; the document
// repaints again.
void TestMacros::failedStatementEndsTheMacro()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("ab", 1, 0);
    QVERIFY(memo);
    QVERIFY(writeMacro(h, 5, {call("InsertText", "1"), "InsertFile;", call("InsertText", "2")}));
    h.prompts.answerOpenFiles({h.environment.rootPath()}); // a folder cannot be inserted
    h.prompts.answerMessage(Answer::Ok);
    QTest::keyClick(memo, Qt::Key_F5);
    QCOMPARE(memo->FullText(), "a1b");
    QCOMPARE(h.prompts.messages.size(), 1);
    QCOMPARE(h.prompts.messages[0].kind, MessageKind::Error);
    QVERIFY(!memo->InBulkUpdate());
    QVERIFY(memo->viewport()->updatesEnabled());
}

void TestMacros::variableLivesAcrossMacros()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("", 0, 0);
    QVERIFY(memo);
    QVERIFY(writeMacro(h, 5, {call("IncVar", "1")}));
    QVERIFY(writeMacro(h, 6, {call("InsertText", "%VAR%;")}));
    QTest::keyClick(memo, Qt::Key_F5);
    QTest::keyClick(memo, Qt::Key_F5);
    h.form1->New1Click(); // another document
    TScrollMemo* other = h.form1->ActiveMemo();
    QVERIFY(other != memo);
    QTest::keyClick(other, Qt::Key_F6);
    QCOMPARE(other->FullText(), "2;");
}

// An untitled document asks for a name; the saved file holds the macro's text.
void TestMacros::saveStatementWritesTheFile()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("", 0, 0);
    QVERIFY(memo);
    const QString path = QDir(h.environment.rootPath()).filePath("out.txt");
    QVERIFY(writeMacro(h, 12, {call("InsertText", "saved%BR%"), "Save;", call("InsertText", "!")}));
    h.prompts.answerSaveFile(path);
    QTest::keyClick(memo, Qt::Key_F12);
    QCOMPARE(readFile(path), QByteArray("saved\n"));
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), path);
    QCOMPARE(memo->FullText(), "saved\r\n!");
    QVERIFY(memo->ModifiedFlag());
}

QTEST_MAIN(TestMacros)
#include "tst_macros.moc"
