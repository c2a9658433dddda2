// The editor control on its own text store and view, where text is easily lost: undo after
// undo, edits refused at the length limit, byte order marks, line separators in UTF-8,
// dialogs during a background load, colours in bulk updates and input method selections.

#include "support/TestQueries.h"

#include "app/Scrlmemo.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

// Pixels of the viewport that are clearly red.
int redPixels(TScrollMemo& memo)
{
    const QImage image = memo.viewport()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
                ++count;
        }
    }
    return count;
}

} // namespace

class TestTextEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void utf8FileWithLineSeparatorKeepsTypedCharacters();
    void undoOfReplaceAllIsOneChange();
    void dialogOpenedDuringBackgroundLoadCanBeClosed();
    void editRefusedNearTheLengthLimitLeavesNoUndoStep();
    void colourSetInBulkUpdateShowsAfterLinesAreInsertedAbove();
    void inputMethodSelectionIsWhereTheQueriesSaidTheCaretIs();
    void typingAfterAnUndoIsAStepOfItsOwn();
    void fileStartingWithTwoByteOrderMarksKeepsBoth();

private:
    QTemporaryDir m_dir;
};

// A UTF-8 file holding U+2028 (as JSON and scripts do) is valid UTF-8: it stays UTF-8, its
// characters show as they are, and characters typed into it are saved.
void TestTextEngine::utf8FileWithLineSeparatorKeepsTypedCharacters()
{
    const QString path = m_dir.filePath("separator.txt");
    QVERIFY(writeFile(path, "caf\xC3\xA9 \xE2\x80\xA8 x"));
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QCOMPARE(memo.CharAt(3), QChar(0xE9));
    memo.SetSelStart(memo.TextLength());
    memo.ReplaceSelection(QString::fromUtf8("\xE2\x82\xAC"));
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readFile(path), QByteArray("caf\xC3\xA9 \xE2\x80\xA8 x\xE2\x82\xAC"));
}

// Undoing a Replace All is one change of the text, as it was made.
void TestTextEngine::undoOfReplaceAllIsOneChange()
{
    TScrollMemo memo;
    memo.SetFullText("a a a\r\na");
    QSignalSpy changes(&memo, &TScrollMemo::OnChange);
    memo.ReplaceMatches({0, 2, 4, 7}, 1, "bb");
    QCOMPARE(memo.FullText(), QString("bb bb bb\r\nbb"));
    QCOMPARE(changes.count(), 1);
    changes.clear();
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("a a a\r\na"));
    QCOMPARE(changes.count(), 1);
}

// While a large file loads, a message box that a timer of the program opens answers its
// keys: the load must not hold the whole program's input until the box is gone, which
// would never come.
void TestTextEngine::dialogOpenedDuringBackgroundLoadCanBeClosed()
{
    QByteArray bytes;
    while (bytes.size() < (20 << 20))
        bytes += "a line of the large file\n";
    const QString path = m_dir.filePath("large.txt");
    QVERIFY(writeFile(path, bytes));

    TScrollMemo memo;
    memo.resize(400, 300);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    bool stillOpen = false;
    QTimer::singleShot(0, &memo, [&] {
        QMessageBox box(QMessageBox::Information, "Tavro", "Something happened.", QMessageBox::Ok);
        QTimer::singleShot(200, &box, [&box] { QTest::keyClick(&box, Qt::Key_Escape); });
        // The way out when the key did nothing (done() would not do: its close is refused
        // too), so that the test ends.
        QTimer::singleShot(3000, &box, [&box, &stillOpen] {
            stillOpen = box.isVisible();
            box.hide();
        });
        box.exec();
    });
    const FileResult result = memo.LoadLinesFromFile(path);
    QVERIFY(!stillOpen);
    // Esc meant for the box is not a cancel of the load.
    QVERIFY(result.ok);
    QVERIFY(!memo.LoadCancelled());
}

// A file of 2^30 - 2 line feeds is as long as a text can be but for two characters (each
// break counts two). An edit that would make it longer is refused by the store: it must not
// be recorded either, or its undo takes away text that the edit never put in.
void TestTextEngine::editRefusedNearTheLengthLimitLeavesNoUndoStep()
{
    const qsizetype breaks = (qsizetype(1) << 30) - 2;
    const QString path = m_dir.filePath("breaks.txt");
    QVERIFY(writeFile(path, QByteArray(breaks, '\n')));
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QFile::remove(path);
    const int length = memo.TextLength();
    QCOMPARE(qint64(length), 2 * qint64(breaks));

    QSignalSpy changes(&memo, &TScrollMemo::OnChange);
    memo.SetSelStart(0);
    memo.ReplaceSelection("abc");
    QCOMPARE(memo.TextLength(), length);
    QCOMPARE(memo.CharAt(0), QChar(u'\r'));
    const bool modified = memo.ModifiedFlag();
    const qsizetype toldChanges = changes.count();
    memo.UndoLast(); // nothing to undo
    QCOMPARE(memo.TextLength(), length);
    QVERIFY(!modified);
    QCOMPARE(toldChanges, 0);
}

// A colour set during a bulk update shows where its text is at the end of the update, also
// when lines were inserted above it after the colour was set.
void TestTextEngine::colourSetInBulkUpdateShowsAfterLinesAreInsertedAbove()
{
    TScrollMemo memo;
    QFont font = memo.font();
    font.setBold(true);
    memo.SetEditorFont(font, Qt::black);
    memo.resize(400, 700);
    QString text;
    for (int i = 0; i < 10; ++i)
        text += QStringLiteral("MMMMMM\r\n");
    memo.SetFullText(text);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    QCOMPARE(redPixels(memo), 0); // the lines are laid out and drawn
    memo.BeginBulkUpdate();
    memo.SetRangeColor(5 * 8, 6, Qt::red);
    memo.SetSelStart(0);
    memo.ReplaceSelection(QStringLiteral("a\r\n").repeated(10));
    memo.EndBulkUpdate();
    QCOMPARE(memo.Colors().colorAt(10 * 2 + 5 * 7), std::optional<QRgb>(QColor(Qt::red).rgb()));
    QVERIFY(redPixels(memo) > 20);
}

// An input method selects text by positions in the surrounding text it was given, as it
// was told the caret's position there (here: the four characters before the caret).
void TestTextEngine::inputMethodSelectionIsWhereTheQueriesSaidTheCaretIs()
{
    TScrollMemo memo;
    memo.SetFullText("first line\r\nsecond line");
    memo.SetSelStart(memo.TextLength());
    QInputMethodQueryEvent query(Qt::ImCursorPosition | Qt::ImSurroundingText);
    QApplication::sendEvent(&memo, &query);
    const int caret = query.value(Qt::ImCursorPosition).toInt();
    QCOMPARE(query.value(Qt::ImSurroundingText).toString().mid(caret - 4, 4), QString("line"));
    QInputMethodEvent select(QString(), {{QInputMethodEvent::Selection, caret - 4, 4, {}}});
    QApplication::sendEvent(&memo, &select);
    QCOMPARE(memo.SelectedText(), QString("line"));
    QCOMPARE(memo.SelStart(), memo.TextLength() - 4);
}

// Typing after an Undo is a step of its own: the next Undo takes back only that, not the
// typing before it as well (there is no Redo to bring that back).
void TestTextEngine::typingAfterAnUndoIsAStepOfItsOwn()
{
    TScrollMemo memo;
    memo.SetFullText(QString());
    QTest::keyClicks(&memo, "abc");
    QTest::keyClick(&memo, Qt::Key_Return);
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("abc"));
    QTest::keyClicks(&memo, "d");
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("abc"));
}

// A byte order mark is part of the text, also when another follows it (files joined by a
// tool that adds one): the text is as long as it is counted, and an edit saves every
// character of it.
void TestTextEngine::fileStartingWithTwoByteOrderMarksKeepsBoth()
{
    const QString path = m_dir.filePath("marks.txt");
    const QByteArray mark("\xEF\xBB\xBF");
    QVERIFY(writeFile(path, mark + mark + "text"));
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QCOMPARE(memo.FullText(), QStringView(u"\uFEFF\uFEFFtext").toString());
    memo.SetSelStart(memo.TextLength());
    memo.ReplaceSelection("!");
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readFile(path), mark + mark + "text!");
}

QTEST_MAIN(TestTextEngine)
#include "tst_textengine.moc"
