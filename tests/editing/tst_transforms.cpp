// Copy Special, Paste Special and Replace Special: the text transforms as plain functions,
// and the dialogs driving real documents and the clipboard.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/TextCompare.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "editing/TextTransforms.h"
#include "editing/Unit6.h"
#include "editing/Unit9.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStackedWidget>
#include <QTest>

Q_DECLARE_METATYPE(ReplacementOutcome)

namespace
{

// Replace Special's loop as it reads: replace the first occurrence, search again from the
// start. nullopt when it has not ended after maxPasses replacements or has grown beyond
// maxLength.
std::optional<QString> literalReplacement(const QString& text, const QString& find,
                                          const QString& replacement, bool matchCase, int maxPasses,
                                          int maxLength)
{
    QString working = text;
    const QString key = matchCase ? find : AsciiUpperCase(find);
    for (int pass = 0;; ++pass) {
        const QString search = matchCase ? working : AsciiUpperCase(working);
        const qsizetype at = key.isEmpty() ? -1 : search.indexOf(key);
        if (at < 0)
            return working;
        if (pass == maxPasses || working.size() > maxLength)
            return std::nullopt;
        working.replace(at, find.size(), replacement);
    }
}

QString replaced(const QString& text, const QString& find, const QString& replacement,
                 bool matchCase)
{
    return ApplyTextEdits(text, RepeatedReplacementEdits(text, find, replacement, matchCase).edits);
}

QString randomText(QRandomGenerator& random, int maxLength, const QList<QString>& pieces)
{
    QString text;
    const int length = int(random.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        text += pieces[int(random.bounded(int(pieces.size())))];
    return text;
}

QString clipboard()
{
    return QGuiApplication::clipboard()->text();
}

// Fills the open Replace Special dialog's two boxes.
void setReplaceTexts(const MainWindowHarness& h, const QString& find, const QString& replacement)
{
    h.form9->Memo1->SetFullText(find);
    h.form9->Memo2->SetFullText(replacement);
}

// Presses Replace All, answering the messages it is to show with OK.
void pressReplaceAll(MainWindowHarness& h, int messages = 1)
{
    for (int i = 0; i < messages; ++i)
        h.prompts.answerMessage(Answer::Ok);
    h.form9->Button1Click();
}

} // namespace

class TestTransforms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void repeatedReplacement_data();
    void repeatedReplacement();
    void replacementsThatDoNotEnd_data();
    void replacementsThatDoNotEnd();
    void repeatedReplacementMatchesTheLoop();
    void editsLeaveUnchangedStretchesAlone();
    void longFindInRepetitiveText();
    void transforms_data();
    void transforms();

    void copySpecial_data();
    void copySpecial();
    void copyAppendsAcrossTheClipboardBoundary();
    void copiesHighlightedTextOnly();
    void pasteSpecial_data();
    void pasteSpecial();
    void dialogIsPseudoModal();

    void replacesInAllDocuments();
    void replacesInSelectedDocuments();
    void replacesAcrossLineBreaks();
    void changedDocumentKeepsCaretAndHighlights();
    void documentThatWouldNotEndIsLeftAlone();
};

void TestTransforms::repeatedReplacement_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("formed again") << "abb" << "ab" << "a" << false << "a";
    QTest::newRow("a-z either case") << "x X" << "x" << "y" << false << "y y";
    QTest::newRow("match case") << "x X" << "x" << "y" << true << "y X";
    QTest::newRow("accents keep their case") << "é É" << "é" << "e" << false << "e É";
    QTest::newRow("two lines") << "a\r\nb a b" << "a\r\nb" << "c" << false << "c a b";
    QTest::newRow("empty find") << "abc" << "" << "x" << false << "abc";
    QTest::newRow("find longer than text") << "ab" << "abc" << "x" << false << "ab";
    QTest::newRow("nothing found") << "abc" << "d" << "x" << false << "abc";
    QTest::newRow("deletion joins") << "aabb" << "ab" << "" << true << "";
    QTest::newRow("cascade across text") << "aaaaab" << "ab" << "b" << false << "b";
    // Many replacements for a short text, ending by themselves.
    QTest::newRow("quadratic") << QString(3000, u'a') + QString(3000, u'b') << "ab" << "ba"
                               << true << QString(3000, u'b') + QString(3000, u'a');
    // These would never end: one pass over the text, the replacements not searched again.
    QTest::newRow("holds find") << "aXa" << "a" << "aa" << false << "aaXaa";
    QTest::newRow("holds find folded") << "xXx" << "x" << "X" << false << "XXX";
    QTest::newRow("same text") << "abc" << "b" << "b" << true << "abc";
    // clang-format on
}

void TestTransforms::repeatedReplacement()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(bool, matchCase);
    QFETCH(QString, expected);
    const ReplacementResult result = RepeatedReplacementEdits(text, find, replacement, matchCase);
    QCOMPARE(result.outcome, ReplacementOutcome::Done);
    QCOMPARE(ApplyTextEdits(text, result.edits), expected);
    QCOMPARE(result.edits.empty(), expected == text);
}

// Replacements that make new occurrences again and again stop at limits of work and size,
// leaving the text as it was.
void TestTransforms::replacementsThatDoNotEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<ReplacementOutcome>("outcome");

    // clang-format off
    QTest::newRow("grows for ever") << "aab" << "ab" << "bbaa" << ReplacementOutcome::TooLarge;
    QTest::newRow("grows exponentially") << "a" + QString(40, u'b') << "ab" << "baaa"
                                         << ReplacementOutcome::TooLarge;
    QTest::newRow("one pass too large") << QString(4000000, u'a') << "a" << QString(10, u'a')
                                        << ReplacementOutcome::TooLarge;
    QTest::newRow("takes too long") << QString(20000, u'a') + QString(20000, u'b') << "ab"
                                    << "ba" << ReplacementOutcome::Endless;
    // clang-format on
}

void TestTransforms::replacementsThatDoNotEnd()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(ReplacementOutcome, outcome);
    const ReplacementResult result = RepeatedReplacementEdits(text, find, replacement, true);
    QCOMPARE(result.outcome, outcome);
    QVERIFY(result.edits.empty());
}

// The one-scan version against the loop itself, on random small texts where the loop ends.
void TestTransforms::repeatedReplacementMatchesTheLoop()
{
    QRandomGenerator random(20261208);
    const QList<QString> pieces{"a", "b", "A", "B", "\r\n", "é"};
    int compared = 0;
    for (int round = 0; round < 20000; ++round) {
        const QString text = randomText(random, 12, pieces);
        const QString find = randomText(random, 3, pieces);
        const QString replacement = randomText(random, 3, pieces);
        const bool matchCase = random.bounded(2) == 0;
        const auto expected = literalReplacement(text, find, replacement, matchCase, 500, 200);
        if (!expected)
            continue;
        ++compared;
        const QString actual = replaced(text, find, replacement, matchCase);
        if (actual != *expected)
            QFAIL(qPrintable(QString("'%1': '%2' -> '%3' (match case %4) gave '%5', not '%6'")
                                 .arg(text, find, replacement)
                                 .arg(matchCase)
                                 .arg(actual, *expected)));
    }
    QVERIFY(compared > 15000);
}

void TestTransforms::editsLeaveUnchangedStretchesAlone()
{
    const std::vector<TextEdit> edits =
        RepeatedReplacementEdits(u"xabbx--ab", u"ab", u"a", true).edits;
    QCOMPARE(int(edits.size()), 2);
    QCOMPARE(edits[0].pos, 1);
    QCOMPARE(edits[0].removed, 3);
    QCOMPARE(edits[0].inserted, "a");
    QCOMPARE(edits[1].pos, 7);
    QCOMPARE(edits[1].removed, 2);
}

// A search that compares the find text from its end would take text length times find
// length here.
void TestTransforms::longFindInRepetitiveText()
{
    const QString find = "b" + QString(5000, u'a');
    const QString text = QString(1000000, u'a') + find;
    for (const QString& replacement : {QString("x"), find + "!"}) {
        const std::vector<TextEdit> edits =
            RepeatedReplacementEdits(text, find, replacement, true).edits;
        QCOMPARE(int(edits.size()), 1);
        QCOMPARE(edits.front().pos, 1000000);
        QCOMPARE(edits.front().inserted, replacement);
    }
    QCOMPARE(RemoveRepeatedly(text, find), QString(1000000, u'a'));
}

void TestTransforms::transforms_data()
{
    QTest::addColumn<QString>("transform");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("remove anywhere") << "remove >>"
                                     << ">> a\r\n>>> b"
                                     << " a\r\n> b";
    QTest::newRow("remove formed") << "remove >>"
                                   << ">>>>"
                                   << "";
    QTest::newRow("remove formed by deletion") << "remove >>"
                                               << ">>>>>"
                                               << ">";
    QTest::newRow("breaks") << "breaks"
                            << "a\r\nb\r\n"
                            << "ab";
    QTest::newRow("lone breaks stay") << "breaks"
                                      << "a\rb\nc\n\r"
                                      << "a\rb\nc\n\r";
    QTest::newRow("html") << "html"
                          << "<p>Hi</p>\r\n<b>you</b>"
                          << "Hiyou";
    QTest::newRow("stray >") << "html"
                             << "a > b"
                             << "a  b";
    QTest::newRow("entity stays") << "html"
                                  << "<i>&amp;</i>"
                                  << "&amp;";
    QTest::newRow("> then CR only") << "html"
                                    << "<br>\rx"
                                    << "";
    QTest::newRow("unclosed tag") << "html"
                                  << "a<b c"
                                  << "a";
    QTest::newRow("upper") << "upper"
                           << "abz é ß ÿ"
                           << "ABZ é ß ÿ";
    QTest::newRow("lower") << "lower"
                           << "ABZ É"
                           << "abz É";
}

void TestTransforms::transforms()
{
    QFETCH(QString, transform);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString actual;
    if (transform == "remove >>")
        actual = RemoveRepeatedly(text, u">>");
    else if (transform == "breaks")
        actual = RemoveLineBreaks(text);
    else if (transform == "html")
        actual = StripHtml(text);
    else if (transform == "upper")
        actual = AsciiUpperCase(text);
    else
        actual = AsciiLowerCase(text);
    QCOMPARE(actual, expected);
}

void TestTransforms::copySpecial_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("expected"); // on the clipboard, with LF breaks

    QTest::newRow("remove") << int(TForm6::CopyRemove) << ">>"
                            << ">> a\r\n>>> b"
                            << " a\n> b";
    QTest::newRow("remove nothing") << int(TForm6::CopyRemove) << ""
                                    << "a>>"
                                    << "a>>";
    QTest::newRow("breaks") << int(TForm6::RemoveBreaks) << ">>"
                            << "a\r\nb\r\n"
                            << "ab";
    QTest::newRow("append") << int(TForm6::AppendText) << ">>"
                            << "x\r\ny"
                            << "clip\nx\ny";
}

void TestTransforms::copySpecial()
{
    QFETCH(int, choice);
    QFETCH(QString, removed);
    QFETCH(QString, selected);
    QFETCH(QString, expected);
    MainWindowHarness h;
    const QString text = "<" + selected + ">";
    TScrollMemo* memo = h.showWithText(text, 1, int(selected.size()));
    QVERIFY(memo);
    QGuiApplication::clipboard()->setText("clip\n");
    TRIGGER_ACTION(h.form1.get(), "CopySpecial1");
    QCOMPARE(h.form6->windowTitle(), "Copy Special");
    QCOMPARE(h.form6->Button1->text(), "Copy");
    QCOMPARE(h.form6->Notebook1->currentIndex(), int(TForm6::CopyPage));
    h.form6->RadioGroup2->button(choice)->setChecked(true);
    h.form6->Edit1->setText(removed);
    QTest::mouseClick(h.form6->Button1, Qt::LeftButton);
    QCOMPARE(clipboard(), expected);
    QVERIFY(!h.form6->isVisible());
    QCOMPARE(memo->FullText(), text);
    QVERIFY(!memo->ModifiedFlag());
}

// A text copied from another program has LF breaks; appending to it keeps them.
void TestTransforms::copyAppendsAcrossTheClipboardBoundary()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("xy", 0, 1);
    QVERIFY(memo);
    QGuiApplication::clipboard()->setText("c\n");
    for (int pos : {0, 1}) {
        memo->SetSelStart(pos);
        memo->SetSelLength(1);
        TRIGGER_ACTION(h.form1.get(), "CopySpecial1");
        h.form6->RadioGroup2->button(TForm6::AppendText)->setChecked(true);
        h.form6->Button1Click();
    }
    QCOMPARE(clipboard(), "c\nxy");
}

void TestTransforms::copiesHighlightedTextOnly()
{
    MainWindowHarness h;
    const QString text = "zero one and two\r\nthree four";
    TScrollMemo* memo = h.showWithText(text);
    QVERIFY(memo);
    const QColor highlight = h.form1->HighlightColor;
    memo->SetRangeColor(0, 4, QColor(Qt::blue)); // another colour is not highlighting
    memo->SetRangeColor(5, 3, highlight);        // one
    memo->SetRangeColor(13, 8, highlight);       // two, the line break, thr
    memo->SetRangeColor(22, 2, highlight);       // the last e of three and the blank
    memo->SetSelStart(0);
    memo->SetSelLength(memo->TextLength());
    TRIGGER_ACTION(h.form1.get(), "CopySpecial1");
    h.form6->RadioGroup2->button(TForm6::HighlightedOnly)->setChecked(true);
    h.form6->Button1Click();
    QCOMPARE(clipboard(), "one two\nthr e ");

    // A selection without highlighting copies an empty text; the document stays plain.
    memo->SetSelStart(0);
    memo->SetSelLength(4);
    TRIGGER_ACTION(h.form1.get(), "CopySpecial1");
    h.form6->Button1Click();
    QCOMPARE(clipboard(), "");
    QVERIFY(!memo->ModifiedFlag());
    QCOMPARE(memo->FullText(), text);
}

void TestTransforms::pasteSpecial_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("clipboardText"); // as another program leaves it
    QTest::addColumn<QString>("expected");      // the document after the paste

    QTest::newRow("upper") << int(TForm6::UpperCase) << "héllo\nwörld"
                           << "[HéLLO\r\nWöRLD]";
    QTest::newRow("lower") << int(TForm6::LowerCase) << "ÀB C"
                           << "[Àb c]";
    QTest::newRow("remove") << int(TForm6::PasteRemove) << ">>> a\n>> b"
                            << "[> a\r\n b]";
    QTest::newRow("html") << int(TForm6::StripHtmlTags) << "<p>Hi</p>\n<b>you</b>"
                          << "[Hiyou]";
}

void TestTransforms::pasteSpecial()
{
    QFETCH(int, choice);
    QFETCH(QString, clipboardText);
    QFETCH(QString, expected);
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("[selected]", 1, 8);
    QVERIFY(memo);
    QGuiApplication::clipboard()->setText(clipboardText);
    TRIGGER_ACTION(h.form1.get(), "PasteSpecial1");
    QCOMPARE(h.form6->windowTitle(), "Paste Special");
    QCOMPARE(h.form6->Button1->text(), "Paste");
    QCOMPARE(h.form6->Notebook1->currentIndex(), int(TForm6::PastePage));
    QCOMPARE(h.form6->Edit2->text(), ">>");
    h.form6->RadioGroup1->button(choice)->setChecked(true);
    h.form6->Button1Click();
    QCOMPARE(memo->FullText(), expected);
    QCOMPARE(clipboard(), clipboardText);
    memo->UndoLast();
    QCOMPARE(memo->FullText(), "[selected]");
}

void TestTransforms::dialogIsPseudoModal()
{
    MainWindowHarness h;
    QVERIFY(h.showWithText("abc", 0, 1));
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    TRIGGER_ACTION(h.form1.get(), "CopySpecial1");
    QVERIFY(h.form6->isVisible());
    QVERIFY(!h.form1->isEnabled());
    QVERIFY(h.form6->isEnabled());
    QVERIFY(!h.form1->StayOnTop);
    // The choices stay from one opening to the next; Esc closes without copying.
    h.form6->RadioGroup2->button(TForm6::RemoveBreaks)->setChecked(true);
    QGuiApplication::clipboard()->setText("kept");
    QTest::keyClick(h.form6, Qt::Key_Escape);
    QVERIFY(!h.form6->isVisible());
    QVERIFY(h.form1->isEnabled());
    QVERIFY(h.form1->StayOnTop);
    QCOMPARE(clipboard(), "kept");
    TRIGGER_ACTION(h.form1.get(), "CopySpecial1");
    QCOMPARE(h.form6->RadioGroup2->checkedId(), int(TForm6::RemoveBreaks));
    h.form6->close();
    QVERIFY(h.form1->isEnabled());

    TRIGGER_ACTION(h.form1.get(), "ReplaceSpecial1");
    QVERIFY(h.form9->isVisible());
    QVERIFY(!h.form1->isEnabled());
    QTest::keyClick(h.form9->Button2, Qt::Key_Space);
    QVERIFY(!h.form9->isVisible());
    QVERIFY(h.form1->isEnabled());
}

// Two documents changed, one untouched keeping its caret, selection, highlights, modified
// flag and undo history; a changed one is restored by one Undo.
void TestTransforms::replacesInAllDocuments()
{
    MainWindowHarness h;
    TScrollMemo* first = h.showWithText("abb");
    QVERIFY(first);
    TRIGGER_ACTION(h.form1.get(), "New1");
    TScrollMemo* untouched = h.form1->ActiveMemo();
    untouched->SetFullText("a b c");
    untouched->SetSelStart(2);
    untouched->SetSelLength(1);
    untouched->ReplaceSelection("B");
    untouched->SetSelStart(1);
    untouched->SetSelLength(3);
    untouched->SetRangeColor(0, 1, h.form1->HighlightColor);
    TRIGGER_ACTION(h.form1.get(), "New1");
    TScrollMemo* third = h.form1->ActiveMemo();
    third->SetFullText("xABy");

    TRIGGER_ACTION(h.form1.get(), "ReplaceSpecial1");
    setReplaceTexts(h, "ab", "a");
    h.prompts.answerMessage(Answer::Ok);
    QTest::mouseClick(h.form9->Button1, Qt::LeftButton);
    QCOMPARE(shownMessages(h.prompts),
             QStringList{"Information Ok: Tavro has finished going through the document(s)."});
    QVERIFY(h.form9->isVisible());
    QCOMPARE(first->FullText(), "a");
    QCOMPARE(third->FullText(), "xay");
    QVERIFY(first->ModifiedFlag());

    QCOMPARE(untouched->FullText(), "a B c");
    QCOMPARE(untouched->SelStart(), 1);
    QCOMPARE(untouched->SelLength(), 3);
    QVERIFY(untouched->ModifiedFlag());
    QCOMPARE(untouched->Colors().size(), std::size_t(1));
    untouched->UndoLast();
    QCOMPARE(untouched->FullText(), "a b c");

    first->UndoLast();
    QCOMPARE(first->FullText(), "abb");
    QVERIFY(!first->CanUndo());

    // With match case, nothing of "XAY" matches; the message comes all the same.
    third->SetFullText("XAY");
    h.form9->CheckBox1->setChecked(true);
    h.form9->Memo1->SetFullText("a");
    h.prompts.messages.clear();
    pressReplaceAll(h);
    QCOMPARE(third->FullText(), "XAY");
    QVERIFY(!third->CanUndo());
    QCOMPARE(h.prompts.messages.size(), 1);
}

void TestTransforms::replacesInSelectedDocuments()
{
    MainWindowHarness h;
    TScrollMemo* first = h.showWithText("one");
    QVERIFY(first);
    TRIGGER_ACTION(h.form1.get(), "New1");
    TScrollMemo* second = h.form1->ActiveMemo();
    second->SetFullText("one");
    TRIGGER_ACTION(h.form1.get(), "ReplaceSpecial1");
    h.form9->RadioButton2->setChecked(true);
    setReplaceTexts(h, "one", "two");

    // Nothing selected: nothing replaced, the message all the same.
    h.form7->ListView1->clearSelection();
    pressReplaceAll(h);
    QCOMPARE(first->FullText(), "one");
    QCOMPARE(second->FullText(), "one");
    QCOMPARE(h.prompts.messages.size(), 1);

    h.form7->EntryOf(h.form1->DocumentWindows().last())->setSelected(true);
    pressReplaceAll(h);
    QCOMPARE(first->FullText(), "two");
    QCOMPARE(second->FullText(), "one");
    QCOMPARE(h.prompts.messages.size(), 2);
}

void TestTransforms::replacesAcrossLineBreaks()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("a\r\nb a b\r\na\r\nb");
    QVERIFY(memo);
    TRIGGER_ACTION(h.form1.get(), "ReplaceSpecial1");
    // Typed into the box as two lines; the replacement spans two lines as well.
    QTest::keyClicks(h.form9->Memo1, "a");
    QTest::keyClick(h.form9->Memo1, Qt::Key_Return);
    QTest::keyClicks(h.form9->Memo1, "b");
    QCOMPARE(h.form9->Memo1->FullText(), "a\r\nb");
    h.form9->Memo2->SetFullText("1\r\n2");
    pressReplaceAll(h);
    QCOMPARE(memo->FullText(), "1\r\n2 a b\r\n1\r\n2");
    memo->UndoLast();
    QCOMPARE(memo->FullText(), "a\r\nb a b\r\na\r\nb");
}

// The caret, the selection and the highlights stay with the text around them.
void TestTransforms::changedDocumentKeepsCaretAndHighlights()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("ab ab\r\nyy ab", 8, 2);
    QVERIFY(memo);
    memo->SetRangeColor(7, 2, h.form1->HighlightColor); // "yy"
    TRIGGER_ACTION(h.form1.get(), "ReplaceSpecial1");
    setReplaceTexts(h, "ab", "long");
    pressReplaceAll(h);
    QCOMPARE(memo->FullText(), "long long\r\nyy long");
    QCOMPARE(memo->SelStart(), 12);
    QCOMPARE(memo->SelLength(), 2);
    QCOMPARE(memo->SelectedText(), "y ");
    const ColorRanges& colors = memo->Colors();
    QCOMPARE(colors.size(), std::size_t(1));
    QCOMPARE(memo->fromDocPos(colors.ranges().front().start), 11);
    QCOMPARE(memo->fromDocPos(colors.ranges().front().end), 13);
}

void TestTransforms::documentThatWouldNotEndIsLeftAlone()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("aab");
    QVERIFY(memo);
    TRIGGER_ACTION(h.form1.get(), "ReplaceSpecial1");
    setReplaceTexts(h, "ab", "bbaa");
    pressReplaceAll(h, 2);
    const QString caption = h.form1->ActiveDocumentWindow()->windowTitle();
    QCOMPARE(shownMessages(h.prompts),
             QStringList({"Error Ok: Tavro left " + caption +
                              " as it was: the replacements would make it more than four times "
                              "as large.",
                          "Information Ok: Tavro has finished going through the document(s)."}));
    QCOMPARE(memo->FullText(), "aab");
    QVERIFY(!memo->ModifiedFlag());
    QVERIFY(!memo->CanUndo());
}

QTEST_MAIN(TestTransforms)
#include "tst_transforms.moc"
