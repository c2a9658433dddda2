// Auto Complete: the entry rules as plain functions, Shift+Enter in a real document, and the
// Auto Complete dialog.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "app/Unit1.h"
#include "editing/AutoComplete.h"
#include "editing/Unit11.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace
{

const QString Sep = QString(2, QChar(0xA4));

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

void pressShiftEnter(TScrollMemo* memo)
{
    QTest::keyClick(memo, Qt::Key_Return, Qt::ShiftModifier);
}

void addEntry(const MainWindowHarness& h, const QString& text, const QString& sampleSize)
{
    h.form11->Edit1->setText(text);
    h.form11->Edit2->setText(sampleSize);
    QTest::mouseClick(h.form11->Button1, Qt::LeftButton);
}

} // namespace

#define OPEN_AUTO_COMPLETE(h)                                                                      \
    do {                                                                                           \
        TRIGGER_ACTION((h).form1.get(), "AutoComplete1");                                          \
        QVERIFY((h).form11->isVisible());                                                          \
    } while (false)

class TestAutoComplete : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entriesAndTheirDisplayTexts();
    void addedSampleSize_data();
    void addedSampleSize();
    void matching_data();
    void matching();

    void shiftEnterCompletes_data();
    void shiftEnterCompletes();
    void completionKeysAndOneSelectionChange();
    void invalidSampleSizeStopsTheRound();

    void dialogEditsAWorkingCopy();
    void onlyCloseCommits_data();
    void onlyCloseCommits();
    void entriesBeyondAsciiSurviveARestart();
};

void TestAutoComplete::entriesAndTheirDisplayTexts()
{
    QCOMPARE(MakeCompletionEntry(2, "function"), "2" + Sep + "function");
    const CompletionEntry split = SplitCompletionEntry("12" + Sep + "a" + Sep + "b");
    QCOMPARE(split.sampleSize, "12");
    QCOMPARE(split.text, "a" + Sep + "b"); // split at the first separator only
    QCOMPARE(SplitCompletionEntry("function").sampleSize, "function");
    QCOMPARE(SplitCompletionEntry("function").text, QString());

    const QString sixty = QString(60, u'x');
    QCOMPARE(AddedDisplayText(sixty), QString(55, u'x') + "...");
    QCOMPARE(AddedDisplayText(QString(55, u'x')), QString(55, u'x'));
    QCOMPARE(CompletionDisplayText("2" + Sep + sixty), QString(55, u'x') + "...");
    // The whole entry counts: 52 characters of text make an entry of 55, 53 one of 56.
    QCOMPARE(CompletionDisplayText("2" + Sep + QString(52, u'x')), QString(52, u'x'));
    QCOMPARE(CompletionDisplayText("2" + Sep + QString(53, u'x')), QString(53, u'x') + "...");
    // A character of two halves is not cut in two.
    const QString emoji = QString(54, u'x') + QString::fromUtf8("😀") + "yz";
    QCOMPARE(AddedDisplayText(emoji), QString(54, u'x') + "...");
}

void TestAutoComplete::addedSampleSize_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    // clang-format off
    QTest::newRow("default") << "2" << "function" << 2;
    QTest::newRow("not a number") << "x" << "function" << 2;
    QTest::newRow("below 2") << "1" << "function" << 2;
    QTest::newRow("5 for abc") << "5" << "abc" << 2;
    QTest::newRow("one letter") << "2" << "a" << 0;
    QTest::newRow("empty text") << "2" << "" << -1;
    // clang-format on
}

void TestAutoComplete::addedSampleSize()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(AddedSampleSize(field, text), expected);
}

void TestAutoComplete::matching_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("sampleSize");
    QTest::addColumn<qint64>("prefixLength");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");
    const QString emoji = QString::fromUtf8("😀");
    // clang-format off
    QTest::newRow("fu") << "fu" << "function" << 2LL << 2LL << "fu" << true;
    QTest::newRow("xfunc") << "nc" << "function" << 2LL << 4LL << "func" << true;
    QTest::newRow("FU is no sample") << "FU" << "function" << 2LL << 0LL << "FU" << false;
    QTest::newRow("Fun") << "un" << "function" << 2LL << 3LL << "Fun" << true;
    QTest::newRow("a-z only") << "b" << "äb" << 1LL << 2LL << "Äb" << false;
    QTest::newRow("empty sample") << "" << "function" << 2LL << 0LL << "" << false;
    QTest::newRow("size 0") << "f" << "function" << 0LL << 0LL << "" << false;
    // Past 32 bits; the prefix is then the whole text.
    QTest::newRow("largest size") << "nc" << "function" << 2147483647LL << 2147483649LL
                                  << "function" << true;
    // Read whole rather than cut, the sample counts whole.
    QTest::newRow("two halves") << emoji + "a" << emoji + "abc" << 2LL << 3LL << emoji + "a"
                                << true;
    // clang-format on
}

void TestAutoComplete::matching()
{
    QFETCH(QString, sample);
    QFETCH(QString, text);
    QFETCH(qint64, sampleSize);
    QFETCH(qint64, prefixLength);
    QFETCH(QString, typed);
    QFETCH(bool, matches);
    QCOMPARE(CompletionPrefixLength(sample, text, sampleSize), prefixLength);
    QCOMPARE(TypedMatchesPrefix(typed, CompletionPrefix(text, prefixLength)), matches);
}

void TestAutoComplete::shiftEnterCompletes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("dontMove");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");
    const QString entry = "2" + Sep + "function";
    const QStringList function{entry};
    const QString emoji = QString::fromUtf8("😀");
    // clang-format off
    QTest::newRow("fu") << "fu" << 2 << 0 << function << false << "function" << 8;
    QTest::newRow("fu, don't move") << "fu" << 2 << 0 << function << true << "function" << 2;
    QTest::newRow("FU") << "FU" << 2 << 0 << function << false << "FU" << 2;
    QTest::newRow("mid-text, selection collapses to its start")
        << "a fu b" << 4 << 2 << function << false << "a function b" << 10;
    QTest::newRow("first that applies")
        << "fu" << 2 << 0 << QStringList{"2" + Sep + "zzz", "2" + Sep + "fuzzy", entry}
        << false << "fuzzy" << 5;
    QTest::newRow("after a line break")
        << "ab\r\nfu" << 6 << 0 << function << false << "ab\r\nfunction" << 12;
    QTest::newRow("sample across a line break")
        << "ab\r\nu" << 5 << 0 << function << false << "ab\r\nu" << 5;
    QTest::newRow("typed across a line break")
        << "a\r\nunc" << 6 << 0 << function << false << "a\r\nunc" << 6;
    QTest::newRow("two halves") << emoji + "a" << 3 << 0 << QStringList{"2" + Sep + emoji + "abc"}
                                << false << emoji + "abc" << 5;
    QTest::newRow("largest size") << "fu" << 2 << 0 << QStringList{"2147483647" + Sep + "function"}
                                  << false << "fu" << 2;
    QTest::newRow("all typed already")
        << "function" << 8 << 0 << function << false << "function" << 8;
    QTest::newRow("size -1 never reads after the caret")
        << "function" << 0 << 0 << QStringList{"-1" + Sep + "function"} << false << "function" << 0;
    // clang-format on
}

void TestAutoComplete::shiftEnterCompletes()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QStringList, entries);
    QFETCH(bool, dontMove);
    QFETCH(QString, expected);
    QFETCH(int, caret);
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText(text, start, length);
    QVERIFY(memo);
    h.form1->autocomp->SetStrings(entries);
    h.form1->DontMoveCursor = dontMove;
    pressShiftEnter(memo);
    QCOMPARE(memo->FullText(), expected);
    QCOMPARE(memo->SelStart(), caret);
    QCOMPARE(memo->SelLength(), 0);
    QCOMPARE(memo->ModifiedFlag(), expected != text);
    QCOMPARE(h.prompts.messages.size(), 0);
}

void TestAutoComplete::completionKeysAndOneSelectionChange()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("fu", 2);
    QVERIFY(memo);
    pressShiftEnter(memo); // with no entries it only swallows the line break
    QCOMPARE(memo->FullText(), "fu");
    QStringList entries(1000, "2" + Sep + "zzz");
    entries << "2" + Sep + "function";
    h.form1->autocomp->SetStrings(entries);
    QSignalSpy selections(memo, &TScrollMemo::OnSelectionChange);
    QTest::keyClick(memo, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    QCOMPARE(memo->FullText(), "function");
    QCOMPARE(selections.size(), 1);
    h.form1->autocomp->SetStrings({"2" + Sep + "functional"});
    QTest::keyClick(memo, Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(memo->FullText(), "functional");
    QTest::keyClick(memo, Qt::Key_Return); // Enter alone is a line break
    QCOMPARE(memo->FullText(), "functional\r\n");
}

void TestAutoComplete::invalidSampleSizeStopsTheRound()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("fu", 2);
    QVERIFY(memo);
    h.form1->autocomp->SetStrings(
        {"2" + Sep + "zzz", "x1" + Sep + "fuzzy", "2" + Sep + "function"});
    h.prompts.answerMessage(Answer::Ok);
    pressShiftEnter(memo);
    h.form1->autocomp->SetStrings({"function"}); // no separator: the whole line is the size
    h.prompts.answerMessage(Answer::Ok);
    pressShiftEnter(memo);
    QCOMPARE(shownMessages(h.prompts),
             QStringList({"Error Ok: 'x1' is not a valid integer value",
                          "Error Ok: 'function' is not a valid integer value"}));
    QCOMPARE(memo->FullText(), "fu");
    QVERIFY(!memo->ModifiedFlag());
    QVERIFY(!memo->InBulkUpdate());
    QVERIFY(memo->viewport()->updatesEnabled());
}

void TestAutoComplete::dialogEditsAWorkingCopy()
{
    MainWindowHarness h;
    QCOMPARE(h.form11->pos(), QPoint(h.form1->x() + h.form1->width() / 2 - 225,
                                     h.form1->y() + h.form1->height() / 2 - 148));
    QVERIFY(h.show());
    h.form1->autocomp->SetStrings({"3" + Sep + QString(60, u'y')});
    h.form1->DontMoveCursor = true;
    OPEN_AUTO_COMPLETE(h);
    TForm11& d = *h.form11;
    QVERIFY(!h.form1->isEnabled());
    QCOMPARE(d.Label1->text(), "When editing, press Shift+Enter to Auto Complete.");
    QCOMPARE(d.Edit2->text(), "2");
    QCOMPARE(d.Edit2->maxLength(), 2);
    QVERIFY(d.CheckBox1->isChecked());
    QCOMPARE(texts(d.ListBox1), QStringList{QString(55, u'y') + "..."});
    // Tab goes from the text field through the buttons and the list to the check box.
    QList<QWidget*> tabOrder;
    QWidget* w = d.Edit1;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            tabOrder << w;
        w = w->nextInFocusChain();
    } while (w != d.Edit1);
    QCOMPARE(tabOrder, QList<QWidget*>({d.Edit1, d.Edit2, d.Button1, d.Button2, d.Button3,
                                        d.ListBox1, d.SpeedButton1, d.SpeedButton2, d.CheckBox1}));

    addEntry(h, "function", "2");
    QCOMPARE(d.Edit1->text(), "function"); // Add leaves the text in its field
    addEntry(h, "abc", "5");
    addEntry(h, "a", "2");
    addEntry(h, "", "x");
    QCOMPARE(d.StrSet1->Strings().mid(1),
             QStringList({"2" + Sep + "function", "2" + Sep + "abc", "0" + Sep + "a", "-1" + Sep}));

    QTest::mouseClick(d.Button2, Qt::LeftButton); // nothing selected: nothing removed
    QCOMPARE(d.ListBox1->count(), 5);
    d.ListBox1->setCurrentRow(0);
    QTest::mouseClick(d.SpeedButton1, Qt::LeftButton); // already first
    QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    d.ListBox1->setCurrentRow(2);
    QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
    d.ListBox1->setCurrentRow(4);
    QTest::mouseClick(d.SpeedButton2, Qt::LeftButton); // already last
    QTest::mouseClick(d.Button2, Qt::LeftButton);
    QCOMPARE(texts(d.ListBox1), QStringList({"function", "abc", QString(55, u'y') + "...", "a"}));
    QCOMPARE(d.StrSet1->Strings(), QStringList({"2" + Sep + "function", "2" + Sep + "abc",
                                                "3" + Sep + QString(60, u'y'), "0" + Sep + "a"}));
    QCOMPARE(h.form1->autocomp->Strings().size(), 1); // nothing given to the main window yet
}

void TestAutoComplete::onlyCloseCommits_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Close") << "Close";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("close box") << "close box";
}

void TestAutoComplete::onlyCloseCommits()
{
    QFETCH(QString, way);
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    const QStringList before{"2" + Sep + "old"};
    h.form1->autocomp->SetStrings(before);
    OPEN_AUTO_COMPLETE(h);
    QVERIFY(h.form1->StayOnTopSuspended);
    addEntry(h, "new", "2");
    h.form11->CheckBox1->setChecked(true);
    if (way == "Close")
        QTest::mouseClick(h.form11->Button3, Qt::LeftButton);
    else if (way == "Esc")
        QTest::keyClick(h.form11, Qt::Key_Escape);
    else
        QVERIFY(h.form11->close());

    QVERIFY(!h.form11->isVisible());
    QVERIFY(h.form1->isEnabled());
    QVERIFY(h.form1->StayOnTop);
    const bool commits = way == "Close";
    QCOMPARE(h.form1->DontMoveCursor, commits);
    QCOMPARE(h.form1->autocomp->Strings(),
             commits ? before + QStringList{"2" + Sep + "new"} : before);
    OPEN_AUTO_COMPLETE(h); // the working copy is made anew
    QCOMPARE(h.form11->ListBox1->count(), commits ? 2 : 1);
    QCOMPARE(h.form11->CheckBox1->isChecked(), commits);
    // The main window goes with the dialog open: its hiding then finds no one to answer.
}

void TestAutoComplete::entriesBeyondAsciiSurviveARestart()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    OPEN_AUTO_COMPLETE(h);
    addEntry(h, "naïve", "2");
    addEntry(h, "日本語", "2");
    QTest::mouseClick(h.form11->Button3, Qt::LeftButton);
    QVERIFY(h.form1->close());
    QCOMPARE(
        readFile(h.environment.programFile("autocomp.ini")),
        QByteArray("2\xa4\xa4na\xc3\xafve\r\n2\xa4\xa4\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\r\n"));

    h.restart();
    TScrollMemo* memo = h.showWithText("日本", 2);
    QVERIFY(memo);
    OPEN_AUTO_COMPLETE(h);
    QCOMPARE(texts(h.form11->ListBox1), QStringList({"naïve", "日本語"}));
    QTest::mouseClick(h.form11->Button3, Qt::LeftButton);
    pressShiftEnter(memo);
    QCOMPARE(memo->FullText(), "日本語");
}

QTEST_MAIN(TestAutoComplete)
#include "tst_autocomplete.moc"
