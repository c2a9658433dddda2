// The editor control: positions, raw text, files, undo, colours, lines and searching.

#include "app/Scrlmemo.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

namespace
{

const QColor Red(Qt::red);
const QColor Navy(0, 0, 128);

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void select(TScrollMemo& memo, int start, int length)
{
    memo.SetSelStart(start);
    memo.SetSelLength(length);
}

void typeText(TScrollMemo& memo, const QString& text)
{
    QTest::keyClicks(&memo, text);
}

} // namespace

class TestScrollMemo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positionsCountBreaksAsTwo();
    void positionBetweenCrAndLfIsLineEnd();
    void conversionsAgreeWithTheText_data();
    void conversionsAgreeWithTheText();
    void negativeSelLengthSelectsBackwards();
    void rawTextKeepsSpecialCharacters();
    void roundTripsFilesByteForByte_data();
    void roundTripsFilesByteForByte();
    void loadGivesCrLfTextAndRemembersFormat();
    void largeFileRoundTripsAcrossChunks();
    void failedLoadKeepsText();
    void failedSaveReportsAndKeepsOldFile();
    void latin1DocumentKeepsItsBytesAndAddsNewCharactersAsUtf8();
    void replaceSelectionIsOneUndoStep();
    void undoOfWholeTextReplacementSelectsAll();
    void lineTextAppendLineAndLineCount();
    void lineArithmeticUnderWordWrap();
    void screenLinesCountLinesNotDrawnYet();
    void colorsAreNotEditsAndFollowTheText();
    void colorIsInheritedByTextTypedAfterIt();
    void colorOnEmptySelectionAppliesToTypedText();
    void findTextRange_data();
    void findTextRange();
    void selStartDoesNotScrollButSelLengthDoes();
    void bulkUpdateCoalescesEvents();
    void keyDownCanSwallowKeysAndTabInsertsTab();
    void commandKeysAreLeftToCommands();
    void editorsOwnCopyKeepsRawText();
    void scrollEventsCarryTheScrollCode();
    void printsTheWholeTextAsOneJob();
    void charactersBeyond16BitsAreNeverSplit();
    void nothingTypedInsertsSeparatorCharacters();
    void pastedTextIsPlainOnEveryPath();
    void mixedLineBreaksSurviveAnUnchangedSaveAndTyping();
    void longWrappedDocumentsLearnTheirScreenLinesWhileIdle();
};

void TestScrollMemo::positionsCountBreaksAsTwo()
{
    TScrollMemo memo;
    memo.SetFullText("ab\r\ncd\r\n\r\nef");
    QCOMPARE(memo.TextLength(), 12);
    QCOMPARE(memo.FullText(), QString("ab\r\ncd\r\n\r\nef"));
    memo.SetSelStart(4);
    QCOMPARE(memo.SelStart(), 4);
    memo.SetSelLength(6); // "cd", CR LF, CR LF
    QCOMPARE(memo.SelectedText(), QString("cd\r\n\r\n"));
    QCOMPARE(memo.SelLength(), 6);
    QCOMPARE(memo.LineFromChar(5), 1);
    QCOMPARE(memo.LineFromChar(8), 2);
    QCOMPARE(memo.LineFromChar(12), 3);
    QCOMPARE(memo.LineIndex(2), 8);
    QCOMPARE(memo.LineIndex(3), 10);
    QCOMPARE(memo.LineIndex(4), -1);
    QCOMPARE(memo.LineLength(9), 0);
    QCOMPARE(memo.LineLength(10), 2);
    for (int pos : {0, 1, 2, 4, 6, 8, 10, 12})
        QCOMPARE(memo.fromDocPos(memo.toDocPos(pos)), pos);
}

void TestScrollMemo::positionBetweenCrAndLfIsLineEnd()
{
    TScrollMemo memo;
    memo.SetFullText("ab\r\ncd");
    memo.SetSelStart(3);
    QCOMPARE(memo.SelStart(), 2);
    QCOMPARE(memo.LineFromChar(3), 0);
    memo.SetSelStart(0);
    memo.SetSelLength(3); // the CR but not the LF: the break is not selected
    QCOMPARE(memo.SelectedText(), QString("ab"));
    memo.SetSelStart(100);
    QCOMPARE(memo.SelStart(), 6);
}

void TestScrollMemo::conversionsAgreeWithTheText_data()
{
    QTest::addColumn<QStringList>("lines");
    QStringList uneven;
    for (int i = 0; i < 300; ++i)
        uneven << QString(i % 7 == 0 ? 200 : i % 3, 'x');
    QTest::newRow("uneven lines") << uneven;
    QTest::newRow("empty lines only") << QStringList(500, QString());
    QTest::newRow("one long line, then empty ones")
        << (QStringList{QString(3000, 'y')} + QStringList(400, QString()));
    QTest::newRow("empty lines, then one long line")
        << (QStringList(400, QString()) + QStringList{QString(3000, 'z')});
}

void TestScrollMemo::conversionsAgreeWithTheText()
{
    QFETCH(QStringList, lines);
    TScrollMemo memo;
    memo.SetFullText(lines.join("\r\n"));
    const QString text = memo.FullText();
    // Walk the text once: every CR LF position maps to a document position that counts
    // each break as one character; the LF of a break maps to the end of its line.
    int docPos = 0;
    for (int pos = 0; pos <= text.size(); ++pos) {
        const bool atLf = pos > 0 && text[pos - 1] == u'\r';
        QCOMPARE(memo.toDocPos(pos), atLf ? docPos - 1 : docPos);
        if (!atLf)
            QCOMPARE(memo.fromDocPos(docPos), pos);
        if (!atLf)
            ++docPos;
    }
}

void TestScrollMemo::negativeSelLengthSelectsBackwards()
{
    TScrollMemo memo;
    memo.SetFullText("one\r\ntwo");
    memo.SetSelStart(7);
    memo.SetSelLength(-4);
    QCOMPARE(memo.SelStart(), 3);
    QCOMPARE(memo.SelLength(), 4);
    QCOMPARE(memo.SelectedText(), QString("\r\ntw"));
}

void TestScrollMemo::rawTextKeepsSpecialCharacters()
{
    TScrollMemo memo;
    const QString text = QString("a") + QChar(0x00A0) + "b" + QChar(0x2028) + "c" + QChar(0) + "d";
    memo.SetFullText(text + "\r\nx");
    QCOMPARE(memo.FullText(), text + "\r\nx");
    memo.SelectAllText();
    QCOMPARE(memo.SelectedText(), text + "\r\nx");
    QCOMPARE(memo.TextLength(), int(text.size()) + 3);
}

void TestScrollMemo::roundTripsFilesByteForByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n\r\nthree\r\n");
    QTest::newRow("LF") << QByteArray("one\ntwo\n\nthree\n");
    QTest::newRow("CR") << QByteArray("one\rtwo\r\rthree\r");
    QTest::newRow("no final break") << QByteArray("one\r\ntwo");
    QTest::newRow("only breaks") << QByteArray("\r\n\r\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("UTF-8") << QByteArray("gr\xc3\xbc\xc3\x9f"
                                         "e \xe2\x82\xac\n\xf0\x9f\x98\x80\n");
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbfhello\r\n");
    QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9\r\n\xff\xfe\x80 end");
    QTest::newRow("UTF-8 cut in the last character") << QByteArray("caf\xc3\xa9 abc\xc3");
    QTest::newRow("NUL bytes") << QByteArray("a\0b\r\n\0\0\r\nc", 11);
    QTest::newRow("no-break space UTF-8") << QByteArray("a\xc2\xa0"
                                                        "b\n");
    QTest::newRow("no-break space 8-bit") << QByteArray("a\xa0"
                                                        "b\r\n");
    QTest::newRow("line separator") << QByteArray("a\xe2\x80\xa8"
                                                  "b\n");
    QTest::newRow("paragraph separator") << QByteArray("a\xe2\x80\xa9"
                                                       "b\n");
    QTest::newRow("tabs and trailing blanks") << QByteArray("\tx  \r\n  \t\r\n");
}

void TestScrollMemo::roundTripsFilesByteForByte()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString in = dir.filePath("in.txt");
    const QString out = dir.filePath("out.txt");
    writeBytes(in, bytes);
    TScrollMemo memo;
    memo.SetFullText("previous text");
    QVERIFY(memo.LoadLinesFromFile(in).ok);
    QVERIFY(!memo.ModifiedFlag());
    QVERIFY(!memo.CanUndo());
    QVERIFY(memo.SaveLinesToFile(out).ok);
    QCOMPARE(readBytes(out), bytes);
}

void TestScrollMemo::loadGivesCrLfTextAndRemembersFormat()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lf.txt");
    writeBytes(path, "one\ntwo\n");
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QCOMPARE(memo.FullText(), QString("one\r\ntwo\r\n"));
    QCOMPARE(memo.Format().lineBreak, LineBreak::Lf);
    QCOMPARE(memo.Format().encoding, TextEncoding::Utf8);
    QCOMPARE(memo.LineCount(), 2);

    // An edit is written with the file's own break style.
    memo.SetSelStart(memo.TextLength());
    memo.ReplaceSelection("three\r\nfour");
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readBytes(path), QByteArray("one\ntwo\nthree\nfour"));

    writeBytes(path, "mixed\r\nbreaks\nand\rmore");
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QCOMPARE(memo.FullText(), QString("mixed\r\nbreaks\r\nand\r\nmore"));
    QCOMPARE(memo.Format().lineBreak, LineBreak::CrLf);
}

void TestScrollMemo::largeFileRoundTripsAcrossChunks()
{
    // Lines of varying length so that chunk ends fall everywhere, including long lines.
    QByteArray bytes;
    for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i) {
        bytes += QByteArray(i % 97, 'x') + "\xc3\xa9" + QByteArray::number(i);
        bytes += (i % 5000 == 0) ? QByteArray(300000, 'y') : QByteArray();
        bytes += "\r\n";
    }
    QTemporaryDir dir;
    writeBytes(dir.filePath("big.txt"), bytes);
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(dir.filePath("big.txt")).ok);
    QCOMPARE(memo.TextLength(), int(QString::fromUtf8(bytes).size()));
    QVERIFY(memo.SaveLinesToFile(dir.filePath("out.txt")).ok);
    QVERIFY(readBytes(dir.filePath("out.txt")) == bytes);
}

void TestScrollMemo::failedLoadKeepsText()
{
    TScrollMemo memo;
    memo.SetFullText("keep me");
    // Missing, a folder, and a device that would never end.
    for (const char* path : {"/nonexistent/folder/file.txt", "/tmp", "/dev/zero"}) {
        const FileResult result = memo.LoadLinesFromFile(path);
        QVERIFY2(!result.ok, path);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(memo.FullText(), QString("keep me"));
    }
}

void TestScrollMemo::failedSaveReportsAndKeepsOldFile()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath("afile");
    writeBytes(blocker, "old");
    TScrollMemo memo;
    memo.SetFullText("new");
    const FileResult result = memo.SaveLinesToFile(blocker + "/inside.txt");
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(readBytes(blocker), QByteArray("old"));
}

void TestScrollMemo::latin1DocumentKeepsItsBytesAndAddsNewCharactersAsUtf8()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("latin1.txt");
    writeBytes(path, "caf\xe9\n");
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QCOMPARE(memo.Format().encoding, TextEncoding::Latin1);
    QCOMPARE(memo.FullText(), QString::fromUtf8("café\r\n"));
    memo.SetSelStart(memo.TextLength());
    memo.ReplaceSelection(QString::fromUtf8("€😀"));
    QVERIFY(memo.SaveLinesToFile(path).ok);
    // The bytes that were there stay as they were; only the new characters are UTF-8.
    QCOMPARE(readBytes(path), QByteArray("caf\xe9\n\xe2\x82\xac\xf0\x9f\x98\x80"));
    QCOMPARE(memo.Format().encoding, TextEncoding::Latin1);
}

void TestScrollMemo::replaceSelectionIsOneUndoStep()
{
    TScrollMemo memo;
    memo.SetFullText("hello world");
    memo.SetModifiedFlag(false);
    select(memo, 6, 5);
    memo.ReplaceSelection("there\r\nfriend");
    QCOMPARE(memo.FullText(), QString("hello there\r\nfriend"));
    QCOMPARE(memo.SelStart(), memo.TextLength());
    QCOMPARE(memo.SelLength(), 0);
    QVERIFY(memo.ModifiedFlag());

    memo.ReplaceSelection("!");
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("hello there\r\nfriend"));
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("hello world"));
    QCOMPARE(memo.SelectedText(), QString("world"));
}

void TestScrollMemo::undoOfWholeTextReplacementSelectsAll()
{
    TScrollMemo memo;
    memo.SetFullText("first line\r\nsecond line");
    memo.SelectAllText();
    memo.ReplaceSelection("x");
    QVERIFY(memo.CanUndo());
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("first line\r\nsecond line"));
    QCOMPARE(memo.SelStart(), 0);
    QCOMPARE(memo.SelLength(), memo.TextLength());
}

void TestScrollMemo::lineTextAppendLineAndLineCount()
{
    TScrollMemo memo;
    QCOMPARE(memo.LineCount(), 0);
    memo.AppendLine("first");
    QCOMPARE(memo.FullText(), QString("first\r\n"));
    QCOMPARE(memo.LineCount(), 1);
    QCOMPARE(memo.SelStart(), memo.TextLength());
    memo.AppendLine("second");
    QCOMPARE(memo.FullText(), QString("first\r\nsecond\r\n"));

    memo.SetFullText("no break at end");
    memo.SetModifiedFlag(false);
    memo.AppendLine("next");
    QCOMPARE(memo.FullText(), QString("no break at end\r\nnext"));
    QCOMPARE(memo.SelStart(), memo.TextLength());
    QVERIFY(memo.ModifiedFlag());
    QCOMPARE(memo.LineCount(), 2);
    QCOMPARE(memo.LineText(1), QString("next"));
    QCOMPARE(memo.LineText(5), QString());

    memo.SetFullText(QString(5000, 'z') + "\r\nshort");
    QCOMPARE(memo.LineText(0).size(), 4096);
    QCOMPARE(memo.LineText(1), QString("short"));
}

void TestScrollMemo::lineArithmeticUnderWordWrap()
{
    TScrollMemo memo;
    memo.resize(300, 200);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    const QString longLine = QString("word ").repeated(100).trimmed();
    memo.SetFullText(longLine + "\r\nsecond");
    memo.SetWordWrap(true);
    QCoreApplication::processEvents();
    const int screenLines = memo.LineCount();
    QVERIFY2(screenLines > 3, qPrintable(QString::number(screenLines)));
    QCOMPARE(memo.LineFromChar(0), 0);
    const int secondLineStart = memo.LineIndex(1);
    QVERIFY(secondLineStart > 0 && secondLineStart < longLine.size());
    QCOMPARE(memo.LineFromChar(secondLineStart), 1);
    QCOMPARE(memo.LineText(1), longLine.mid(secondLineStart, memo.LineLength(secondLineStart)));
    const int lastLineStart = memo.LineIndex(screenLines - 1);
    QCOMPARE(lastLineStart, int(longLine.size()) + 2);
    QCOMPARE(memo.LineText(screenLines - 1), QString("second"));

    memo.SetWordWrap(false);
    QCOMPARE(memo.LineCount(), 2);
    QCOMPARE(memo.LineFromChar(secondLineStart), 0);
    QCOMPARE(memo.ScrollBars(), ScrollBarsMode::Both);
}

void TestScrollMemo::screenLinesCountLinesNotDrawnYet()
{
    TScrollMemo memo;
    memo.resize(300, 200);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetWordWrap(true);
    memo.SetFullText((QString("word ").repeated(60) + "\r\n").repeated(300) + "end");
    QCoreApplication::processEvents();
    const int lastLine = memo.LineFromChar(memo.TextLength());
    const int lineCount = memo.LineCount();

    // Qt's own count, from a plain text edit of the same size and font with every line laid
    // out.
    QPlainTextEdit plain;
    plain.setFont(memo.font());
    plain.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    plain.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    plain.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    plain.resize(300, 200);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QCOMPARE(plain.viewport()->width(), memo.viewport()->width());
    plain.setPlainText(memo.FullText().replace("\r\n", "\n"));
    QAbstractTextDocumentLayout* layout = plain.document()->documentLayout();
    for (QTextBlock block = plain.document()->begin(); block.isValid(); block = block.next())
        layout->blockBoundingRect(block);
    const QTextBlock last = plain.document()->lastBlock();
    QVERIFY(last.firstLineNumber() > 600); // every long line wraps
    QCOMPARE(lastLine, last.firstLineNumber());
    QCOMPARE(lineCount, last.firstLineNumber() + 1);
    QCOMPARE(memo.LineIndex(lastLine), memo.TextLength() - 3);
}

void TestScrollMemo::colorsAreNotEditsAndFollowTheText()
{
    TScrollMemo memo;
    memo.SetEditorFont(QFont("Fixedsys", 8), Qt::black);
    QCOMPARE(memo.EditorFont().family(), QString("Fixedsys"));
    memo.SetFullText("alpha beta\r\ngamma");
    memo.SetModifiedFlag(false);
    const bool couldUndo = memo.CanUndo();
    QSignalSpy changes(&memo, &TScrollMemo::OnChange);

    select(memo, 6, 4);
    memo.SetSelectionColor(Red);
    QCOMPARE(memo.SelectionColor(), Red);
    QVERIFY(!memo.ModifiedFlag());
    QCOMPARE(memo.CanUndo(), couldUndo);
    QCOMPARE(changes.count(), 0);

    // An edit before the coloured word moves the colour along with it.
    memo.SetSelStart(0);
    memo.ReplaceSelection("new ");
    select(memo, 10, 4);
    QCOMPARE(memo.SelectedText(), QString("beta"));
    QCOMPARE(memo.SelectionColor(), Red);
    select(memo, 4, 5);
    QCOMPARE(memo.SelectionColor(), QColor(Qt::black));

    // Undo takes back the edit, not the colour.
    memo.UndoLast();
    select(memo, 6, 4);
    QCOMPARE(memo.SelectionColor(), Red);

    // Colouring with the text colour removes the highlight.
    memo.SetSelectionColor(Qt::black);
    QCOMPARE(memo.SelectionColor(), QColor(Qt::black));
    QVERIFY(memo.Colors().empty());
}

void TestScrollMemo::colorIsInheritedByTextTypedAfterIt()
{
    TScrollMemo memo;
    memo.SetEditorFont(QFont("Monospace", 10), Qt::black);
    memo.SetFullText("red plain");
    select(memo, 0, 3);
    memo.SetSelectionColor(Navy);
    memo.SetSelStart(3);
    typeText(memo, "dish");
    select(memo, 0, 7);
    QCOMPARE(memo.SelectedText(), QString("reddish"));
    QCOMPARE(memo.Colors().size(), std::size_t(1));
    QCOMPARE(memo.Colors().ranges()[0].end, 7);

    // Text inserted before the coloured text stays plain.
    memo.SetSelStart(0);
    memo.ReplaceSelection("a ");
    select(memo, 0, 2);
    QCOMPARE(memo.SelectionColor(), QColor(Qt::black));

    // A replacement of coloured text takes its colour.
    select(memo, 2, 7);
    memo.ReplaceSelection("blue");
    select(memo, 2, 4);
    QCOMPARE(memo.SelectionColor(), Navy);
}

void TestScrollMemo::colorOnEmptySelectionAppliesToTypedText()
{
    TScrollMemo memo;
    memo.SetEditorFont(QFont("Monospace", 10), Qt::black);
    memo.SetFullText("ab");
    memo.SetSelStart(1);
    memo.SetSelectionColor(Red);
    QCOMPARE(memo.SelectionColor(), Red);
    QVERIFY(memo.Colors().empty());
    typeText(memo, "XY");
    QCOMPARE(memo.FullText(), QString("aXYb"));
    select(memo, 1, 2);
    QCOMPARE(memo.SelectionColor(), Red);
    select(memo, 3, 1);
    QCOMPARE(memo.SelectionColor(), QColor(Qt::black));

    // Moving the caret away drops the waiting colour.
    memo.SetSelStart(0);
    memo.SetSelectionColor(Red);
    memo.SetSelStart(4);
    memo.SetSelStart(0);
    typeText(memo, "z");
    select(memo, 0, 1);
    QCOMPARE(memo.SelectionColor(), QColor(Qt::black));
}

void TestScrollMemo::findTextRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("expected");

    const QString cats = "concat Cat cat_ cat.";
    QTest::newRow("ignores case") << cats << "cat" << 0 << -1 << false << false << 3;
    QTest::newRow("match case") << cats << "Cat" << 0 << -1 << true << false << 7;
    QTest::newRow("whole word") << cats << "cat" << 0 << -1 << false << true << 7;
    QTest::newRow("whole word case") << cats << "cat" << 0 << -1 << true << true << 16;
    QTest::newRow("from start") << cats << "cat" << 4 << -1 << false << false << 7;
    QTest::newRow("must fit in range") << cats << "cat" << 4 << 5 << false << false << -1;
    QTest::newRow("fits exactly") << cats << "cat" << 4 << 6 << false << false << 7;
    QTest::newRow("absent") << cats << "dog" << 0 << -1 << false << false << -1;
    QTest::newRow("empty") << cats << "" << 0 << -1 << false << false << -1;
    QTest::newRow("spans break") << "one\r\ntwo\r\nthree"
                                 << "e\r\ntwo\r\nth" << 0 << -1 << false << false << 2;
    QTest::newRow("LF in search") << "one\r\ntwo"
                                  << "one\ntwo" << 0 << -1 << true << false << 0;
    QTest::newRow("break at end") << "ab\r\nab\r\n"
                                  << "ab\r\n"
                                  << 1 << -1 << true << false << 4;
    QTest::newRow("whole word at line ends") << "x cat\r\ncat"
                                             << "cat" << 0 << -1 << false << true << 2;
    QTest::newRow("second line") << "abc\r\nabc"
                                 << "abc" << 1 << -1 << false << false << 5;
    QTest::newRow("start at LF") << "ab\r\nab"
                                 << "\r\nab" << 3 << -1 << false << false << -1;
    QTest::newRow("word across break") << "ab\r\ncd"
                                       << "b\r\nc" << 0 << -1 << false << true << -1;
}

void TestScrollMemo::findTextRange()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, expected);
    TScrollMemo memo;
    memo.SetFullText(text);
    QCOMPARE(memo.FindTextRange(find, start, length, matchCase, wholeWord), expected);
}

void TestScrollMemo::selStartDoesNotScrollButSelLengthDoes()
{
    TScrollMemo memo;
    memo.resize(300, 200);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    QStringList lines;
    for (int i = 0; i < 500; ++i)
        lines << QString("line %1").arg(i);
    memo.SetFullText(lines.join("\r\n"));
    memo.SetSelStart(0);
    memo.ScrollCaretIntoView();
    QCOMPARE(memo.verticalScrollBar()->value(), 0);
    const int far = memo.LineIndex(400);
    memo.SetSelStart(far);
    QCOMPARE(memo.SelStart(), far);
    QCOMPARE(memo.verticalScrollBar()->value(), 0);
    memo.SetSelLength(4);
    QVERIFY(memo.verticalScrollBar()->value() > 300);
}

void TestScrollMemo::bulkUpdateCoalescesEvents()
{
    TScrollMemo memo;
    memo.SetFullText("a a a a");
    QSignalSpy changes(&memo, &TScrollMemo::OnChange);
    QSignalSpy selections(&memo, &TScrollMemo::OnSelectionChange);
    select(memo, 2, 1);
    selections.clear();
    memo.BeginBulkUpdate();
    // The selection carries into the bulk update.
    QCOMPARE(memo.SelStart(), 2);
    QCOMPARE(memo.SelectedText(), QString("a"));
    for (int pos : {0, 2, 4, 6}) {
        select(memo, pos, 1);
        memo.SetSelectionColor(Red);
        memo.ReplaceSelection("b");
    }
    QCOMPARE(changes.count(), 0);
    memo.EndBulkUpdate();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(selections.count(), 1);
    QCOMPARE(memo.FullText(), QString("b b b b"));
    select(memo, 6, 1);
    QCOMPARE(memo.SelectionColor(), Red);
}

void TestScrollMemo::keyDownCanSwallowKeysAndTabInsertsTab()
{
    TScrollMemo memo;
    connect(&memo, &TScrollMemo::OnKeyDown, this,
            [](TScrollMemo*, int& key, Qt::KeyboardModifiers) {
                if (key == Qt::Key_Q)
                    key = 0;
            });
    QTest::keyClicks(&memo, "aqb");
    QTest::keyClick(&memo, Qt::Key_Tab);
    QCOMPARE(memo.FullText(), QString("ab\t"));
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(memo.FullText(), QString("ab\t\r\n"));
}

void TestScrollMemo::commandKeysAreLeftToCommands()
{
    TScrollMemo memo;
    memo.SetFullText("abc");
    memo.SetCommandKeys({QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::Key_Delete)});
    memo.SetSelStart(1);
    QTest::keyClick(&memo, Qt::Key_Delete);
    QCOMPARE(memo.FullText(), QString("abc"));
    QTest::keyClick(&memo, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(memo.SelLength(), 0);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QCOMPARE(memo.FullText(), QString("bc"));
}

void TestScrollMemo::scrollEventsCarryTheScrollCode()
{
    TScrollMemo memo;
    memo.resize(300, 200);
    memo.show();
    memo.SetFullText(QString("line\r\n").repeated(200));
    QSignalSpy vertical(&memo, &TScrollMemo::OnVScroll);
    QSignalSpy horizontal(&memo, &TScrollMemo::OnHScroll);
    memo.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    memo.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    QTRY_COMPARE(vertical.count(), 2);
    QCOMPARE(vertical.at(0).at(1).value<short>(), short(SB_LINEDOWN));
    QCOMPARE(vertical.at(1).at(1).value<short>(), short(SB_BOTTOM));
    QVERIFY(memo.verticalScrollBar()->value() > 0);
    QCOMPARE(horizontal.count(), 0);
}

void TestScrollMemo::printsTheWholeTextAsOneJob()
{
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("out.pdf"));
    TScrollMemo memo;
    memo.SetFullText(QString("a long line that goes on ").repeated(50) + "\r\nend");
    QVERIFY(memo.PrintDocument("notes.txt", printer));
    QCOMPARE(printer.docName(), QString("notes.txt"));
    QVERIFY(QFileInfo(dir.filePath("out.pdf")).size() > 0);
}

void TestScrollMemo::editorsOwnCopyKeepsRawText()
{
    TScrollMemo memo;
    const QString text = QString("a") + QChar(0x00A0) + "b\r\nc";
    memo.SetFullText(text);
    memo.SelectAllText();
    QTest::keyClick(&memo, Qt::Key_Insert, Qt::ControlModifier); // Qt's own copy key
    QCOMPARE(QApplication::clipboard()->text(), QString("a") + QChar(0x00A0) + "b\nc");
    memo.SetSelStart(memo.TextLength());
    QTest::keyClick(&memo, Qt::Key_Insert, Qt::ShiftModifier); // and its own paste key
    QCOMPARE(memo.FullText(), text + text);
    memo.UndoLast();
    QCOMPARE(memo.FullText(), text);
}

void TestScrollMemo::charactersBeyond16BitsAreNeverSplit()
{
    const QString smile = QString::fromUtf8("\U0001F600");
    TScrollMemo memo;
    memo.SetFullText("a" + smile + "b\r\n" + smile);
    // A place inside the character moves to its start; a length ending inside it takes it
    // whole, forwards and backwards.
    memo.SetSelStart(2);
    QCOMPARE(memo.SelStart(), 1);
    memo.SetSelLength(1);
    QCOMPARE(memo.SelectedText(), smile);
    memo.SetSelStart(3);
    memo.SetSelLength(-1);
    QCOMPARE(memo.SelStart(), 1);
    QCOMPARE(memo.SelectedText(), smile);
    memo.SetSelStart(7); // inside the character of the second line
    QCOMPARE(memo.SelStart(), 6);

    // Delete as the Delete command does it: the whole character goes.
    memo.SetSelStart(1);
    memo.SetSelLength(1);
    memo.ReplaceSelection(QString());
    QCOMPARE(memo.FullText(), "ab\r\n" + smile);
    QTemporaryDir dir;
    QVERIFY(memo.SaveLinesToFile(dir.filePath("out.txt")).ok);
    QCOMPARE(readBytes(dir.filePath("out.txt")), QByteArray("ab\n\xf0\x9f\x98\x80"));

    // Colouring half a character colours all of it.
    memo.SetRangeColor(4, 1, Red);
    QCOMPARE(memo.Colors().ranges().size(), std::size_t(1));
    QCOMPARE(memo.Colors().ranges()[0].end - memo.Colors().ranges()[0].start, 2);
}

void TestScrollMemo::nothingTypedInsertsSeparatorCharacters()
{
    TScrollMemo memo;
    memo.SetFullText("ab");
    memo.SetSelStart(1);
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier); // Qt's soft line break
    QTest::keyClick(&memo, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    QCOMPARE(memo.FullText(), QString("ab"));
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(memo.FullText(), QString("a\r\nb"));

    // An input method's text goes in without them.
    QInputMethodEvent commit;
    commit.setCommitString(QString("x") + QChar(0x2028) + "y" + QChar(0x2029));
    QApplication::sendEvent(&memo, &commit);
    QCOMPARE(memo.FullText(), QString("a\r\nxyb"));
}

void TestScrollMemo::pastedTextIsPlainOnEveryPath()
{
    TScrollMemo memo;
    memo.SetEditorFont(QFont("DejaVu Sans Mono", 9), Qt::black);
    memo.SetFullText("hello world");
    memo.SetRangeColor(0, 5, Red);
    // Qt's own paste key right after the coloured word: nothing pasted takes the colour,
    // and a paragraph separator in the text (a line break of two) moves nothing.
    QApplication::clipboard()->setText(QString("XY") + QChar(0x2029) + "Z");
    memo.SetSelStart(5);
    QTest::keyClick(&memo, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(memo.FullText(), QString("helloXY\r\nZ world"));
    QCOMPARE(memo.SelStart(), 10);
    QCOMPARE(memo.Colors().ranges().size(), std::size_t(1));
    QCOMPARE(memo.Colors().ranges()[0].start, 0);
    QCOMPARE(memo.Colors().ranges()[0].end, 5);

    // Inside the coloured word, replacing a selection.
    memo.SetSelStart(1);
    memo.SetSelLength(2);
    memo.PasteText("pq");
    QCOMPARE(memo.FullText().left(5), QString("hpqlo"));
    QVERIFY(!memo.Colors().colorAt(1) && !memo.Colors().colorAt(2));
    QVERIFY(memo.Colors().colorAt(0) && memo.Colors().colorAt(3));
}

void TestScrollMemo::mixedLineBreaksSurviveAnUnchangedSaveAndTyping()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("mixed.txt");
    writeBytes(path, "a\r\nb\nc\rd");
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readBytes(path), QByteArray("a\r\nb\nc\rd"));

    // A line typed in gets the break of the file's first line; the line split keeps its own.
    memo.SetSelStart(memo.LineIndex(1) + 1);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "new");
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readBytes(path), QByteArray("a\r\nb\r\nnew\nc\rd"));

    // Joining two lines: the joined line ends as the second did.
    memo.SetSelStart(memo.LineIndex(2) + 3);
    memo.SetSelLength(2);
    memo.ReplaceSelection(QString());
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readBytes(path), QByteArray("a\r\nb\r\nnewc\rd"));

    // A clone of the text keeps every line's break too.
    TScrollMemo clone;
    clone.SetTextFrom(memo);
    QVERIFY(clone.SaveLinesToFile(path).ok);
    QCOMPARE(readBytes(path), QByteArray("a\r\nb\r\nnewc\rd"));
}

void TestScrollMemo::longWrappedDocumentsLearnTheirScreenLinesWhileIdle()
{
    TScrollMemo memo;
    memo.SetEditorFont(QFont("DejaVu Sans Mono", 9), Qt::black);
    memo.resize(400, 300);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetWordWrap(true);
    // How many characters a screen line holds, then lines of four screen lines each.
    memo.SetFullText(QString(1000, u'x'));
    const int perLine = memo.LineLength(0);
    QVERIFY(perLine > 10 && perLine < 1000);
    const QString line = QString(4 * perLine - 1, u'x');
    memo.SetFullText((line + "\r\n").repeated(60000));
    QCoreApplication::processEvents();

    QSignalSpy known(&memo, &TScrollMemo::ScreenLinesKnown);
    const int end = memo.TextLength();
    QCOMPARE(memo.KnownLineFromChar(end), std::nullopt); // not at once: that would take long
    QVERIFY(known.wait(60000));
    QCOMPARE(memo.KnownLineFromChar(end), std::optional<int>(240000));
    QCOMPARE(memo.LineFromChar(end), 240000);
    QCOMPARE(memo.ColumnOfChar(end - 2), perLine - 1);
    QCOMPARE(memo.ColumnOfChar(end), 0);
}

QTEST_MAIN(TestScrollMemo)
#include "tst_scrollmemo.moc"
