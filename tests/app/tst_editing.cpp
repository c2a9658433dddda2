// The editing commands of the document windows: Delete, Crop and Undo, the clipboard,
// Time/Date, Word Wrap, Insert File, Execute and Auto Paste; highlighting, Find and
// Highlight and the bookmark.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "editing/Unit13.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace {

QAction* command(const MainWindowHarness& h, const char* name)
{
    return h.form1->findChild<QAction*>(name);
}

void select(TScrollMemo* memo, int start, int length)
{
    memo->SetSelStart(start);
    memo->SetSelLength(length);
}

// One mark per character of the document (a line break is one): 'h' where the character
// has a highlight colour, '.' where it has the font colour.
QString colourMarks(const TScrollMemo* memo)
{
    QString marks;
    for (int pos = 0; pos < memo->toDocPos(memo->TextLength()); ++pos)
        marks += memo->Colors().colorAt(pos) ? u'h' : u'.';
    return marks;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editCommandsChangeTextAndClipboard_data();
    void editCommandsChangeTextAndClipboard();
    void pastedTextNeverTakesTheHighlight_data();
    void pastedTextNeverTakesTheHighlight();
    void timeDateFromTheClock_data();
    void timeDateFromTheClock();
    void wordWrapTogglesActiveDocumentOnly();
    void insertFileAddsEveryLineWithLineBreak_data();
    void insertFileAddsEveryLineWithLineBreak();
    void executeOpensTrimmedSelection();
    void autoPasteCollectsClipboardChanges_data();
    void autoPasteCollectsClipboardChanges();
    void highlightTogglesWithoutModifying_data();
    void highlightTogglesWithoutModifying();
    void findAndHighlightColoursActiveDocument_data();
    void findAndHighlightColoursActiveDocument();
    void bookmarkUsableOnlyInsideText();
    void deleteTakesACharacterBeyond16BitsWhole();
    void findAndHighlightIsCentredOnlyWhenItOpens();
};

void TestEditing::editCommandsChangeTextAndClipboard_data()
{
    QTest::addColumn<QString>("how"); // an action, "Del" (the key) or "Crop" (the handler)
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("clipboardAfter");
    // The text is "ab\r\ncd".
    QTest::newRow("Del on a character") << "Del" << 1 << 0 << "" << "a\r\ncd" << 1 << 0 << "";
    QTest::newRow("Del before a line break") << "Del" << 2 << 0 << "" << "abcd" << 2 << 0 << "";
    QTest::newRow("Del at the end") << "Del" << 6 << 0 << "" << "ab\r\ncd" << 6 << 0 << "";
    QTest::newRow("Del on a selection") << "Del" << 1 << 4 << "" << "ad" << 1 << 0 << "";
    QTest::newRow("Crop a selection") << "Crop2" << 1 << 4 << "" << "b\r\nc" << 0 << 0 << "";
    // The item is disabled without a selection; a macro statement can still reach it.
    QTest::newRow("Crop nothing selected") << "Crop" << 2 << 0 << "" << "" << 0 << 0 << "";
    QTest::newRow("Copy") << "Copy1" << 0 << 5 << "" << "ab\r\ncd" << 0 << 5 << "ab\nc";
    QTest::newRow("Cut") << "Cut2" << 1 << 4 << "" << "ad" << 1 << 0 << "b\nc";
    QTest::newRow("Paste lines") << "Paste1" << 2 << 0 << "x\ny\rz\r\n"
                                 << "abx\r\ny\r\nz\r\n\r\ncd" << 11 << 0 << "x\ny\rz\r\n";
}

void TestEditing::editCommandsChangeTextAndClipboard()
{
    QFETCH(QString, how);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, clipboardAfter);
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("ab\r\ncd");
    QVERIFY(memo);
    QGuiApplication::clipboard()->setText(clipboard);
    select(memo, start, length);
    QSignalSpy deleteCommand(command(h, "Delete1"), &QAction::triggered);
    if (how == "Del")
        QTest::keyClick(memo, Qt::Key_Delete);
    else if (how == "Crop")
        h.form1->Crop1Click();
    else
        TRIGGER_ACTION(h.form1.get(), how.toLatin1().constData());
    QCOMPARE(memo->FullText(), expected);
    QCOMPARE(memo->SelStart(), selStart);
    QCOMPARE(memo->SelLength(), selLength);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
    QCOMPARE(deleteCommand.count(), how == "Del" ? 1 : 0); // the key runs the command
    if (how.startsWith("Crop")) { // one undo step; the caret goes to the start
        TRIGGER_ACTION(h.form1.get(), "Undo1");
        QCOMPARE(memo->FullText(), QString("ab\r\ncd"));
        QCOMPARE(memo->SelStart(), 0);
        QCOMPARE(memo->SelLength(), 0);
        QVERIFY(!memo->CanUndo());
    }
}

void TestEditing::pastedTextNeverTakesTheHighlight_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("caret");
    // "aaaa bbbb" with "aaaa" highlighted.
    QTest::newRow("inside highlighted text") << 2 << 0 << "XY" << "hh..hh....." << 4;
    QTest::newRow("over highlighted selection") << 1 << 2 << "XYZ" << "h...h....." << 4;
    QTest::newRow("right after highlighted text") << 4 << 0 << "XY" << "hhhh......." << 6;
    QTest::newRow("lines inside highlighted text") << 2 << 0 << "X\nY" << "hh...hh....." << 6;
    QTest::newRow("after plain text") << 7 << 0 << "XY" << "hhhh......." << 9;
}

void TestEditing::pastedTextNeverTakesTheHighlight()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);
    QFETCH(QString, marks);
    QFETCH(int, caret);
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("aaaa bbbb");
    QVERIFY(memo);
    memo->SetRangeColor(0, 4, h.form1->HighlightColor);
    select(memo, start, length);
    QGuiApplication::clipboard()->setText(clipboard);
    TRIGGER_ACTION(h.form1.get(), "Paste2");
    QCOMPARE(colourMarks(memo), marks);
    QCOMPARE(memo->SelStart(), caret);
    QCOMPARE(memo->SelLength(), 0);
    QVERIFY(memo->ModifiedFlag());
}

void TestEditing::timeDateFromTheClock_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("expected");
    QTest::newRow("afternoon") << QTime(14, 7, 9) << "at 3/5/24 2:07:09 PM.";
    QTest::newRow("one second after midnight") << QTime(0, 0, 1) << "at 3/5/24 12:00:01 AM.";
    QTest::newRow("midnight exactly") << QTime(0, 0) << "at 3/5/24.";
}

void TestEditing::timeDateFromTheClock()
{
    QFETCH(QTime, time);
    QFETCH(QString, expected);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
    MainWindowHarness h;
    h.clock.setNow(QDateTime(QDate(2024, 3, 5), time));
    TScrollMemo* memo = h.showWithText("at now.");
    QVERIFY(memo);
    select(memo, 3, 3);
    QTest::keyClick(memo, Qt::Key_F5, Qt::ShiftModifier);
    QCOMPARE(memo->FullText(), expected);
    QCOMPARE(memo->SelStart(), expected.size() - 1);
}

void TestEditing::wordWrapTogglesActiveDocumentOnly()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    h.form1->DefaultWordWrap = true;
    QVERIFY(h.show());
    TScrollMemo* other = h.form1->ActiveMemo();
    TRIGGER_ACTION(h.form1.get(), "New1");
    TScrollMemo* memo = h.form1->ActiveMemo();
    QVERIFY(memo->WordWrap());

    TRIGGER_ACTION(h.form1.get(), "WordWrap1");
    QVERIFY(!memo->WordWrap());
    QCOMPARE(memo->ScrollBars(), ScrollBarsMode::Both);
    QVERIFY(!command(h, "WordWrap1")->isChecked());
    QVERIFY(other->WordWrap());

    TRIGGER_ACTION(h.form1.get(), "wrapbutton");
    QVERIFY(memo->WordWrap());
    QCOMPARE(memo->ScrollBars(), ScrollBarsMode::Vertical);
    QVERIFY(command(h, "WordWrap1")->isChecked());
    QVERIFY(other->WordWrap());
}

void TestEditing::insertFileAddsEveryLineWithLineBreak_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QByteArray>("bytes"); // of part.txt
    QTest::addColumn<QString>("expected");
    QTest::newRow("LF lines, no final break") << "part.txt" << QByteArray("1\n2") << "<1\r\n2\r\n>";
    QTest::newRow("CR LF lines") << "part.txt" << QByteArray("1\r\n2\r\n") << "<1\r\n2\r\n>";
    QTest::newRow("empty lines") << "part.txt" << QByteArray("\n\n") << "<\r\n\r\n>";
    QTest::newRow("UTF-8") << "part.txt" << QByteArray("\xc3\xbc\xc3\x9f") << "<\u00fc\u00df\r\n>";
    QTest::newRow("empty file") << "part.txt" << QByteArray() << "<>";
    QTest::newRow("missing file") << "gone.txt" << QByteArray("x") << "<>";
    QTest::newRow("unreadable file") << "folder" << QByteArray("x") << "<>";
    // Read without waiting for a writer: the program stays usable.
    QTest::newRow("named pipe") << "pipe" << QByteArray("x") << "<>";
}

void TestEditing::insertFileAddsEveryLineWithLineBreak()
{
    QFETCH(QString, chosen);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    MainWindowHarness h;
    h.form1->OpenFilter = "Logs|*.log";
    QVERIFY(h.show());
    const QString folder = h.environment.rootPath() + "/docs";
    QVERIFY(QDir().mkpath(folder + "/folder"));
    QCOMPARE(mkfifo(QFile::encodeName(folder + "/pipe").constData(), 0600), 0);
    QVERIFY(writeFile(folder + "/main.txt", "<>") && writeFile(folder + "/part.txt", bytes));
    h.prompts.answerOpenFiles({}); // from Untitled1: the dialog's own folder
    TRIGGER_ACTION(h.form1.get(), "Insertfile1");
    h.form1->OpenFileInNewWindow(folder + "/main.txt");
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->SetSelStart(1);
    const QString path = folder + u'/' + chosen;
    const bool refused = chosen == "folder" || chosen == "pipe";
    const QString reason = chosen == "folder" ? "It is a folder." : "It is a named pipe.";
    const QStringList messages{"Error Ok: Could not read file " + path + ".\r" + reason};
    h.prompts.answerOpenFiles({path});
    if (refused)
        h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(h.form1.get(), "Insertfile1");

    QCOMPARE(memo->FullText(), expected);
    QCOMPARE(memo->ModifiedFlag(), expected != "<>");
    QCOMPARE(memo->SelStart(), expected.size() - 1);
    QCOMPARE(shownMessages(h.prompts), refused ? messages : QStringList());
    QVERIFY(h.form1->isEnabled());
    const QList<FileDialogRequest>& requests = h.prompts.openRequests;
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].folder, QString());
    QCOMPARE(requests[1].folder, folder);
    QCOMPARE(requests[1].title, QString("Insert File"));
    QCOMPARE(requests[1].filter, QString("Logs|*.log"));
    QCOMPARE(requests[1].defaultSuffix, QString("txt"));
}

void TestEditing::executeOpensTrimmedSelection()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    TScrollMemo* memo = h.showWithText("see  https://example.org/a b \r\nnext");
    QVERIFY(memo);
    select(memo, 3, 28);
    for (const char* name : {"Execute1", "Execute2", "ExecuteButton"})
        TRIGGER_ACTION(h.form1.get(), name);
    QCOMPARE(h.shell.openedPaths, QStringList(3, "https://example.org/a b"));
    QCOMPARE(memo->FullText(), QString("see  https://example.org/a b \r\nnext"));
}

void TestEditing::autoPasteCollectsClipboardChanges_data()
{
    QTest::addColumn<bool>("lastDocument");
    QTest::newRow("another document left") << false;
    QTest::newRow("no document left") << true;
}

void TestEditing::autoPasteCollectsClipboardChanges()
{
    QFETCH(bool, lastDocument);
    MainWindowHarness h;
    TScrollMemo* target = h.showWithText("log");
    QVERIFY(target);
    QMdiSubWindow* targetWindow = h.form1->ActiveDocumentWindow();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    TRIGGER_ACTION(h.form1.get(), "AutoPaste1");
    QVERIFY(command(h, "AutoPaste1")->isChecked());
    QVERIFY(h.form1->Timer1->isActive());
    h.form1->Timer1Timer(); // what was there when switched on is never pasted
    QCOMPARE(target->FullText(), QString("log"));

    TRIGGER_ACTION(h.form1.get(), "New1");
    QMdiSubWindow* otherWindow = h.form1->ActiveDocumentWindow();
    TScrollMemo* other = h.form1->ActiveMemo();
    clipboard->setText("first");
    h.form1->Timer1Timer();
    h.form1->Timer1Timer();
    clipboard->setText("first"); // copied again: the same text
    h.form1->Timer1Timer();
    clipboard->setText("First");
    h.form1->Timer1Timer();
    clipboard->setText("two\nlines");
    h.form1->Timer1Timer();
    QCOMPARE(target->FullText(), QString("log\r\nfirst\r\nFirst\r\ntwo\r\nlines"));
    QCOMPARE(other->FullText(), QString());

    if (lastDocument)
        otherWindow->close();
    target->SetModifiedFlag(false);
    targetWindow->close();
    freeClosedWindows();
    h.form1->Timer1Timer(); // unchanged clipboard: still on
    QVERIFY(h.form1->Timer1->isActive());
    clipboard->setText("after");
    h.form1->Timer1Timer();
    QVERIFY(!command(h, "AutoPaste1")->isChecked());
    QVERIFY(!h.form1->Timer1->isActive());
    QVERIFY(!h.form1->AutoPasteTarget);
    if (!lastDocument)
        QCOMPARE(other->FullText(), QString());
}

void TestEditing::highlightTogglesWithoutModifying_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("modified");
    QTest::newRow("Ctrl+H, unmodified") << "Ctrl+H" << false;
    QTest::newRow("Ctrl+H, modified") << "Ctrl+H" << true;
    QTest::newRow("popup item") << "Highlight1" << false;
    QTest::newRow("toolbar button") << "HighlightButton" << true;
}

// The toggle colours plain text and uncolours highlighted text; Clear Highlights uncolours
// everything. Neither touches the text, the selection or the modified flag.
void TestEditing::highlightTogglesWithoutModifying()
{
    QFETCH(QString, how);
    QFETCH(bool, modified);
    MainWindowHarness h;
    h.form1->HighlightColor = QColor(0, 0, 128);
    TScrollMemo* memo = h.showWithText("hello\r\nworld");
    QVERIFY(memo);
    memo->SetModifiedFlag(modified);
    select(memo, 7, 5);
    const auto toggle = [&] {
        if (how == "Ctrl+H")
            QTest::keyClick(memo, Qt::Key_H, Qt::ControlModifier);
        else
            command(h, how.toLatin1().constData())->trigger();
    };
    toggle();
    QCOMPARE(colourMarks(memo), QString("......hhhhh"));
    QCOMPARE(memo->SelectionColor(), QColor(0, 0, 128));
    QCOMPARE(memo->ModifiedFlag(), modified);
    toggle();
    QCOMPARE(colourMarks(memo), QString("..........."));
    QCOMPARE(memo->ModifiedFlag(), modified);
    QCOMPARE(memo->SelStart(), 7);
    QCOMPARE(memo->SelLength(), 5);

    toggle();
    select(memo, 0, 1);
    toggle();
    select(memo, 2, 6);
    QTest::keyClick(memo, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(memo->Colors().empty());
    QCOMPARE(memo->SelStart(), 2);
    QCOMPARE(memo->SelLength(), 6);
    QCOMPARE(memo->ModifiedFlag(), modified);
    QCOMPARE(memo->FullText(), QString("hello\r\nworld"));
}

void TestEditing::findAndHighlightColoursActiveDocument_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("marks");
    QTest::newRow("overlapping aa in aaa") << "aaa" << "aa" << false << "hhh";
    QTest::newRow("aa in aaaa") << "aaaa" << "aa" << false << "hhhh";
    QTest::newRow("whole word") << "a cat sat concat" << "cat" << true << "..hhh...........";
    QTest::newRow("part of words") << "a cat sat concat" << "cat" << false << "..hhh........hhh";
    QTest::newRow("case ignored") << "Cat CAT cat" << "cAt" << false << "hhh.hhh.hhh";
    QTest::newRow("case ignored, whole word") << "CAT,Cats" << "cat" << true << "hhh.....";
    QTest::newRow("across lines") << "end\r\nCAT cat" << "cat" << true << "....hhh.hhh";
    QTest::newRow("no match") << "abc" << "x" << false << "...";
    QTest::newRow("empty text") << "abc" << "" << false << "...";
}

void TestEditing::findAndHighlightColoursActiveDocument()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(bool, wholeWord);
    QFETCH(QString, marks);
    MainWindowHarness h;
    TScrollMemo* other = h.showWithText(text);
    QVERIFY(other);
    TRIGGER_ACTION(h.form1.get(), "New1");
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->SetFullText(text);
    memo->SetModifiedFlag(false);
    select(memo, 1, 2);
    TRIGGER_ACTION(h.form1.get(), "FindandHighlight1");
    QVERIFY(h.form13->isVisible());
    h.form13->Edit1->setText(find);
    h.form13->CheckBox1->setChecked(wholeWord);
    h.form13->Button1->click();

    QCOMPARE(colourMarks(memo), marks);
    QCOMPARE(memo->SelStart(), 1);
    QCOMPARE(memo->SelLength(), 2);
    QVERIFY(!memo->ModifiedFlag());
    QVERIFY(!memo->CanUndo());
    QVERIFY(other->Colors().empty());
    QVERIFY(h.form13->isVisible()); // stays open for the next text
}

void TestEditing::bookmarkUsableOnlyInsideText()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText("0123456789");
    QVERIFY(memo);
    memo->SetSelStart(0);
    const auto gotoEnabled = [&h] {
        h.form1->Bookmark1Click();
        return command(h, "Goto1")->isEnabled() && command(h, "Goto2")->isEnabled();
    };
    TRIGGER_ACTION(h.form1.get(), "Set1"); // at 0: no bookmark
    QCOMPARE(memo->BookmarkPos, 0);
    QVERIFY(!gotoEnabled());
    memo->SetSelStart(10);
    TRIGGER_ACTION(h.form1.get(), "Set2"); // at the end: outside the text
    QVERIFY(!gotoEnabled());

    memo->SetSelStart(6);
    TRIGGER_ACTION(h.form1.get(), "Set2");
    QCOMPARE(memo->BookmarkPos, 6);
    QVERIFY(gotoEnabled());
    select(memo, 1, 3);
    TRIGGER_ACTION(h.form1.get(), "Goto2");
    QCOMPARE(memo->SelStart(), 6);
    QCOMPARE(memo->SelLength(), 0);

    // Deleting text does not move the bookmark; beyond the end it is ignored.
    select(memo, 2, 5);
    TRIGGER_ACTION(h.form1.get(), "Delete1");
    QCOMPARE(memo->FullText(), QString("01789"));
    QCOMPARE(memo->BookmarkPos, 6);
    QVERIFY(!gotoEnabled());
    memo->SetSelStart(1);
    h.form1->Goto1Click();
    QCOMPARE(memo->SelStart(), 1);

    // Once the text grows past it again, Goto goes there and shows the caret.
    memo->SetSelStart(5);
    memo->ReplaceSelection(QString("line\r\n").repeated(300));
    QVERIFY(gotoEnabled());
    memo->SetSelStart(1500);
    TRIGGER_ACTION(h.form1.get(), "Set1");
    memo->SetSelStart(0);
    memo->verticalScrollBar()->setValue(0);
    TRIGGER_ACTION(h.form1.get(), "Goto1");
    QCOMPARE(memo->SelStart(), 1500);
    QVERIFY(memo->viewport()->rect().contains(memo->cursorRect()));
}

void TestEditing::deleteTakesACharacterBeyond16BitsWhole()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.rootPath() + "/smile.txt";
    QVERIFY(writeFile(path, "a\xf0\x9f\x98\x80"
                            "b"));
    h.form1->OpenFileInNewWindow(path);
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->SetSelStart(1);
    QTest::keyClick(memo, Qt::Key_Delete);
    QCOMPARE(memo->FullText(), QString("ab"));
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(path), QByteArray("ab"));
}

void TestEditing::findAndHighlightIsCentredOnlyWhenItOpens()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "FindandHighlight1");
    QVERIFY(h.form13->isVisible());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((h.form13->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
    // Moved by the user, then shown again by the window system: it stays where it was put.
    h.form13->move(10, 20);
    h.form13->hide();
    h.form13->show();
    QCOMPARE(h.form13->pos(), QPoint(10, 20));
    TRIGGER_ACTION(h.form1.get(), "FindandHighlight1"); // already open: stays too
    QCOMPARE(h.form13->pos(), QPoint(10, 20));
    h.form13->close();
    TRIGGER_ACTION(h.form1.get(), "FindandHighlight1");
    QVERIFY((h.form13->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
