// Find and replace: the Find and Replace dialogs, Find Next and F3, Replace and Replace All.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/TextCompare.h"
#include "app/Unit1.h"
#include "editing/FindDialogs.h"
#include "editing/SearchText.h"

#include <QRandomGenerator>
#include <QLineEdit>
#include <QTest>

namespace {

const QString Finished =
    QStringLiteral("Information Ok: Tavro has finished going through the document.");

QString cannotFind(const QString& text)
{
    return QStringLiteral("Information Ok: Cannot find \"") + text + u'"';
}

QString crLf(QString text)
{
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

using Pos = QList<int>; // a selection: start, length

Pos selectionOf(const TScrollMemo* memo)
{
    return {memo->SelStart(), memo->SelLength()};
}

// Replace All as the loop it stands for: replace the selected match, then search on from
// the caret and replace each match found, on a plain editor control.
void referenceReplaceAll(TScrollMemo& memo, const QString& find, const QString& replacement,
                         bool matchCase, bool wholeWord)
{
    const int length = int(crLf(find).size());
    int from = memo.SelStart();
    if (SameTextIgnoringAsciiCase(memo.SelectedText(), crLf(find))) {
        memo.ReplaceSelection(replacement);
        from = memo.SelStart();
    } else if (memo.SelLength() == length) {
        memo.SetSelStart(++from);
    }
    for (int p; (p = memo.FindTextRange(find, from, -1, matchCase, wholeWord)) >= 0;) {
        memo.SetSelStart(p);
        memo.SetSelLength(length);
        memo.ReplaceSelection(replacement);
        from = memo.SelStart();
    }
}

QString outcome(const TScrollMemo& memo)
{
    const QString format = QStringLiteral(" -> \"%1\" caret %2 selected %3");
    return format.arg(memo.FullText()).arg(memo.SelStart()).arg(memo.SelLength());
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialogsOpenWithTheSelectionAndKeepTheirSettings();
    void findNext_data();
    void findNext();
    void replaceAndReplaceAll_data();
    void replaceAndReplaceAll();
    void replaceAllKeepsColoursAndIsUndoneInOneStep();
    void randomTextsAgreeWithTheReferenceLoops_data();
    void randomTextsAgreeWithTheReferenceLoops();
};

void TestSearch::dialogsOpenWithTheSelectionAndKeepTheirSettings()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("one two three", 4, 3);
    QVERIFY(memo);
    TFindDialog* find = h.form1->FindDialog1;
    TReplaceDialog* replace = h.form1->ReplaceDialog1;

    TRIGGER_ACTION(h.form1.get(), "FindReplace1");
    QVERIFY(find->isVisible());
    QCOMPARE(find->FindText(), QString("two"));
    find->SetOptions(true, true);
    find->SetDown(false);
    find->close();
    TRIGGER_ACTION(h.form1.get(), "Replace1");
    QVERIFY(replace->isVisible());
    QCOMPARE(replace->FindText(), QString("two"));
    replace->SetReplaceText("2");
    replace->SetOptions(true, false);
    replace->close();

    memo->SetSelStart(5);
    TRIGGER_ACTION(h.form1.get(), "FindReplace1");
    QCOMPARE(find->FindText(), QString());
    QVERIFY(find->MatchCase() && find->WholeWord() && !find->Down());
    TRIGGER_ACTION(h.form1.get(), "Replace1");
    QCOMPARE(replace->FindText(), QString());
    QCOMPARE(replace->ReplaceText(), QString("2"));
    QVERIFY(replace->MatchCase() && !replace->WholeWord());
    find->close();
    replace->close();

    // Only the commands take the selection: shown again by the window system (the main
    // window restored), a dialog keeps what was typed into it.
    TRIGGER_ACTION(h.form1.get(), "Replace1");
    QTest::keyClicks(replace->findChild<QLineEdit*>("FindText"), "typed");
    memo->SetSelLength(3);
    replace->hide();
    replace->show();
    QCOMPARE(replace->FindText(), QString("typed"));
    TRIGGER_ACTION(h.form1.get(), "Replace1");
    QCOMPARE(replace->FindText(), QString("wo "));
    replace->close();

    // F3 without a search text opens the Find dialog instead of searching.
    memo->SetSelStart(8);
    memo->SetSelLength(5);
    TRIGGER_ACTION(h.form1.get(), "Findnext1");
    QVERIFY(find->isVisible());
    QCOMPARE(find->FindText(), QString("three"));
    QCOMPARE(selectionOf(memo), Pos({8, 5}));
    QCOMPARE(shownMessages(h.prompts), QStringList());
}

void TestSearch::findNext_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Pos>("selected");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("how"); // whose Find Next (find, F3, replace), direction, options
    QTest::addColumn<int>("presses");
    QTest::addColumn<Pos>("selection");
    QTest::addColumn<bool>("found");

    QTest::newRow("down from inside a word: next at or after the caret")
        << "cat concat cat" << Pos{5, 0} << "cat" << "find down" << 1 << Pos{7, 3} << true;
    QTest::newRow("down again: the selected match is passed over")
        << "cat concat cat" << Pos{5, 0} << "cat" << "find down" << 2 << Pos{11, 3} << true;
    QTest::newRow("down at the end: Cannot find, selection kept")
        << "cat cat" << Pos{5, 2} << "cat" << "find down" << 1 << Pos{5, 2} << false;
    QTest::newRow("up: the last occurrence ending before the caret")
        << "cat cat cat" << Pos{9, 0} << "cat" << "find up" << 1 << Pos{4, 3} << true;
    QTest::newRow("up to the first, then Cannot find")
        << "cat cat cat" << Pos{9, 0} << "cat" << "find up" << 3 << Pos{0, 3} << false;
    QTest::newRow("up from the start: Cannot find")
        << "cat" << Pos{0, 0} << "cat" << "find up" << 1 << Pos{0, 0} << false;
    QTest::newRow("up: a same-length selection of other text is moved back by one")
        << "catxyz" << Pos{3, 3} << "cat" << "find up" << 1 << Pos{3, 3} << false;
    QTest::newRow("F3 down with match case")
        << "Cat cat CAT" << Pos{0, 0} << "CAT" << "F3 down case" << 1 << Pos{8, 3} << true;
    QTest::newRow("F3 up with whole word")
        << "cat concat" << Pos{10, 0} << "cat" << "F3 up word" << 1 << Pos{0, 3} << true;
    QTest::newRow("Replace dialog: always down, Cannot find names its own text")
        << "cat cat" << Pos{1, 0} << "cat" << "replace" << 2 << Pos{4, 3} << false;
    QTest::newRow("two-line search text, down twice")
        << "ab\ncd\nab\ncd" << Pos{0, 0} << "b\ncd" << "find down" << 2 << Pos{9, 5} << true;
    QTest::newRow("CR in the search text, up")
        << "ab\ncd\nab\ncd" << Pos{14, 0} << "b\rcd" << "F3 up" << 1 << Pos{9, 5} << true;
    QTest::newRow("a match starting with a line break is passed over")
        << "a\nb\nb" << Pos{0, 0} << "\nb" << "find down" << 2 << Pos{4, 3} << true;
}

void TestSearch::findNext()
{
    QFETCH(QString, text);
    QFETCH(Pos, selected);
    QFETCH(QString, find);
    QFETCH(QString, how);
    QFETCH(int, presses);
    QFETCH(Pos, selection);
    QFETCH(bool, found);

    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText(text, selected[0], selected[1]);
    QVERIFY(memo);
    const bool inReplace = how.startsWith("replace");
    TSearchDialog* used =
        inReplace ? static_cast<TSearchDialog*>(h.form1->ReplaceDialog1) : h.form1->FindDialog1;
    TSearchDialog* other =
        inReplace ? static_cast<TSearchDialog*>(h.form1->FindDialog1) : h.form1->ReplaceDialog1;
    used->SetFindText(find);
    used->SetOptions(how.contains("case"), how.contains("word"));
    other->SetFindText("other");
    h.form1->FindDialog1->SetDown(how.contains("down"));
    if (!found)
        h.prompts.answerMessage(Answer::Ok);
    for (int i = 0; i < presses; ++i) {
        if (how.startsWith("F3"))
            TRIGGER_ACTION(h.form1.get(), "Findnext1");
        else
            Q_EMIT used->FindNext();
    }
    QCOMPARE(selectionOf(memo), selection);
    QCOMPARE(shownMessages(h.prompts), found ? QStringList() : QStringList{cannotFind(find)});
    QCOMPARE(memo->FullText(), crLf(text));
}

void TestSearch::replaceAndReplaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Pos>("selected");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("how"); // Replace pressed n times or Replace All, options
    QTest::addColumn<QString>("result");
    QTest::addColumn<Pos>("selection");
    QTest::addColumn<int>("reports"); // none, finished, finished and Cannot find

    QTest::newRow("Replace: the selected match, then the next selected")
        << "cat cat cat" << Pos{0, 3} << "cat" << "dog" << "1" << "dog cat cat" << Pos{4, 3} << 0;
    QTest::newRow("Replace: without a selected match only the next selected")
        << "cat cat" << Pos{1, 0} << "cat" << "dog" << "1" << "cat cat" << Pos{4, 3} << 0;
    QTest::newRow("Replace: a selected match in other case, under match case")
        << "CAT cat" << Pos{0, 3} << "cat" << "dog" << "1 case" << "dog cat" << Pos{4, 3} << 0;
    QTest::newRow("Replace: the last match, then finished and Cannot find")
        << "cat cat" << Pos{4, 3} << "cat" << "dog" << "1" << "cat dog" << Pos{7, 0} << 2;
    QTest::newRow("Replace: a by aa twice")
        << "a a" << Pos{0, 1} << "a" << "aa" << "2" << "aa aa" << Pos{5, 0} << 2;
    QTest::newRow("Replace: empty search text does nothing")
        << "cat" << Pos{0, 3} << "" << "dog" << "1" << "cat" << Pos{0, 3} << 0;
    QTest::newRow("Replace: only a-z fold in telling the selected match")
        << QString::fromUtf8("\u00c9 \u00e9 \u00e9") << Pos{0, 1} << QString::fromUtf8("\u00e9")
        << "x" << "1" << QString::fromUtf8("\u00c9 \u00e9 \u00e9") << Pos{2, 1} << 0;
    QTest::newRow("Replace finding nothing: the caret never inside a character")
        << QString::fromUtf8("a\U0001F600b") << Pos{1, 2} << "zz" << "q" << "1"
        << QString::fromUtf8("a\U0001F600b") << Pos{1, 0} << 2;

    QTest::newRow("All: from the caret to the end only")
        << "cat cat cat" << Pos{5, 0} << "cat" << "dog" << "all" << "cat cat dog" << Pos{11, 0}
        << 1;
    QTest::newRow("All: the selected match, then the rest")
        << "cat cat cat" << Pos{4, 3} << "cat" << "dog" << "all" << "cat dog dog" << Pos{11, 0}
        << 1;
    QTest::newRow("All: nothing after the caret")
        << "cat dog" << Pos{5, 0} << "cat" << "cow" << "all" << "cat dog" << Pos{5, 0} << 1;
    QTest::newRow("All: only the selected match")
        << "cat dog" << Pos{0, 3} << "cat" << "cow" << "all" << "cow dog" << Pos{3, 0} << 1;
    QTest::newRow("All: a same-length selection of other text moves the caret on")
        << "abc" << Pos{0, 3} << "xyz" << "q" << "all" << "abc" << Pos{1, 0} << 1;
    QTest::newRow("All: a by aa ends, each a doubled")
        << "a ba a" << Pos{0, 0} << "a" << "aa" << "all" << "aa baa aa" << Pos{9, 0} << 1;
    QTest::newRow("All: overlapping occurrences, each search after the replacement")
        << "aaaaa" << Pos{0, 0} << "aa" << "b" << "all" << "bba" << Pos{2, 0} << 1;
    QTest::newRow("All: match case")
        << "Cat cat CAT" << Pos{0, 0} << "cat" << "dog" << "all case" << "Cat dog CAT" << Pos{7, 0}
        << 1;
    QTest::newRow("All: whole word sees the replacement before an adjacent match")
        << "-- -" << Pos{0, 0} << "-" << "b" << "all word" << "b- b" << Pos{4, 0} << 1;
    QTest::newRow("All: whole word, empty replacement: the text before it counts")
        << " -a-a" << Pos{0, 0} << "-a" << "" << "all word" << " " << Pos{1, 0} << 1;
    QTest::newRow("All: line breaks in search text and replacement")
        << "ab\ncd\nab\ncd" << Pos{0, 0} << "b\ncd" << "1\n2" << "all" << "a1\r\n2\r\na1\r\n2"
        << Pos{12, 0} << 1;
    QTest::newRow("All: CR LF search text from the caret")
        << "ab\ncd\nab\ncd" << Pos{4, 0} << "b\r\ncd" << "X" << "all" << "ab\r\ncd\r\naX"
        << Pos{10, 0} << 1;
    QTest::newRow("All: empty search text does nothing")
        << "cat" << Pos{0, 3} << "" << "x" << "all" << "cat" << Pos{0, 3} << 0;
    QTest::newRow("All: only a-z fold in telling the selected match")
        << QString::fromUtf8("\u00c9 \u00e9 \u00e9") << Pos{0, 1} << QString::fromUtf8("\u00e9")
        << "x" << "all" << QString::fromUtf8("\u00c9 x x") << Pos{5, 0} << 1;
}

void TestSearch::replaceAndReplaceAll()
{
    QFETCH(QString, text);
    QFETCH(Pos, selected);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, how);
    QFETCH(QString, result);
    QFETCH(Pos, selection);
    QFETCH(int, reports);

    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText(text, selected[0], selected[1]);
    QVERIFY(memo);
    TReplaceDialog* dialog = h.form1->ReplaceDialog1;
    dialog->SetFindText(find);
    dialog->SetReplaceText(replacement);
    dialog->SetOptions(how.contains("case"), how.contains("word"));
    h.form1->FindDialog1->SetFindText("other");
    for (int i = 0; i < reports; ++i)
        h.prompts.answerMessage(Answer::Ok);
    if (how.startsWith("all"))
        Q_EMIT dialog->ReplaceAll();
    for (int i = how.section(u' ', 0, 0).toInt(); i > 0; --i)
        Q_EMIT dialog->Replace();
    QCOMPARE(memo->FullText(), result);
    QCOMPARE(selectionOf(memo), selection);
    QCOMPARE(shownMessages(h.prompts), QStringList({Finished, cannotFind(find)}).mid(0, reports));
}

// Replace All is one edit: the colours of the text around the matches move along with it,
// and one Undo brings back the whole text.
void TestSearch::replaceAllKeepsColoursAndIsUndoneInOneStep()
{
    MainWindowHarness h;
    const QString text = "red cat\nblue cat cat\ngreen";
    TScrollMemo* memo = h.showWithText(text);
    QVERIFY(memo);
    memo->SetRangeColor(0, 3, Qt::red);
    memo->SetRangeColor(9, 4, Qt::blue);
    memo->SetRangeColor(23, 5, Qt::green);
    h.form1->ReplaceDialog1->SetFindText("cat");
    h.form1->ReplaceDialog1->SetReplaceText("tiger");
    h.prompts.answerMessage(Answer::Ok);
    Q_EMIT h.form1->ReplaceDialog1->ReplaceAll();

    QCOMPARE(memo->FullText(), QString("red tiger\r\nblue tiger tiger\r\ngreen"));
    QStringList colored; // in positions of the document, one character a line break
    for (const ColorRange& range : memo->Colors().ranges())
        colored << QStringLiteral("%1-%2 %3")
                       .arg(range.start)
                       .arg(range.end)
                       .arg(QColor::fromRgb(range.color).name());
    QCOMPARE(colored, QStringList({"0-3 #ff0000", "10-14 #0000ff", "27-32 #00ff00"}));

    TRIGGER_ACTION(h.form1.get(), "Undo1");
    QCOMPARE(memo->FullText(), crLf(text));
    QVERIFY(!memo->CanUndo());
}

void TestSearch::randomTextsAgreeWithTheReferenceLoops_data()
{
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::newRow("ignoring case") << false << false;
    QTest::newRow("match case") << true << false;
    QTest::newRow("whole word") << false << true;
    QTest::newRow("match case, whole word") << true << true;
}

// Replace All against the replace-and-search-on loop, searching up against repeated
// searches forward, and the occurrences Find and Highlight colours against searches that
// go on one character after each match.
void TestSearch::randomTextsAgreeWithTheReferenceLoops()
{
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText(QString());
    QVERIFY(memo);
    TScrollMemo reference;
    TReplaceDialog* dialog = h.form1->ReplaceDialog1;
    dialog->SetOptions(matchCase, wholeWord);
    const QString alphabet = QStringLiteral("aAb ,\n");
    const QStringList finds{"a", "aa", "ab", "A b", ",a", "a a", "a\nb", "\n"};
    const QStringList replacements{"", "x", "aa", "ab,", ",", "b\na"};
    QRandomGenerator random(20240607u + (matchCase ? 1 : 0) + (wholeWord ? 2 : 0));
    for (int round = 0; round < 1000; ++round) {
        QString text; // characters and search texts, so that matches often meet
        for (int i = random.bounded(10); i > 0; --i)
            text += random.bounded(3) == 0
                        ? finds.at(random.bounded(int(finds.size())))
                        : QString(alphabet.at(random.bounded(int(alphabet.size()))));
        const QString find = finds.at(random.bounded(int(finds.size())));
        const QString replacement = replacements.at(random.bounded(int(replacements.size())));
        const QString lines = crLf(text);
        int start = random.bounded(int(lines.size()) + 1);
        int length = random.bounded(4);
        if (random.bounded(3) == 0) { // often a selected occurrence
            const qsizetype p = lines.indexOf(crLf(find), start, Qt::CaseInsensitive);
            if (p >= 0) {
                start = int(p);
                length = int(crLf(find).size());
            }
        }
        for (TScrollMemo* m : {memo, &reference}) {
            m->SetFullText(text);
            m->SetSelStart(start);
            m->SetSelLength(length);
        }
        const QString scenario =
            QStringLiteral("\"%1\" [%2,%3] \"%4\" by \"%5\"")
                .arg(text, QString::number(start), QString::number(length), find, replacement);
        dialog->SetFindText(find);
        dialog->SetReplaceText(replacement);
        h.form1->FindDialog1->SetFindText(find);
        h.prompts.answerMessage(Answer::Ok);
        Q_EMIT dialog->ReplaceAll();
        referenceReplaceAll(reference, find, replacement, matchCase, wholeWord);
        QCOMPARE(scenario + outcome(*memo), scenario + outcome(reference));

        const int caret = random.bounded(reference.TextLength() + 1);
        memo->SetSelStart(caret);
        reference.SetSelStart(caret);
        int last = -1;
        for (int p = reference.FindTextRange(find, 0, reference.SelStart(), matchCase, wholeWord);
             p >= 0; p = reference.FindTextRange(find, last + 1, reference.SelStart() - last - 1,
                                                 matchCase, wholeWord))
            last = p;
        if (last >= 0) {
            reference.SetSelStart(last);
            reference.SetSelLength(int(crLf(find).size()));
        } else {
            h.prompts.answerMessage(Answer::Ok);
        }
        h.form1->SearchUp(memo, find, false, false, {matchCase, wholeWord});
        QCOMPARE(scenario + " up from " + QString::number(caret) + outcome(*memo),
                 scenario + " up from " + QString::number(caret) + outcome(reference));

        QList<int> occurrences;
        for (int p = reference.FindTextRange(find, 0, -1, false, wholeWord); p >= 0;
             p = reference.FindTextRange(find, p + 1, -1, false, wholeWord))
            occurrences << p;
        QCOMPARE(AllOccurrences(reference.FullText(), crLf(find), wholeWord), occurrences);
    }
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
