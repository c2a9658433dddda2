// The editor control at its edges as a user meets them: keys measured against
// QPlainTextEdit, the view and its scroll bars while the text changes, undo steps of
// deleting, and a large file's load: its first lines, a cancel, another load meanwhile.

#include "support/TestQueries.h"

#include "app/Scrlmemo.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

using Keys = QList<QKeyCombination>;

QFont testFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    return font;
}

// A large file of numbered lines, loaded in the background.
QByteArray largeText(const QByteArray& lineBreak)
{
    QByteArray bytes;
    bytes.reserve(18 << 20);
    for (int n = 0; bytes.size() < (17 << 20); ++n)
        bytes += "line " + QByteArray::number(n) + " of the large file" + lineBreak;
    return bytes;
}

void pressEscDuringTheNextLoad(QWidget* target)
{
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

} // namespace

class TestTextEdges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysMoveAsInQPlainTextEdit_data();
    void keysMoveAsInQPlainTextEdit();
    void horizontalRangeShrinksWhenTheLongLineGoes();
    void verticalRangeShrinksWithTheText();
    void caretStaysInViewWhileTypingAtTheBottomUnderWrap();
    void typingInALongWrappedLineKeepsTheViewStill();
    void veryLongLinesWrapBetweenWords();
    void deletingASelectionIsAStepOfItsOwn();
    void cancelledLoadKeepsTheFormatOfTheEmptyDocument();
    void loadStartedByATimerDuringALoadGivesBothTexts();
    void cancelledReloadOfAModifiedTextKeepsItsUndoHistory();
    void fileHeadShowsLinesOfEveryBreakKind();

private:
    QTemporaryDir m_dir;
};

void TestTextEdges::keysMoveAsInQPlainTextEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<int>("start");
    QTest::addColumn<Keys>("keys");

    const QKeyCombination down(Qt::Key_Down);
    const QKeyCombination up(Qt::Key_Up);
    QTest::newRow("up and down keep the column over short lines and tabs")
        << QString("0123456789abcdefghij\nab\n\t\tcd\n\n0123456789abcdefghij") << false << 15
        << Keys{down, down, down, down, up, up, up, up};
    const QString wrapped = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu "
                            "nu xi omicron pi rho sigma tau upsilon phi chi psi omega\nend";
    const QKeyCombination end(Qt::Key_End);
    const QKeyCombination home(Qt::Key_Home);
    QTest::newRow("home and end on wrapped lines")
        << wrapped << true << 0 << Keys{end, end, down, end, home, down, down, end, up, up};
    QTest::newRow("end on a line wrapped inside a word")
        << QString(QString(70, u'x') + "\nend") << true << 5 << Keys{end, end, up, home, end, down};
    const QKeyCombination selectDown(Qt::ShiftModifier, Qt::Key_Down);
    const QKeyCombination selectUp(Qt::ShiftModifier, Qt::Key_Up);
    const QKeyCombination selectRight(Qt::ShiftModifier, Qt::Key_Right);
    QTest::newRow("shift and down on the last line select to the end")
        << QString("ab\ncdef") << false << 1 << Keys{selectDown, selectDown};
    QTest::newRow("shift and up on the first line select to the start")
        << QString("abcd\nef") << false << 6 << Keys{selectUp, selectUp};
    QTest::newRow("up on the first line keeps the selection")
        << QString("abcd\nef") << false << 1 << Keys{selectRight, up};
    QString lines;
    for (int n = 0; n < 60; ++n)
        lines += QStringLiteral("line %1 %2\n").arg(n).arg(QString(n % 7, u'x'));
    lines.chop(1);
    const QKeyCombination pageDown(Qt::Key_PageDown);
    const QKeyCombination pageUp(Qt::Key_PageUp);
    QTest::newRow("page down to the end") << lines << false << 3 << Keys(7, pageDown);
    QTest::newRow("page up near the top")
        << lines << false << int(lines.indexOf("line 2")) + 3 << Keys{pageUp, pageUp};
    QTest::newRow("page up from the middle")
        << lines << false << int(lines.indexOf("line 40")) << Keys(5, pageUp);
    QTest::newRow("page down under wrap")
        << QString(lines).replace("line 1", "a long line that wraps at least once here 1") << true
        << 3 << Keys(7, pageDown);
    const QKeyCombination wordRight(Qt::ControlModifier, Qt::Key_Right);
    const QKeyCombination wordLeft(Qt::ControlModifier, Qt::Key_Left);
    QTest::newRow("word moves over punctuation and line ends")
        << QString("foo, bar.baz(qux)  \n  end.\n\n--last") << false << 0
        << Keys(12, wordRight) + Keys(10, wordLeft);
}

// The caret lands where QPlainTextEdit, the control it replaces, puts it, key by key.
void TestTextEdges::keysMoveAsInQPlainTextEdit()
{
    QFETCH(QString, text);
    QFETCH(bool, wrap);
    QFETCH(int, start);
    QFETCH(Keys, keys);

    TScrollMemo memo;
    memo.SetEditorFont(testFont(), Qt::black);
    memo.SetWordWrap(wrap);
    memo.SetFullText(QString(text).replace(u'\n', QStringLiteral("\r\n")));
    QPlainTextEdit plain;
    plain.setFont(memo.font());
    plain.setTabStopDistance(8 * QFontMetricsF(memo.font()).horizontalAdvance(u' '));
    plain.setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    plain.setVerticalScrollBarPolicy(memo.verticalScrollBarPolicy());
    plain.setHorizontalScrollBarPolicy(memo.horizontalScrollBarPolicy());
    plain.setPlainText(text);
    for (QWidget* widget : {static_cast<QWidget*>(&memo), static_cast<QWidget*>(&plain)}) {
        widget->resize(260, 180);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget));
    }
    QCOMPARE(memo.viewport()->size(), plain.viewport()->size());
    memo.setSelection(start, start);
    QTextCursor cursor = plain.textCursor();
    cursor.setPosition(start);
    plain.setTextCursor(cursor);

    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(&memo, keys[i].key(), keys[i].keyboardModifiers());
        QTest::keyClick(&plain, keys[i].key(), keys[i].keyboardModifiers());
        const QTextCursor expected = plain.textCursor();
        QVERIFY2(memo.position() == expected.position() && memo.anchor() == expected.anchor(),
                 qPrintable(QStringLiteral("key %1 (%2): %3 to %4, QPlainTextEdit %5 to %6")
                                .arg(i)
                                .arg(QKeySequence(keys[i]).toString())
                                .arg(memo.anchor())
                                .arg(memo.position())
                                .arg(expected.anchor())
                                .arg(expected.position())));
    }
}

// Once the only line wider than the view is deleted, there is nothing to scroll to the
// side, as in QPlainTextEdit.
void TestTextEdges::horizontalRangeShrinksWhenTheLongLineGoes()
{
    TScrollMemo memo;
    memo.SetEditorFont(testFont(), Qt::black);
    memo.SetWordWrap(false);
    QString text = "short\r\n" + QString(400, u'x') + "\r\nshort";
    for (int n = 0; n < 100; ++n)
        text += "\r\nmore";
    memo.SetFullText(text);
    memo.resize(300, 200);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetSelStart(7 + 400);
    memo.ScrollCaretIntoView();
    QVERIFY(memo.horizontalScrollBar()->maximum() > 0);
    QVERIFY(memo.horizontalScrollBar()->value() > 0);

    memo.SetSelStart(7);
    memo.SetSelLength(402);
    memo.DeleteSelection();
    QTest::qWait(50);
    QCOMPARE(memo.horizontalScrollBar()->maximum(), 0);
    QCOMPARE(memo.horizontalScrollBar()->value(), 0);
}

// Scrolled to the end of a long text, the lines deleted at its end leave a text that fits:
// there is nothing left to scroll, with or without word wrap.
void TestTextEdges::verticalRangeShrinksWithTheText()
{
    for (const bool wrap : {false, true}) {
        TScrollMemo memo;
        memo.SetEditorFont(testFont(), Qt::black);
        memo.SetWordWrap(wrap);
        QString text;
        for (int n = 0; n < 200; ++n)
            text += QStringLiteral("line %1 with some words to wrap in a narrow view\r\n").arg(n);
        memo.SetFullText(text);
        memo.resize(300, 200);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.SetSelStart(memo.TextLength());
        memo.ScrollCaretIntoView();
        QVERIFY(memo.verticalScrollBar()->value() > 0);

        memo.SetSelStart(memo.LineIndex(2));
        memo.SetSelLength(memo.TextLength());
        memo.DeleteSelection();
        QTest::qWait(50);
        QCOMPARE(memo.verticalScrollBar()->maximum(), 0);
        QCOMPARE(memo.verticalScrollBar()->value(), 0);
        QVERIFY(memo.viewport()->rect().contains(memo.cursorRect()));
    }
}

// Text typed at the end of the text under word wrap keeps the caret in view as it wraps.
void TestTextEdges::caretStaysInViewWhileTypingAtTheBottomUnderWrap()
{
    TScrollMemo memo;
    memo.SetEditorFont(testFont(), Qt::black);
    memo.SetWordWrap(true);
    QString text;
    for (int n = 0; n < 40; ++n)
        text += QStringLiteral("line %1\r\n").arg(n);
    memo.SetFullText(text);
    memo.resize(200, 150);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetSelStart(memo.TextLength());
    memo.ScrollCaretIntoView();
    for (int n = 0; n < 12; ++n) {
        QTest::keyClicks(&memo, "words that wrap ");
        QVERIFY2(memo.viewport()->rect().contains(memo.cursorRect()),
                 qPrintable(QStringLiteral("after %1 runs the caret is out of view").arg(n + 1)));
    }
}

// Typing in the middle of a long wrapped line whose start is above the view: the view stays
// where it is and the caret where it was on screen, as in QPlainTextEdit.
void TestTextEdges::typingInALongWrappedLineKeepsTheViewStill()
{
    QString words;
    for (int n = 0; n < 600; ++n)
        words += QStringLiteral("word%1 ").arg(n);
    TScrollMemo memo;
    memo.SetEditorFont(testFont(), Qt::black);
    memo.SetWordWrap(true);
    memo.SetFullText("first\r\n" + words + "\r\nlast");
    QPlainTextEdit plain;
    plain.setFont(memo.font());
    plain.setPlainText("first\n" + words + "\nlast");
    for (QWidget* widget : {static_cast<QWidget*>(&memo), static_cast<QWidget*>(&plain)}) {
        widget->resize(300, 200);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget));
    }
    // The caret in the middle of the line, and a few rows up from the bottom of the view.
    const int middle = 6 + int(words.indexOf("word300 "));
    memo.setSelection(middle, middle);
    memo.ensureCaretVisible();
    QTextCursor cursor = plain.textCursor();
    cursor.setPosition(middle);
    plain.setTextCursor(cursor);
    plain.ensureCursorVisible();
    for (int n = 0; n < 3; ++n) {
        QTest::keyClick(&memo, Qt::Key_Up);
        QTest::keyClick(&plain, Qt::Key_Up);
    }
    const int memoY = memo.cursorRect().y();
    const int plainY = plain.cursorRect().y();
    QVERIFY(memoY > memo.cursorRect().height());

    QTest::keyClick(&memo, Qt::Key_A);
    QTest::keyClick(&plain, Qt::Key_A);
    QCOMPARE(plain.cursorRect().y(), plainY);
    QCOMPARE(memo.cursorRect().y(), memoY);
}

// A line of words far longer than the view lays out at once still wraps between words
// only, as QPlainTextEdit wraps it: no word is cut in two and no row ends short early.
void TestTextEdges::veryLongLinesWrapBetweenWords()
{
    QString words;
    for (int n = 0; words.size() < 40000; ++n)
        words += QStringLiteral("word%1 ").arg(n % 100, 2, 10, QChar(u'0'));
    TScrollMemo memo;
    memo.SetEditorFont(testFont(), Qt::black);
    memo.SetWordWrap(true);
    memo.SetFullText(words + "\r\nnext");
    memo.resize(300, 200);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    const int rows = memo.LineFromChar(int(words.size()));
    QVERIFY(rows > 100);
    // Every word is seven characters with its blank: every row starts with a word.
    for (int row = 1; row < rows; ++row) {
        const int start = memo.LineIndex(row);
        QVERIFY2(
            start % 7 == 0,
            qPrintable(QStringLiteral("row %1 starts at %2, inside a word").arg(row).arg(start)));
    }
}

// As in QPlainTextEdit, a selection taken away by Backspace or Delete is one step, and the
// key pressed next another: one undo does not take back both.
void TestTextEdges::deletingASelectionIsAStepOfItsOwn()
{
    TScrollMemo memo;
    memo.SetFullText("one two three");
    memo.SetModifiedFlag(false);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetSelStart(4);
    memo.SetSelLength(3);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QCOMPARE(memo.FullText(), QString("one three"));
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("one  three"));
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("one two three"));

    // A word taken by Ctrl+Backspace is a step of its own too.
    memo.SetSelStart(13);
    QTest::keyClick(&memo, Qt::Key_Backspace, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QCOMPARE(memo.FullText(), QString("one two"));
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("one two "));
}

// A new empty document whose load is cancelled is the document it was, also in the format
// its next save writes.
void TestTextEdges::cancelledLoadKeepsTheFormatOfTheEmptyDocument()
{
    const QString path = m_dir.filePath("cancelled.txt");
    QVERIFY(writeFile(path, largeText("\n")));
    TScrollMemo memo;
    memo.resize(400, 300);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetFormat({TextEncoding::Latin1, LineBreak::CrLf});
    pressEscDuringTheNextLoad(&memo);
    const FileResult result = memo.LoadLinesFromFile(path);
    QVERIFY(!result.ok);
    QVERIFY(memo.LoadCancelled());
    QCOMPARE(memo.FullText(), QString());
    QCOMPARE(memo.Format().encoding, TextEncoding::Latin1);
    QCOMPARE(memo.Format().lineBreak, LineBreak::CrLf);
}

// A timer of the program that opens a second large file while the first loads: both end
// up with their own text, and neither is cancelled or left read-only.
void TestTextEdges::loadStartedByATimerDuringALoadGivesBothTexts()
{
    const QString firstPath = m_dir.filePath("first.txt");
    const QString secondPath = m_dir.filePath("second.txt");
    const QByteArray first = largeText("\n");
    const QByteArray second = largeText("\r\n");
    QVERIFY(writeFile(firstPath, first));
    QVERIFY(writeFile(secondPath, second));
    TScrollMemo memo;
    TScrollMemo other;
    for (TScrollMemo* each : {&memo, &other}) {
        each->resize(300, 200);
        each->show();
        QVERIFY(QTest::qWaitForWindowExposed(each));
    }
    FileResult otherResult = FileResult::failure("not loaded");
    QTimer::singleShot(0, &other, [&] { otherResult = other.LoadLinesFromFile(secondPath); });
    const FileResult result = memo.LoadLinesFromFile(firstPath);
    QVERIFY(result.ok);
    QVERIFY(otherResult.ok);
    QCOMPARE(memo.LineCount(), first.count('\n'));
    QCOMPARE(other.LineCount(), second.count('\n'));
    QCOMPARE(memo.Format().lineBreak, LineBreak::Lf);
    QCOMPARE(other.Format().lineBreak, LineBreak::CrLf);
    QVERIFY(!memo.isReadOnly());
    QVERIFY(!other.isReadOnly());
}

// Esc during the reload of a modified text leaves it as it was: its text, its undo steps
// and its modified state.
void TestTextEdges::cancelledReloadOfAModifiedTextKeepsItsUndoHistory()
{
    const QString path = m_dir.filePath("reload.txt");
    QVERIFY(writeFile(path, largeText("\n")));
    TScrollMemo memo;
    memo.resize(400, 300);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetFullText("kept");
    memo.SetModifiedFlag(false);
    memo.SetSelStart(4);
    QTest::keyClicks(&memo, " text");
    pressEscDuringTheNextLoad(&memo);
    QVERIFY(!memo.LoadLinesFromFile(path).ok);
    QVERIFY(memo.LoadCancelled());
    QCOMPARE(memo.FullText(), QString("kept text"));
    QVERIFY(memo.ModifiedFlag());
    QVERIFY(!memo.isReadOnly());
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("kept"));
    QVERIFY(!memo.ModifiedFlag());
}

// While a large file loads, its first lines show, whatever breaks end them: also a file of
// CR breaks (as old Mac files have).
void TestTextEdges::fileHeadShowsLinesOfEveryBreakKind()
{
    const QString path = m_dir.filePath("mac.txt");
    QVERIFY(writeFile(path, largeText("\r")));
    TScrollMemo memo;
    memo.resize(400, 300);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    int linesShown = -1;
    QTimer::singleShot(0, &memo, [&memo, &linesShown] { linesShown = memo.LineCount(); });
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QVERIFY(linesShown > 100);
}

QTEST_MAIN(TestTextEdges)
#include "tst_textedges.moc"
