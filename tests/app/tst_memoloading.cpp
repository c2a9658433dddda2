// The editor control's undo steps for typing, and large files loading in the background.

#include "support/MainWindowHarness.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"

#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Lines "line 0", "line 1", ... with CR LF breaks, until the text is larger than bytes.
QByteArray numberedLines(qint64 bytes, int& lines)
{
    QByteArray text;
    text.reserve(bytes + 64);
    for (lines = 0; text.size() <= bytes; ++lines)
        text += "line " + QByteArray::number(lines) + "\r\n";
    return text;
}

// Esc pressed while the load runs: it waits in the queue until the load serves events.
void pressEscDuringTheNextLoad(QWidget* target)
{
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

} // namespace

class TestMemoLoading : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typingIsOneUndoStepUntilALineBreak();
    void backspacesAndDeletesJoin();
    void typingAfterASaveStartsANewStep();
    void undoOfReplaceAllGivesBackEachLineBreak();
    void largeFileLoadsWithProgressAndEditableAfter();
    void escCancelsALoadAndKeepsTheText();
    void escClosesTheNewWindowOfACancelledOpen();
    void largeCommandLineFileLoadsOnceTheWindowShows();

private:
    QTemporaryDir m_dir;
};

void TestMemoLoading::typingIsOneUndoStepUntilALineBreak()
{
    TScrollMemo memo;
    memo.SetFullText("start ");
    memo.SetModifiedFlag(false);
    memo.SetSelStart(6);
    QTest::keyClicks(&memo, "two words");
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "next");
    QCOMPARE(memo.FullText(), QString("start two words\r\nnext"));

    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("start two words\r\n"));
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("start two words"));
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("start "));
    QCOMPARE(memo.SelStart(), 6);
    QVERIFY(!memo.ModifiedFlag());
    QVERIFY(!memo.CanUndo());
}

void TestMemoLoading::backspacesAndDeletesJoin()
{
    TScrollMemo memo;
    memo.SetFullText("abcdef\r\nxyz");
    memo.SetSelStart(4);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&memo, Qt::Key_Backspace);
    QCOMPARE(memo.FullText(), QString("aef\r\nxyz"));
    QTest::keyClick(&memo, Qt::Key_Delete);
    QTest::keyClick(&memo, Qt::Key_Delete);
    QCOMPARE(memo.FullText(), QString("a\r\nxyz"));
    // The break goes by a step of its own.
    QTest::keyClick(&memo, Qt::Key_Delete);
    QCOMPARE(memo.FullText(), QString("axyz"));

    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("a\r\nxyz"));
    // Delete goes on where Backspace stopped: one step, as the text knows it.
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("abcdef\r\nxyz"));
    QCOMPARE(memo.SelectedText(), QString("bcdef"));
    QVERIFY(!memo.CanUndo());
}

void TestMemoLoading::typingAfterASaveStartsANewStep()
{
    TScrollMemo memo;
    memo.SetFullText(QString());
    QTest::keyClicks(&memo, "ab");
    memo.SetModifiedFlag(false); // as a save does
    QTest::keyClicks(&memo, "cd");
    QVERIFY(memo.ModifiedFlag());
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("ab"));
    QVERIFY(!memo.ModifiedFlag());
    QTest::keyClicks(&memo, "x");
    memo.UndoLast();
    QCOMPARE(memo.FullText(), QString("ab"));
    QVERIFY(!memo.ModifiedFlag());
}

void TestMemoLoading::undoOfReplaceAllGivesBackEachLineBreak()
{
    const QByteArray bytes = "one\r\ntwo\nthree\rfour\r\n\nfive";
    const QString path = m_dir.filePath("mixed.txt");
    QVERIFY(writeFile(path, bytes));
    TScrollMemo memo;
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QList<int> breaks;
    for (int pos = 0; pos < memo.TextLength(); ++pos) {
        if (memo.CharAt(pos) == u'\r')
            breaks << pos;
    }
    memo.ReplaceMatches(breaks, 2, "; ");
    QCOMPARE(memo.FullText(), QString("one; two; three; four; ; five"));
    memo.UndoLast();
    QCOMPARE(memo.SelectedText(), QString("\r\ntwo\r\nthree\r\nfour\r\n\r\n"));
    QVERIFY(!memo.ModifiedFlag());
    QVERIFY(memo.SaveLinesToFile(path).ok);
    QCOMPARE(readFile(path), bytes);
}

void TestMemoLoading::largeFileLoadsWithProgressAndEditableAfter()
{
    int lines = 0;
    const QByteArray bytes = numberedLines(24 << 20, lines);
    const QString path = m_dir.filePath("large.txt");
    QVERIFY(writeFile(path, bytes));

    TScrollMemo memo;
    memo.resize(400, 300);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    QSignalSpy progress(&memo, &TScrollMemo::LoadProgress);
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QVERIFY(!memo.LoadCancelled());
    QVERIFY(!memo.isReadOnly());
    QVERIFY(!memo.ModifiedFlag());
    QVERIFY(!memo.CanUndo());
    QCOMPARE(memo.LineCount(), lines);
    QCOMPARE(memo.LineText(lines - 1), QString("line %1").arg(lines - 1));
    // The progress bar goes away at the end whether or not it was shown.
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(1).toInt(), -1);

    memo.SetSelStart(memo.TextLength());
    QTest::keyClicks(&memo, "end");
    const QString saved = m_dir.filePath("saved.txt");
    QVERIFY(memo.SaveLinesToFile(saved).ok);
    QCOMPARE(readFile(saved), bytes + "end");
}

void TestMemoLoading::escCancelsALoadAndKeepsTheText()
{
    int lines = 0;
    const QString path = m_dir.filePath("cancelled.txt");
    QVERIFY(writeFile(path, numberedLines(20 << 20, lines)));

    TScrollMemo memo;
    memo.SetFullText("kept\r\ntext");
    pressEscDuringTheNextLoad(&memo);
    const FileResult result = memo.LoadLinesFromFile(path);
    QVERIFY(!result.ok);
    QVERIFY(memo.LoadCancelled());
    QCOMPARE(memo.FullText(), QString("kept\r\ntext"));
    QVERIFY(memo.ModifiedFlag());
    QVERIFY(!memo.isReadOnly());

    // The next load is not cancelled by the last one's Esc.
    QVERIFY(memo.LoadLinesFromFile(path).ok);
    QVERIFY(!memo.LoadCancelled());
    QCOMPARE(memo.LineCount(), lines);
}

void TestMemoLoading::escClosesTheNewWindowOfACancelledOpen()
{
    int lines = 0;
    const QString path = m_dir.filePath("opened.txt");
    QVERIFY(writeFile(path, numberedLines(20 << 20, lines)));
    MainWindowHarness h;
    QVERIFY(h.show());
    const QStringList before = windowCaptions(*h.form1);

    pressEscDuringTheNextLoad(h.form1.get());
    QCOMPARE(h.form1->OpenFileInNewWindow(path), nullptr);
    freeClosedWindows();
    QCOMPARE(windowCaptions(*h.form1), before);
    QVERIFY(shownMessages(h.prompts).isEmpty());
    QVERIFY(!h.form1->findChild<QProgressBar*>("LoadProgress")->isVisible());

    QMdiSubWindow* window = h.form1->OpenFileInNewWindow(path);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), path);
}

void TestMemoLoading::largeCommandLineFileLoadsOnceTheWindowShows()
{
    int lines = 0;
    const QString path = m_dir.filePath("command line.txt");
    QVERIFY(writeFile(path, numberedLines(20 << 20, lines)));
    MainWindowHarness h;
    h.form1->CommandLineParameters = {path};
    QVERIFY(h.show());
    QTRY_COMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), path);
    QCOMPARE(h.form1->ActiveMemo()->LineCount(), lines);
    QVERIFY(!h.form1->ActiveMemo()->ModifiedFlag());
    QVERIFY(h.prompts.messages.isEmpty());
}

QTEST_MAIN(TestMemoLoading)
#include "tst_memoloading.moc"
