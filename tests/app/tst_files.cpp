// The files of the document windows driven offscreen: Open and dropped files, the .LOG
// time stamp, Save, Save As, Save All, Close All, Reload, Clone Window, Properties, Print
// and Exit.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "platform/Clock.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>

#include <unistd.h>

Q_DECLARE_METATYPE(Answer)

namespace
{

const QString UnsavedPrompt = QStringLiteral(
    "Confirmation %1: The text in the %2 file has changed.\r\rDo you want to save the changes?");

// Writes the file into the test's folder and opens it in a new window; returns its path. A
// file that could not be written fails the test with an unplanned "Could not open" prompt.
QString openNewFile(MainWindowHarness& h, const QString& name, const QByteArray& bytes)
{
    const QString path = h.environment.rootPath() + u'/' + name;
    writeFile(path, bytes);
    h.form1->OpenFileInNewWindow(path);
    return path;
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openChosenFilesInDialogOrder();
    void openDialogStartsFromActiveCaption_data();
    void openDialogStartsFromActiveCaption();
    void droppedFilesOpenOnlyExistingFiles();
    void logFileGetsTimeStamp_data();
    void logFileGetsTimeStamp();
    void logTimeStampInUsEnglish();
    void saveUntitledAsNamedFile_data();
    void saveUntitledAsNamedFile();
    void saveAsAsksBeforeReplacingTheFileItsExtensionNames_data();
    void saveAsAsksBeforeReplacingTheFileItsExtensionNames();
    void unsavedDocumentStaysAsItWas_data();
    void unsavedDocumentStaysAsItWas();
    void savedFileKeepsItsBytes_data();
    void savedFileKeepsItsBytes();
    void saveAllWritesEveryWindow();
    void closeAllAsksYesOrNo_data();
    void closeAllAsksYesOrNo();
    void reloadDocument_data();
    void reloadDocument();
    void commandsNeedExistingFile_data();
    void commandsNeedExistingFile();
    void cloneWindowOfModifiedDocument();
    void printWritesDocumentNamedAfterFile();
    void exitAsksActiveDocumentFirst();
    void longFileNamesAndLinkedFilesAreSaved();
};

// ---- Open ------------------------------------------------------------------------------

void TestFiles::openChosenFilesInDialogOrder()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString root = h.environment.rootPath();
    const QStringList chosen{root + "/c.txt", root + "/missing.txt", root + "/b.log"};
    QVERIFY(writeFile(chosen[0], "text of c") && writeFile(chosen[2], "text of b"));
    h.prompts.answerOpenFiles(chosen);
    h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(h.form1.get(), "OpenButton");

    // The file that could not be read leaves an empty window with the next number.
    QCOMPARE(shownMessages(h.prompts), QStringList{"Error Ok: Could not open file " + chosen[1] +
                                                   ".\rNo such file or directory"});
    QCOMPARE(windowCaptions(*h.form1),
             QStringList({chosen[2], "Untitled2", chosen[0], "Untitled1"}));
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "c.txt", "Untitled2", "b.log"}));
    QCOMPARE(h.shell.recentDocumentsAdded, chosen);
    const QList<QMdiSubWindow*> windows = h.form1->DocumentWindows();
    QCOMPARE(TForm1::MemoOf(windows[0])->FullText(), QString("text of b"));
    QCOMPARE(TForm1::MemoOf(windows[1])->FullText(), QString());
    QCOMPARE(TForm1::MemoOf(windows[2])->FullText(), QString("text of c"));
    for (const QMdiSubWindow* window : windows)
        QVERIFY(!TForm1::MemoOf(window)->ModifiedFlag());
    QCOMPARE(h.form1->StatusText(), QString("  1:1"));
    TRIGGER_ACTION(h.form1.get(), "New1");
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled3"));
}

void TestFiles::openDialogStartsFromActiveCaption_data()
{
    QTest::addColumn<QString>("activeFile"); // empty: the "Untitled" document is active
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("inItsFolder");
    QTest::newRow("untitled document") << ""
                                       << "" << false;
    QTest::newRow("saved file") << "notes.txt"
                                << "notes.txt" << true;
    QTest::newRow("Untitled inside a file name") << "OldUntitled.txt"
                                                 << "" << true;
}

void TestFiles::openDialogStartsFromActiveCaption()
{
    QFETCH(QString, activeFile);
    QFETCH(QString, fileName);
    QFETCH(bool, inItsFolder);
    MainWindowHarness h;
    h.form1->OpenFilter = "Logs|*.log";
    QVERIFY(h.show());
    if (!activeFile.isEmpty())
        openNewFile(h, activeFile, "x");
    const int windows = h.form1->DocumentWindows().size();
    h.prompts.answerOpenFiles({}); // cancelled
    TRIGGER_ACTION(h.form1.get(), "Open1");
    QCOMPARE(h.prompts.openRequests.size(), 1);
    const FileDialogRequest first = h.prompts.openRequests[0];
    QCOMPARE(first.fileName, fileName);
    QCOMPARE(first.folder, inItsFolder ? h.environment.rootPath() : QString());
    QCOMPARE(first.filter, QString("Logs|*.log"));
    QCOMPARE(h.form1->DocumentWindows().size(), windows);

    // Without a document the dialog starts where it was left.
    for (QMdiSubWindow* window : h.form1->DocumentWindows())
        QVERIFY(window->close());
    freeClosedWindows();
    h.prompts.answerOpenFiles({});
    TRIGGER_ACTION(h.form1.get(), "Open1");
    QCOMPARE(h.prompts.openRequests[1].fileName, first.fileName);
    QCOMPARE(h.prompts.openRequests[1].folder, first.folder);
}

void TestFiles::droppedFilesOpenOnlyExistingFiles()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString root = h.environment.rootPath();
    const QString a = root + "/a.txt", b = root + "/b.txt", folder = root + "/folder.txt";
    QVERIFY(writeFile(a, "A") && writeFile(b, "B") && QDir(root).mkpath("folder.txt"));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(folder),
                  QUrl::fromLocalFile(root + "/missing.txt"), QUrl::fromLocalFile(b)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h.form1.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h.form1.get(), &drop);

    QCOMPARE(windowCaptions(*h.form1), QStringList({b, a, "Untitled1"}));
    QCOMPARE(h.shell.recentDocumentsAdded, QStringList({a, b}));
    QVERIFY(h.prompts.messages.isEmpty());
}

// ---- The .LOG rule ---------------------------------------------------------------------

void TestFiles::logFileGetsTimeStamp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // %1 stands for the time stamp
    QTest::addColumn<bool>("stamped");
    QTest::newRow("LOG and CR LF") << QByteArray(".LOG\r\n") << ".LOG\r\n%1\r\n\r\n" << true;
    QTest::newRow("LOG without final break") << QByteArray(".LOG") << ".LOG\r\n%1\r\n" << true;
    QTest::newRow("LOG with earlier entries")
        << QByteArray(".LOG\r\nmet Ann\r\n") << ".LOG\r\nmet Ann\r\n%1\r\n\r\n"
        << true;
    QTest::newRow("lower case") << QByteArray(".log\r\n") << ".log\r\n" << false;
    QTest::newRow("blank after LOG") << QByteArray(".LOG \r\n") << ".LOG \r\n" << false;
    QTest::newRow("more on the line") << QByteArray(".LOGBOOK") << ".LOGBOOK" << false;
    QTest::newRow("LOG on the second line") << QByteArray("\r\n.LOG") << "\r\n.LOG" << false;
}

void TestFiles::logFileGetsTimeStamp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(bool, stamped);
    MainWindowHarness h;
    h.clock.setNow(QDateTime(QDate(2023, 11, 28), QTime(9, 5, 3)));
    QVERIFY(h.show());
    const QString path = openNewFile(h, "diary.txt", bytes);

    const TScrollMemo* memo = h.form1->ActiveMemo();
    QCOMPARE(memo->FullText(), stamped ? expected.arg(ShortDateLongTime(h.clock.now())) : expected);
    QCOMPARE(memo->ModifiedFlag(), stamped);
    QCOMPARE(memo->SelStart(), stamped ? memo->TextLength() : 0);
    QCOMPARE(memo->SelLength(), 0);
    QCOMPARE(readFile(path), bytes); // on disk only when saved
}

void TestFiles::logTimeStampInUsEnglish()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
    MainWindowHarness h;
    h.clock.setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    QVERIFY(h.show());
    openNewFile(h, "diary.txt", ".LOG\r\n");
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString(".LOG\r\n3/5/24 2:07:09 PM\r\n\r\n"));
}

// ---- Save ------------------------------------------------------------------------------

void TestFiles::saveUntitledAsNamedFile_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension gets .txt") << "notes"
                                            << "notes.txt";
    QTest::newRow("extension kept") << "page.htm"
                                    << "page.htm";
    QTest::newRow("dot only in the folder name") << "v1.2/notes"
                                                 << "v1.2/notes.txt";
}

void TestFiles::saveUntitledAsNamedFile()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString root = h.environment.rootPath();
    QVERIFY(QDir(root).mkpath("v1.2"));
    TScrollMemo* memo = h.form1->ActiveMemo();
    QTest::keyClicks(memo, "one");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "two");

    h.prompts.answerSaveFile(root + u'/' + chosen);
    TRIGGER_ACTION(h.form1.get(), "SaveButton"); // Save on "Untitled" is Save As
    const QString path = root + u'/' + saved;
    QCOMPARE(h.prompts.saveRequests.size(), 1);
    QCOMPARE(h.prompts.saveRequests[0].fileName, QString("Untitled1"));
    QCOMPARE(h.prompts.saveRequests[0].folder, QString());
    QCOMPARE(h.prompts.saveRequests[0].filter, h.form1->SaveFilter);
    QCOMPARE(readFile(path), QByteArray("one\ntwo"));
    QCOMPARE(windowCaptions(*h.form1), QStringList{path});
    QCOMPARE(entryCaptions(*h.form7), QStringList{QFileInfo(path).fileName()});
    QCOMPARE(h.shell.recentDocumentsAdded, QStringList{path});
    QVERIFY(!memo->ModifiedFlag());
    QVERIFY(h.prompts.messages.isEmpty());
}

void TestFiles::saveAsAsksBeforeReplacingTheFileItsExtensionNames_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::newRow("replace") << Answer::Yes;
    QTest::newRow("keep the file") << Answer::No;
}

void TestFiles::saveAsAsksBeforeReplacingTheFileItsExtensionNames()
{
    QFETCH(Answer, answer);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.rootPath() + "/notes.txt";
    QVERIFY(writeFile(path, "precious"));
    QTest::keyClicks(h.form1->ActiveMemo(), "new");
    h.prompts.answerSaveFile(h.environment.rootPath() + "/notes");
    h.prompts.answerMessage(answer);
    TRIGGER_ACTION(h.form1.get(), "SaveAs1");
    QCOMPARE(shownMessages(h.prompts), QStringList{"Confirmation YesNo: " + path +
                                                   " already exists.\rDo you want to replace it?"});
    const bool replaced = answer == Answer::Yes;
    QCOMPARE(readFile(path), replaced ? QByteArray("new") : QByteArray("precious"));
    QCOMPARE(windowCaptions(*h.form1), QStringList{replaced ? path : QString("Untitled1")});
    QCOMPARE(h.form1->ActiveMemo()->ModifiedFlag(), !replaced);
}

void TestFiles::unsavedDocumentStaysAsItWas_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Save As into a file taken for a folder") << "untitled";
    QTest::newRow("Save after the file's folder became a file") << "folder gone";
    QTest::newRow("Save As cancelled") << "cancelled";
}

void TestFiles::unsavedDocumentStaysAsItWas()
{
    QFETCH(QString, how);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString root = h.environment.rootPath();
    QString caption = "Untitled1";
    QString failedPath = root + "/blocker/out.txt";
    if (how == "untitled") {
        QVERIFY(writeFile(root + "/blocker", "a file"));
        h.prompts.answerSaveFile(root + "/blocker/out"); // gets .txt before the write
    } else if (how == "folder gone") {
        QVERIFY(QDir(root).mkpath("sub"));
        caption = failedPath = openNewFile(h, "sub/a.txt", "old");
        QVERIFY(QDir(root + "/sub").removeRecursively() && writeFile(root + "/sub", "a file"));
    } else {
        caption = openNewFile(h, "a.txt", "old");
        h.prompts.answerSaveFile(QString());
    }
    TScrollMemo* memo = h.form1->ActiveMemo();
    QTest::keyClicks(memo, "new");
    const QStringList entries = entryCaptions(*h.form7);

    if (how == "cancelled") {
        TRIGGER_ACTION(h.form1.get(), "SaveAs1");
        QCOMPARE(h.prompts.saveRequests[0].fileName, caption); // the whole caption
        QCOMPARE(h.prompts.saveRequests[0].folder, root);
        QCOMPARE(readFile(caption), QByteArray("old"));
        QVERIFY(h.prompts.messages.isEmpty());
    } else {
        h.prompts.answerMessage(Answer::Ok);
        TRIGGER_ACTION(h.form1.get(), "Save1");
        QCOMPARE(shownMessages(h.prompts),
                 QStringList{"Error Ok: Could not save to file " + failedPath +
                             ".\rThe file might be write protected.\rNot a directory"});
    }
    QVERIFY(memo->ModifiedFlag());
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), caption);
    QCOMPARE(entryCaptions(*h.form7), entries);
    QVERIFY(h.shell.recentDocumentsAdded.isEmpty());
}

void TestFiles::savedFileKeepsItsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::newRow("LF") << QByteArray("first\nsecond\n") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("first\r\nsecond\r\n") << QByteArray("\r\n");
    QTest::newRow("CR") << QByteArray("first\rsecond\r") << QByteArray("\r");
    QTest::newRow("UTF-8 without final break")
        << QByteArray("gr\xc3\xbc\xc3\x9f\ndich") << QByteArray("\n");
    QTest::newRow("no-break space") << QByteArray("a\xc2\xa0"
                                                  "b\n")
                                    << QByteArray("\n");
    QTest::newRow("Latin-1") << QByteArray("gr\xfc\xdf\r\ndich\r\n") << QByteArray("\r\n");
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbfhead\nbody\n") << QByteArray("\n");
}

void TestFiles::savedFileKeepsItsBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, lineBreak);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = openNewFile(h, "kept.txt", bytes);

    // Unchanged text is written back byte for byte (the file is replaced to see the write;
    // Save asks before it overwrites what another program changed).
    QVERIFY(writeFile(path, "replaced"));
    h.prompts.answerMessage(Answer::Yes);
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(path), bytes);
    QCOMPARE(h.prompts.messages.size(), 1);

    // A new first line gets the file's own line break.
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->SetSelStart(0);
    QTest::keyClicks(memo, "x");
    QTest::keyClick(memo, Qt::Key_Return);
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(path), "x" + lineBreak + bytes);
    QVERIFY(!memo->ModifiedFlag());
}

void TestFiles::saveAllWritesEveryWindow()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString root = h.environment.rootPath();
    QTest::keyClicks(h.form1->ActiveMemo(), "one");
    const QString kept = openNewFile(h, "kept.txt", "kept\n");
    TRIGGER_ACTION(h.form1.get(), "New1");
    QTest::keyClicks(h.form1->ActiveMemo(), "two");
    QVERIFY(writeFile(kept, "stale")); // an unmodified document is written too

    h.prompts.answerSaveFile(root + "/first.txt");
    h.prompts.answerSaveFile(root + "/second");
    h.prompts.answerMessage(Answer::Yes); // overwrite what another program changed
    TRIGGER_ACTION(h.form1.get(), "SaveAll1");
    QCOMPARE(h.prompts.saveRequests.size(), 2);
    QCOMPARE(h.prompts.saveRequests[0].fileName, QString("Untitled1")); // the oldest first
    QCOMPARE(h.prompts.saveRequests[1].fileName, QString("Untitled2"));
    QCOMPARE(readFile(root + "/first.txt"), QByteArray("one"));
    QCOMPARE(readFile(root + "/second.txt"), QByteArray("two"));
    QCOMPARE(readFile(kept), QByteArray("kept\n"));
    for (const QMdiSubWindow* window : h.form1->DocumentWindows())
        QVERIFY(!TForm1::MemoOf(window)->ModifiedFlag());
    QVERIFY(!h.form1->CloseConfirmed);

    // Closing a changed document still asks.
    QTest::keyClicks(h.form1->ActiveMemo(), "!");
    h.prompts.answerMessage(Answer::No);
    QVERIFY(h.form1->ActiveDocumentWindow()->close());
    freeClosedWindows();
    QCOMPARE(shownMessages(h.prompts),
             QStringList({"Confirmation YesNo: " + kept +
                              " has been changed by another program.\rDo you want to overwrite it?",
                          UnsavedPrompt.arg("YesNoCancel", "second.txt")}));
}

// ---- Close All -------------------------------------------------------------------------

void TestFiles::closeAllAsksYesOrNo_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("named"); // a name given in the Save dialog
    QTest::addColumn<bool>("closes");
    QTest::newRow("No discards the changes") << Answer::No << false << true;
    QTest::newRow("Yes saves under a name") << Answer::Yes << true << true;
    QTest::newRow("Yes, Save As cancelled") << Answer::Yes << false << false;
}

void TestFiles::closeAllAsksYesOrNo()
{
    QFETCH(Answer, answer);
    QFETCH(bool, named);
    QFETCH(bool, closes);
    MainWindowHarness h;
    QVERIFY(h.show()); // Untitled1 stays unchanged: closed without a question
    TRIGGER_ACTION(h.form1.get(), "New1");
    QPointer<QMdiSubWindow> changed = h.form1->ActiveDocumentWindow();
    QTest::keyClicks(h.form1->ActiveMemo(), "draft");

    const QString path = h.environment.rootPath() + "/draft.txt";
    h.prompts.answerMessage(answer);
    if (answer == Answer::Yes)
        h.prompts.answerSaveFile(named ? path : QString());
    TRIGGER_ACTION(h.form1.get(), "CloseAll1");
    freeClosedWindows();

    QCOMPARE(shownMessages(h.prompts), QStringList{UnsavedPrompt.arg("YesNo", "Untitled2")});
    QVERIFY(!h.form1->CloseConfirmed);
    QCOMPARE(readFile(path), named ? QByteArray("draft") : QByteArray("<unreadable>"));
    if (closes) {
        QVERIFY(h.form1->DocumentWindows().isEmpty());
        QCOMPARE(h.form7->ListView1->count(), 0);
        QVERIFY(!h.form1->findChild<QAction*>("Save1")->isEnabled());
        return;
    }
    QCOMPARE(windowCaptions(*h.form1), QStringList{"Untitled2"});
    QCOMPARE(entryCaptions(*h.form7), QStringList{"Untitled2"});
    QVERIFY(TForm1::MemoOf(changed)->ModifiedFlag());
    QCOMPARE(TForm1::MemoOf(changed)->FullText(), QString("draft"));
}

// ---- Reload, Properties ----------------------------------------------------------------

void TestFiles::reloadDocument_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("deleted"); // the file went after the menu was last looked at
    QTest::addColumn<bool>("reloads");
    QTest::newRow("unmodified: no question") << false << Answer::Ok << false << true;
    QTest::newRow("modified, answered No") << true << Answer::No << false << false;
    QTest::newRow("modified, answered Yes") << true << Answer::Yes << false << true;
    QTest::newRow("modified, Yes, file deleted") << true << Answer::Yes << true << false;
}

void TestFiles::reloadDocument()
{
    QFETCH(bool, edited);
    QFETCH(Answer, answer);
    QFETCH(bool, deleted);
    QFETCH(bool, reloads);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = openNewFile(h, "r.txt", "disk one\n");
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->BookmarkPos = 3;
    if (edited)
        QTest::keyClicks(memo, "edit ");
    const QString before = memo->FullText();
    QVERIFY(deleted ? QFile::remove(path) : writeFile(path, "disk two\n"));

    QStringList expected;
    if (edited) {
        h.prompts.answerMessage(answer);
        expected << "Confirmation YesNo: The changes made to the text in the r.txt file\r"
                    "have not been saved, do you still wish to reload?";
    }
    if (deleted) {
        h.prompts.answerMessage(Answer::Ok);
        expected << "Error Ok: Could not reload file.\rNo such file or directory";
        h.form1->Refresh1Click();
    } else {
        TRIGGER_ACTION(h.form1.get(), "Refresh1");
    }
    QCOMPARE(shownMessages(h.prompts), expected);
    QCOMPARE(memo->FullText(), reloads ? QString("disk two\r\n") : before);
    QCOMPARE(memo->ModifiedFlag(), !reloads);
    QCOMPARE(memo->BookmarkPos, 3);
}

void TestFiles::commandsNeedExistingFile_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("state"); // untitled, deleted after it was opened, exists
    QTest::addColumn<QString>("refusal");
    const QString reload = "Cannot reload file. The document\rhas not been saved.";
    const QString properties = "You must save the document before you \r"
                               "can view and modify it's file properties.";
    for (const char* state : {"untitled", "deleted", "exists"}) {
        QTest::addRow("Reload button, %s", state) << "ReloadButton" << state << reload;
        QTest::addRow("Properties, %s", state) << "Properties1" << state << properties;
    }
}

void TestFiles::commandsNeedExistingFile()
{
    QFETCH(QString, command);
    QFETCH(QString, state);
    QFETCH(QString, refusal);
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1'); // a hidden button counts as disabled
    QVERIFY(h.show());
    const QString path = h.environment.rootPath() + "/f.txt";
    if (state != "untitled")
        openNewFile(h, "f.txt", "disk one\n");
    const QString before = h.form1->ActiveMemo()->FullText();
    QVERIFY(state == "deleted" ? QFile::remove(path) : writeFile(path, "disk two\n"));

    const bool refused = state != "exists";
    if (refused)
        h.prompts.answerMessage(Answer::Ok);
    if (command == "Properties1" && refused) {
        // The menu item is disabled without a file (the File menu looks when it opens); the
        // command still refuses when the file went after that.
        h.form1->File1Click();
        QVERIFY(!h.form1->findChild<QAction*>("Properties1")->isEnabled());
        QVERIFY(!h.form1->findChild<QAction*>("PropertiesButton")->isEnabled());
        h.form1->Properties1Click();
    } else {
        TRIGGER_ACTION(h.form1.get(), qPrintable(command));
    }
    QCOMPARE(shownMessages(h.prompts),
             refused ? QStringList{"Information Ok: " + refusal} : QStringList());
    const bool reloaded = !refused && command == "ReloadButton";
    QCOMPARE(h.form1->ActiveMemo()->FullText(), reloaded ? QString("disk two\r\n") : before);
    const bool shown = !refused && command == "Properties1";
    QCOMPARE(h.shell.propertiesRequests, shown ? QStringList{path} : QStringList());
}

// ---- Clone, Print, Exit ----------------------------------------------------------------

void TestFiles::cloneWindowOfModifiedDocument()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = openNewFile(h, "c.txt", "alpha\r\nbeta\r\n");
    QMdiSubWindow* sourceWindow = h.form1->ActiveDocumentWindow();
    TScrollMemo* source = h.form1->ActiveMemo();
    source->SetSelStart(source->TextLength());
    QTest::keyClicks(source, "gamma");
    source->SetSelStart(9);
    source->SetSelLength(2);
    source->SetWordWrap(!h.form1->DefaultWordWrap);
    source->BookmarkPos = 4;

    TRIGGER_ACTION(h.form1.get(), "CloneWindow1");
    QMdiSubWindow* clone = h.form1->ActiveDocumentWindow();
    QVERIFY(clone != sourceWindow);
    const TScrollMemo* memo = TForm1::MemoOf(clone);
    QCOMPARE(clone->windowTitle(), path);
    QCOMPARE(memo->FullText(), QString("alpha\r\nbeta\r\ngamma"));
    QVERIFY(!memo->ModifiedFlag());
    QVERIFY(source->ModifiedFlag());
    QCOMPARE(memo->SelStart(), 9);
    QCOMPARE(memo->SelLength(), 0);
    QCOMPARE(memo->WordWrap(), h.form1->DefaultWordWrap);
    QCOMPARE(memo->BookmarkPos, 0);
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "c.txt", "c.txt"}));

    // The clone writes the file as it was stored, with CR LF breaks.
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(path), QByteArray("alpha\r\nbeta\r\ngamma"));
    // Cloning used up an "Untitled" number.
    TRIGGER_ACTION(h.form1.get(), "New1");
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled3"));
}

void TestFiles::printWritesDocumentNamedAfterFile()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    openNewFile(h, "page.txt", "printed text\n");
    QPrinter& printer = h.form1->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = h.environment.rootPath() + "/out.pdf";
    printer.setOutputFileName(pdf);

    TRIGGER_ACTION(h.form1.get(), "Print1");
    QVERIFY(h.prompts.messages.isEmpty());
    QCOMPARE(printer.docName(), QString("page.txt"));
    QVERIFY(readFile(pdf).startsWith("%PDF"));
    QVERIFY(QFileInfo(pdf).size() > 100);
}

void TestFiles::exitAsksActiveDocumentFirst()
{
    MainWindowHarness h;
    h.form1->OpenNew = false;
    QVERIFY(h.show());
    for (const char* name : {"a.txt", "b.txt"}) {
        openNewFile(h, name, "text");
        QTest::keyClicks(h.form1->ActiveMemo(), "changed ");
    }

    h.prompts.answerMessage(Answer::No);
    h.prompts.answerMessage(Answer::Cancel);
    TRIGGER_ACTION(h.form1.get(), "Exit1");
    QCOMPARE(shownMessages(h.prompts), QStringList({UnsavedPrompt.arg("YesNoCancel", "b.txt"),
                                                    UnsavedPrompt.arg("YesNoCancel", "a.txt")}));
    QVERIFY(h.form1->isVisible());
    QCOMPARE(h.form1->DocumentWindows().size(), 2);
    for (const QMdiSubWindow* window : h.form1->DocumentWindows()) {
        QVERIFY(TForm1::MemoOf(window)->ModifiedFlag());
        QCOMPARE(TForm1::MemoOf(window)->FullText(), QString("changed text"));
    }
}

void TestFiles::longFileNamesAndLinkedFilesAreSaved()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    // As long as a name can be: nothing may be added to it for the save.
    const QString path = openNewFile(h, QString(251, u'n') + ".txt", "old\n");
    QTest::keyClicks(h.form1->ActiveMemo(), "new ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(shownMessages(h.prompts), QStringList());
    QCOMPARE(readFile(path), QByteArray("new old\n"));

    // A file with a second name keeps it.
    const QString other = h.environment.rootPath() + "/other-name.txt";
    QVERIFY(QFile::remove(other) || !QFile::exists(other));
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    QTest::keyClicks(h.form1->ActiveMemo(), "again ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(other), QByteArray("new again old\n"));
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
