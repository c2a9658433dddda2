// The Calculator: its arithmetic and display, and its window beside the main window.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "prefs/Unit5.h"
#include "tools/Calculator.h"
#include "tools/Unit10.h"
#include "tools/Unit12.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

namespace
{

const QString Operators = "+-*/"; // in the order of CalcOperator after None

CalculatorStep pressKey(Calculator& calculator, const QString& key)
{
    if (key.size() == 1 && Operators.contains(key))
        return calculator.ApplyOperator(CalcOperator(Operators.indexOf(key) + 1));
    if (key == "=")
        return calculator.Equals();
    if (key == "Del")
        return calculator.DeleteLast();
    if (key == "C")
        return calculator.Clear();
    return key == "," ? calculator.Comma() : calculator.Digit(key.toInt());
}

// Presses the keys separated by blanks, numbers one character at a time, and returns the
// messages shown. Each step must show the display that the calculator keeps.
QStringList press(Calculator& calculator, const QString& keys)
{
    QStringList messages;
    for (const QString& word : keys.split(u' ', Qt::SkipEmptyParts)) {
        const bool number = word.front().isDigit() || word.front() == u',';
        for (const QString& key :
             number ? word.split(QString(), Qt::SkipEmptyParts) : QStringList{word}) {
            const CalculatorStep step = pressKey(calculator, key);
            if (step.display != calculator.Display())
                messages << "display out of step: " + step.display;
            if (!step.message.isEmpty())
                messages << (step.messageKind == MessageKind::Error ? "Error: " : "Information: ") +
                                step.message;
        }
    }
    return messages;
}

// Accumulator, pending operator, entry and display.
QStringList stateOf(const Calculator& calculator)
{
    const auto pending = int(calculator.PendingOperator());
    return {QString::number(calculator.Accumulator()),
            pending ? QString(Operators.at(pending - 1)) : QString(), calculator.Entry(),
            calculator.Display()};
}

// The Calculator shown through its command and active; false when it never became active.
bool showCalculator(MainWindowHarness& h)
{
    return triggerAction(h.form1.get(), "Calculator1") && QTest::qWaitForWindowActive(h.form12);
}

// A key as the keyboard sends it to the active Calculator.
void typeKey(MainWindowHarness& h, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(h.form12->windowHandle(), key, modifiers);
}

void click(const QList<QPushButton*>& buttons)
{
    for (QPushButton* button : buttons)
        QTest::mouseClick(button, Qt::LeftButton);
}

bool calculatorChecked(const MainWindowHarness& h)
{
    return h.form1->findChild<QAction*>("Calculator1")->isChecked();
}

struct KeysRow {
    const char* keys;
    const char* display;
    const char* entry;
    const char* pending;
};

const KeysRow KeysRows[] = {
    {"", "0", "", ""},
    {"5 + 3 =", "8", "8", ""},
    {"5 + 3 = * 2 =", "16", "16", ""},
    {"12 / 7 =", "1,7143", "1,7143", ""},
    {"1 / 3 =", "0,3333", "0,3333", ""},
    {"2 / 3 =", "0,6667", "0,6667", ""},
    {"12 / 7 +", "1,7143", "", "+"},
    {"+", "0", "", ""},
    {"5 + - 3 =", "8", "8", ""}, // the second operator is ignored
    {"5 + =", "5", "5", "+"},    // no combination; the display becomes the entry
    {"5 + = =", "10", "10", ""},
    {"=", "0", "0", ""},
    {"5 + 3 = 2", "82", "82", ""}, // a digit after "=" is appended to the result
    {"3 - 5 = / 4 =", "-0,5", "-0,5", ""},
    {"2,5 * 2,5 =", "6,25", "6,25", ""},
    {"5, + 1 =", "6", "6", ""},
    {",5 + 1 =", "1,5", "1,5", ""},
    {"5 + C 3 =", "3", "3", ""},
    {"1,5 Del", "1", "1", ""}, // the comma goes with the 5
    {"5 Del", "5", "5", ""},
    {"12,34 Del", "12,3", "12,3", ""},
    {",5 Del", "", "", ""},
    {"Del", "0", "", ""},
    // Every combination rounds to four places, halves to the even neighbour.
    {",00005 =", "0", "0", ""},
    {",00015 =", "0,0002", "0,0002", ""},
    {",00025 =", "0,0002", "0,0002", ""},
    {",000051 =", "0,0001", "0,0001", ""},
    {",0001 / 2 =", "0", "0", ""},
    {",0003 / 2 =", "0,0002", "0,0002", ""},
    {",0005 * ,5 =", "0,0002", "0,0002", ""},
    {"1 - 2 = * ,00015 =", "-0,0002", "-0,0002", ""},
    {"1 - 2 = * ,00005 =", "0", "0", ""},
    {"1 - ,00015 =", "0,9998", "0,9998", ""},
    // The ends of 64 bits, and entries far from them.
    {"922337203685477,5807 =", "922337203685478", "922337203685478", ""},
    {"1 - 922337203685477,5809 =", "-922337203685477", "-922337203685477", ""},
    {"5 / 1000000000000000000000000 =", "0", "0", ""},
    {"100000000000000 * ,12345678901234567895 =", "12345678901234,6", "12345678901234,6", ""},
};

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysGiveResults_data();
    void keysGiveResults();
    void refusedStepsLeaveTheState_data();
    void refusedStepsLeaveTheState();
    void leadingZeroAndFullEntry();
    void valuesShowInGeneralFormat_data();
    void valuesShowInGeneralFormat();
    void shownResultsReadBackAsEntries();

    void keysPressTheirButtonsOnly();
    void copyAndPasteTheDisplay();
    void messagesAndShowingAgain();
    void checkMarkFollowsTheWindow();
    void openFilesWaitsWhileCalculatorShown();
    void staysUsableUnderASecondaryWindow();
    void closedUnderASecondaryWindowLeavesTheOthersToTheMainWindow();
};

void TestCalculator::keysGiveResults_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("expected");
    for (const KeysRow& row : KeysRows)
        QTest::newRow(*row.keys ? row.keys : "nothing")
            << row.keys << QStringList{row.display, row.entry, row.pending};
}

void TestCalculator::keysGiveResults()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, expected);
    Calculator calculator;
    QCOMPARE(press(calculator, keys), QStringList());
    const QStringList state = stateOf(calculator);
    QCOMPARE((QStringList{state[3], state[2], state[1]}), expected);
}

void TestCalculator::refusedStepsLeaveTheState_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("message");
    const char* const byZero = "Floating point division by zero";
    const char* const invalid = "Invalid floating point operation";
    const char* const notNumber = "'%1' is not a valid floating point value";
    const struct {
        const char* before;
        const char* key;
        QString message;
    } rows[] = {
        {"5 / ,0", "=", byZero},
        {"5 / ,0", "/", byZero},
        {",0 / ,0", "=", byZero},
        {"1,,2", "+", QString(notNumber).arg("1,,2")},
        {"5 * ,", "=", QString(notNumber).arg(",")},
        {"1 - 2 = Del", "+", QString(notNumber).arg("-")},
        {"922337203685477,5808", "+", invalid},
        {"100000000000 * 100000000", "=", invalid},
        {"922337203685477 + 1", "=", invalid},
        {"1 - 922337203685477 = - 922337203685477", "=", invalid},
        {"100000000000 / ,0001", "=", invalid},
        // The largest result shows rounded to 15 digits, which typed back is too large.
        {"922337203685477,5807 =", "+", invalid},
    };
    for (const auto& row : rows)
        QTest::addRow("%s %s", row.before, row.key)
            << row.before << row.key << "Error: " + row.message;
}

void TestCalculator::refusedStepsLeaveTheState()
{
    QFETCH(QString, before);
    QFETCH(QString, key);
    QFETCH(QString, message);
    Calculator calculator;
    QCOMPARE(press(calculator, before), QStringList());
    const QStringList state = stateOf(calculator);
    QCOMPARE(press(calculator, key), QStringList{message});
    QCOMPARE(stateOf(calculator), state);
}

void TestCalculator::leadingZeroAndFullEntry()
{
    Calculator calculator;
    const QStringList refused{"Information: You cannot divide by zero."};
    QCOMPARE(press(calculator, "0"), refused);
    QCOMPARE(stateOf(calculator), QStringList({"0", "", "1", "1"})); // the 1 shown at once
    QCOMPARE(press(calculator, "5 + 0"), refused);
    QCOMPARE(press(calculator, "= 0 C ,0"), QStringList()); // a result or a comma begins it
    QCOMPARE(calculator.Entry(), QString(",0"));

    // The entry grows no longer than the display.
    const QString full = QString("1234567890").repeated(3).left(Calculator::DisplayLength);
    QCOMPARE(press(calculator, "C " + full + " 5 ,"), QStringList());
    QCOMPARE(calculator.Display(), full);
    QCOMPARE(press(calculator, "Del 9"), QStringList());
    QCOMPARE(calculator.Entry(), full.chopped(1) + "9");
}

void TestCalculator::valuesShowInGeneralFormat_data()
{
    QTest::addColumn<qint64>("tenThousandths");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0";
    QTest::newRow("2,5") << qint64(25000) << "2,5";
    QTest::newRow("smallest step") << qint64(1) << "0,0001";
    QTest::newRow("negative") << qint64(-5000) << "-0,5";
    QTest::newRow("no separators") << qint64(12345670000) << "1234567";
    QTest::newRow("15 digits") << qint64(1234567890123450) << "123456789012,345";
    QTest::newRow("16 digits") << qint64(12345678901234567) << "1234567890123,46";
    QTest::newRow("half down") << qint64(12345678901234450) << "1234567890123,44";
    QTest::newRow("half up") << qint64(12345678901234550) << "1234567890123,46";
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "922337203685478";
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-922337203685478";
}

void TestCalculator::valuesShowInGeneralFormat()
{
    QFETCH(qint64, tenThousandths);
    QFETCH(QString, text);
    QCOMPARE(FormatCalculatorValue(tenThousandths), text);
}

// "=" makes the display the entry: every result shown must read back as the same value.
void TestCalculator::shownResultsReadBackAsEntries()
{
    QRandomGenerator random(12);
    for (int i = 0; i < 2000; ++i) {
        quint64 limit = 1; // up to 15 digits: the display holds the whole value
        for (int digits = 1 + i % 15; digits > 0; --digits)
            limit *= 10;
        const auto value = qint64(random.generate64() % limit);
        const QString shown = FormatCalculatorValue(value);
        Calculator calculator;
        const QString typed = shown.startsWith(u'0') ? shown.mid(1) : shown;
        QCOMPARE(press(calculator, typed + " = - 1 = + 1 ="), QStringList());
        QCOMPARE(calculator.Accumulator(), value);
    }
}

void TestCalculator::keysPressTheirButtonsOnly()
{
    MainWindowHarness h;
    QCOMPARE(h.form12->pos(), QPoint(h.form1->x() + h.form1->width() / 2 - 87,
                                     h.form1->y() + h.form1->height() / 2 - 100));
    TScrollMemo* memo = h.showWithText("text", 0, 4);
    QVERIFY(memo);
    QVERIFY(showCalculator(h));
    QLineEdit* display = h.form12->Memo1;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_Slash, Qt::Key_7, Qt::Key_Enter})
        typeKey(h, key, keypad);
    QCOMPARE(display->text(), QString("1,7143"));
    // The keypad's digits with Num Lock off.
    click({h.form12->Button3});
    for (const Qt::Key key :
         {Qt::Key_End, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Clear, Qt::Key_Right,
          Qt::Key_Home, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Insert})
        typeKey(h, key, keypad);
    typeKey(h, Qt::Key_Backspace);
    typeKey(h, Qt::Key_Comma);
    typeKey(h, Qt::Key_5, keypad);
    QCOMPARE(display->text(), QString("123456789,5"));

    // Other keys, operators and digits not from the keypad, and the main window's shortcuts
    // (Delete, Paste) do nothing.
    for (const Qt::Key key :
         {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Asterisk, Qt::Key_Slash, Qt::Key_5, Qt::Key_C,
          Qt::Key_Space, Qt::Key_Delete, Qt::Key_Escape, Qt::Key_Tab})
        typeKey(h, key);
    typeKey(h, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(memo->FullText(), QString("text"));
    QVERIFY(h.form12->isVisible());
    for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_1})
        typeKey(h, key, keypad);
    typeKey(h, Qt::Key_Return);
    QCOMPARE(display->text(), QString("123456790,5"));
    // No control took the focus.
    click({h.form12->Button3});
    QCOMPARE(QApplication::focusWidget(), h.form12);
    QCOMPARE(display->cursorPosition(), 1);
}

void TestCalculator::copyAndPasteTheDisplay()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("a-b", 1, 1);
    QVERIFY(memo);
    QVERIFY(showCalculator(h));
    click({h.form12->Button13, h.form12->Button12, h.form12->Button14, h.form12->Button2});
    QCOMPARE(QApplication::clipboard()->text(), QString("4,5"));
    QCOMPARE(h.form12->Memo1->selectedText(), QString());
    click({h.form12->Button1});
    QCOMPARE(memo->FullText(), QString("a4,5b"));
    QVERIFY(memo->ModifiedFlag());
    QTRY_COMPARE(QApplication::activeWindow(), h.form12);

    // Into the active document; from the keyboard with Alt and the underlined letter.
    TRIGGER_ACTION(h.form1.get(), "New1");
    h.form12->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form12));
    QApplication::clipboard()->clear();
    typeKey(h, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("4,5"));
    typeKey(h, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString("4,5"));
    QCOMPARE(memo->FullText(), QString("a4,5b"));
}

void TestCalculator::messagesAndShowingAgain()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QVERIFY(showCalculator(h));
    h.prompts.answerMessage(Answer::Ok);
    h.prompts.answerMessage(Answer::Ok);
    for (const Qt::Key key : {Qt::Key_0, Qt::Key_Slash, Qt::Key_Comma, Qt::Key_0, Qt::Key_Enter})
        typeKey(h, key, Qt::KeypadModifier);
    QCOMPARE(shownMessages(h.prompts), QStringList({"Information Ok: You cannot divide by zero.",
                                                    "Error Ok: Floating point division by zero"}));
    QCOMPARE(h.form12->Memo1->text(), QString(",0"));

    // Shown again, it starts cleared: the pending division is forgotten.
    TRIGGER_ACTION(h.form1.get(), "Calculator1");
    QVERIFY(showCalculator(h));
    QCOMPARE(h.form12->Memo1->text(), QString("0"));
    click({h.form12->Button6, h.form12->Button8});
    QCOMPARE(h.form12->Memo1->text(), QString("3"));
}

void TestCalculator::checkMarkFollowsTheWindow()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    QVERIFY(showCalculator(h));
    QVERIFY(calculatorChecked(h));
    QVERIFY(h.form12->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    TRIGGER_ACTION(h.form1.get(), "calcButton");
    QVERIFY(!h.form12->isVisible());
    QVERIFY(!calculatorChecked(h));
    TRIGGER_ACTION(h.form1.get(), "calcButton");
    QVERIFY(h.form12->isVisible());
    QVERIFY(calculatorChecked(h));

    h.form12->close(); // its close box
    QVERIFY(!calculatorChecked(h));
    QTRY_COMPARE(QApplication::activeWindow(), h.form1.get());

    // Stay on Top closes it and keeps it hidden.
    QVERIFY(showCalculator(h));
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    QVERIFY(!h.form12->isVisible());
    QVERIFY(!calculatorChecked(h));
    h.form1->Calculator1Click();
    QVERIFY(!h.form12->isVisible());
    QVERIFY(!calculatorChecked(h));
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    QVERIFY(!h.form12->isVisible());

    // Closing the last document closes it.
    QVERIFY(showCalculator(h));
    TRIGGER_ACTION(h.form1.get(), "Close1");
    QVERIFY(!h.form12->isVisible());
    QVERIFY(!calculatorChecked(h));
}

// The Open Files window is disabled while the Calculator is shown, and usable after it, also
// when it was hidden meanwhile.
void TestCalculator::openFilesWaitsWhileCalculatorShown()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QVERIFY(showCalculator(h));
    QVERIFY(!h.form7->isEnabled());
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    TRIGGER_ACTION(h.form1.get(), "Calculator1");
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QVERIFY(h.form7->isVisible());
    QVERIFY(h.form7->isEnabled());
}

void TestCalculator::staysUsableUnderASecondaryWindow()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.rootPath() + "/opened.txt";
    QVERIFY(writeFile(path, "text"));
    QVERIFY(showCalculator(h));
    TRIGGER_ACTION(h.form1.get(), "SetFilters1");
    QVERIFY(!h.form1->isEnabled());
    QVERIFY(!h.form12->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    click({h.form12->Button14});
    // A document opened meanwhile (as the browser does) leaves it usable too.
    h.form1->OpenFileInNewWindow(path);
    QVERIFY(h.form12->isEnabled());
    click({h.form12->Button1});
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString("5text"));

    h.setfilters->close();
    QVERIFY(h.form12->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(h.form12->Memo1->text(), QString("5")); // the change of layer kept the display
}

// Open Files and Overview stay disabled with the main window while a secondary window is
// open, also when the Calculator that disabled them closes meanwhile; they come back with it.
void TestCalculator::closedUnderASecondaryWindowLeavesTheOthersToTheMainWindow()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    TRIGGER_ACTION(h.form1.get(), "Overview1");
    QVERIFY(showCalculator(h));
    QVERIFY(!h.form7->isEnabled());
    QVERIFY(!h.form10->isEnabled());
    TRIGGER_ACTION(h.form1.get(), "SetFilters1");
    h.form12->close();
    QVERIFY(!h.form7->isEnabled());
    QVERIFY(!h.form10->isEnabled());
    h.setfilters->close();
    QVERIFY(h.form1->isEnabled());
    QVERIFY(h.form7->isEnabled());
    QVERIFY(h.form10->isEnabled());

    // A Calculator still shown when the secondary window closes keeps them disabled.
    QVERIFY(showCalculator(h));
    TRIGGER_ACTION(h.form1.get(), "SetFilters1");
    h.setfilters->close();
    QVERIFY(!h.form7->isEnabled());
    QVERIFY(!h.form10->isEnabled());
    QVERIFY(h.form12->isEnabled());
    h.form12->close();
    QVERIFY(h.form7->isEnabled());
    QVERIFY(h.form10->isEnabled());
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
