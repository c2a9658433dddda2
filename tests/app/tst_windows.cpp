// Window management, Stay on Top, the Open Files window, command states and the status bar.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

QAction* command(const MainWindowHarness& h, const char* name)
{
    return h.form1->findChild<QAction*>(name);
}

QStringList bringToFrontCaptions(MainWindowHarness& h)
{
    h.form1->Window1Click();
    QStringList captions;
    for (const QAction* item : h.form1->findChild<QMenu*>("BringtoFront1")->actions())
        captions << item->text();
    return captions;
}

// The harness with three documents, Untitled3 active; every toolbar button shown.
void showWithThreeDocuments(MainWindowHarness& h)
{
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "New1");
    TRIGGER_ACTION(h.form1.get(), "New1");
}

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toggleGoesRoundAllWindows();
    void bringToFrontListsWindowsActiveFirst();
    void tileStacksWindowsAndMinimizeAllMinimizes();
    void stayOnTopHidesFloatingWindowsAndDisablesTheirCommands();
    void secondaryWindowSuspendsStayOnTop_data();
    void secondaryWindowSuspendsStayOnTop();
    void secondaryWindowKeepsTheActiveDocument();
    void openFilesShownUnderASecondaryWindowStaysBelowIt();
    void openFilesWindowCommandsActOnFirstSelectedEntry();
    void openFilesWindowPlacedBesideMainWindow();
    void statusBarShowsLineAndColumn();
    void commandStatesFollowDocumentSelectionAndClipboard();
    void commandsNeedADocument();
    void showToolbarFlipsTheToolbar();
    void documentsMenuOpensRecentFiles();
    void floatingWindowsStayHiddenWhileStayingOnTop();
    void statusBarLineIsRightInLongWrappedDocuments();
    void fileCommandsFollowTheFileOnDisk();
};

void TestWindows::toggleGoesRoundAllWindows()
{
    MainWindowHarness h;
    showWithThreeDocuments(h);
    QStringList fronts;
    for (int i = 0; i < 3; ++i) {
        TRIGGER_ACTION(h.form1.get(), "oggleWindows1");
        fronts << h.form1->ActiveDocumentWindow()->windowTitle();
    }
    QCOMPARE(fronts, QStringList({"Untitled1", "Untitled2", "Untitled3"}));
}

void TestWindows::bringToFrontListsWindowsActiveFirst()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "New1");
    QCOMPARE(bringToFrontCaptions(h), QStringList({"&1 Untitled2", "&2 Untitled1"}));
    h.form1->findChild<QMenu*>("BringtoFront1")->actions().at(1)->trigger();
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled1"));
    QCOMPARE(bringToFrontCaptions(h), QStringList({"&1 Untitled1", "&2 Untitled2"}));
}

void TestWindows::tileStacksWindowsAndMinimizeAllMinimizes()
{
    MainWindowHarness h;
    showWithThreeDocuments(h);
    h.form1->DocumentWindows().at(1)->showMaximized();
    TRIGGER_ACTION(h.form1.get(), "Tile1");
    const QRect area = h.form1->MdiArea->viewport()->rect();
    QList<QRect> frames;
    for (const QMdiSubWindow* window : h.form1->DocumentWindows())
        frames << window->geometry();
    std::sort(frames.begin(), frames.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    QCOMPARE(frames.size(), 3);
    QCOMPARE(frames.first().top(), 0);
    QCOMPARE(frames.last().bottom(), area.bottom());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(frames[i].width(), area.width());
        if (i > 0)
            QCOMPARE(frames[i].top(), frames[i - 1].bottom() + 1);
    }

    TRIGGER_ACTION(h.form1.get(), "MinimizeAll1");
    for (const QMdiSubWindow* window : h.form1->DocumentWindows())
        QVERIFY(window->isMinimized());
}

void TestWindows::stayOnTopHidesFloatingWindowsAndDisablesTheirCommands()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QVERIFY(h.form7->isVisible());

    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    QVERIFY(h.form1->StayOnTop);
    QVERIFY(h.form1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(command(h, "Stayontop1")->isChecked());
    QVERIFY(!h.form7->isVisible());
    for (const char* name : {"ShowOpenFiles1", "showbutton", "Overview1", "OverviewButton",
                             "Calculator1", "calcButton"})
        QVERIFY2(!command(h, name)->isEnabled(), name);
    // A new document does not bring them back.
    TRIGGER_ACTION(h.form1.get(), "New1");
    QVERIFY(!command(h, "showbutton")->isEnabled());

    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    QVERIFY(!h.form1->StayOnTop);
    QVERIFY(!h.form1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!h.form7->isVisible()); // not shown again
    for (const char* name : {"ShowOpenFiles1", "showbutton", "Overview1", "calcButton"})
        QVERIFY2(command(h, name)->isEnabled(), name);
}

void TestWindows::secondaryWindowSuspendsStayOnTop_data()
{
    QTest::addColumn<bool>("stayOnTop");
    QTest::newRow("stay on top on") << true;
    QTest::newRow("stay on top off") << false;
}

void TestWindows::secondaryWindowSuspendsStayOnTop()
{
    QFETCH(bool, stayOnTop);
    MainWindowHarness h;
    QVERIFY(h.show());
    if (stayOnTop)
        TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    else
        TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");

    QDialog secondary(h.form1.get());
    h.form1->ShowSecondaryWindow(&secondary);
    QVERIFY(secondary.isVisible());
    QVERIFY(secondary.isEnabled());
    QVERIFY(!h.form1->isEnabled());
    QVERIFY(!h.form1->StayOnTop);
    QCOMPARE(h.form1->StayOnTopSuspended, stayOnTop);
    if (!stayOnTop) // the floating window is no longer above the secondary one
        QVERIFY(!h.form7->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    secondary.close();
    QVERIFY(h.form1->isEnabled());
    QCOMPARE(h.form1->StayOnTop, stayOnTop);
    QCOMPARE(h.form1->StayOnTopSuspended, stayOnTop); // left set until the next suspension
    if (!stayOnTop) {
        QVERIFY(h.form7->isVisible());
        QVERIFY(h.form7->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
}

// Disabling the main window takes the focus from the documents; afterwards the document that
// was active is again, not the first one.
void TestWindows::secondaryWindowKeepsTheActiveDocument()
{
    MainWindowHarness h;
    showWithThreeDocuments(h);
    QMdiSubWindow* middle = h.form1->DocumentWindows().at(1);
    h.form1->MdiArea->setActiveSubWindow(middle);
    QDialog secondary(h.form1.get());
    h.form1->ShowSecondaryWindow(&secondary);
    QVERIFY(QTest::qWaitForWindowActive(&secondary));
    secondary.close();
    h.form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form1.get()));
    QCOMPARE(h.form1->ActiveDocumentWindow(), middle);
    QTRY_COMPARE(QApplication::focusWidget(), h.form1->MemoOf(middle));
}

// The first document opened from the browser shows the Open Files window: not above it.
void TestWindows::openFilesShownUnderASecondaryWindowStaysBelowIt()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QVERIFY(!h.form7->isVisible());
    QDialog secondary(h.form1.get());
    h.form1->ShowSecondaryWindow(&secondary);
    h.form7->show();
    QVERIFY(!h.form7->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    secondary.close();
    QVERIFY(h.form7->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestWindows::openFilesWindowCommandsActOnFirstSelectedEntry()
{
    MainWindowHarness h;
    showWithThreeDocuments(h);
    QListWidget* list = h.form7->ListView1;
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "Untitled2", "Untitled3"}));
    auto invoke = [&h](const char* name) {
        h.form7->PopupMenu1->findChild<QAction*>(name)->trigger();
    };

    // Nothing selected: the commands do nothing.
    invoke("MinimizeWindow1");
    h.form7->ListView1DblClick(nullptr);
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled3"));
    QVERIFY(!h.form1->ActiveDocumentWindow()->isMinimized());

    list->item(2)->setSelected(true);
    list->item(0)->setSelected(true);
    invoke("MinimizeWindow1");
    QMdiSubWindow* first = TForm7::WindowOf(list->item(0));
    QVERIFY(first->isMinimized());
    invoke("BringtoFront1");
    QVERIFY(!first->isMinimized());
    QCOMPARE(h.form1->ActiveDocumentWindow(), first);
    invoke("MaximizeWindow1");
    QVERIFY(first->isMaximized());

    list->clearSelection();
    list->item(1)->setSelected(true);
    h.form7->ListView1DblClick(list->item(1));
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled2"));

    QTest::keyClicks(h.form1->ActiveMemo(), "changed");
    h.prompts.answerMessage(Answer::Cancel);
    invoke("Close1");
    QCOMPARE(h.prompts.messages.size(), 1); // its close query ran
    h.prompts.answerMessage(Answer::No);
    invoke("Close1");
    freeClosedWindows();
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "Untitled3"}));
}

void TestWindows::openFilesWindowPlacedBesideMainWindow()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    h.form1->move(100, 80);
    const int toolbarHeight = h.form1->ToolBar1->height();
    QVERIFY(toolbarHeight > 20);
    // Half the height inside the frame and below the menu bar, less the toolbar and 75;
    // a hidden toolbar counts with the height it has when shown.
    const int clientHeight = h.form1->height() - h.form1->menuBar()->height();
    const QPoint expected(h.form1->x() + h.form1->width() - 250,
                          h.form1->y() + clientHeight / 2 - toolbarHeight - 75);
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QCOMPARE(h.form7->pos(), expected);
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    TRIGGER_ACTION(h.form1.get(), "ShowToolbar1");
    QVERIFY(h.form1->ToolBar1->isHidden());
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QCOMPARE(h.form7->pos(), expected);
    QVERIFY(command(h, "ShowOpenFiles1")->isChecked());
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QVERIFY(!h.form7->isVisible());
    QVERIFY(!command(h, "ShowOpenFiles1")->isChecked());
}

void TestWindows::statusBarShowsLineAndColumn()
{
    MainWindowHarness h;
    h.form1->DefaultWordWrap = false;
    QVERIFY(h.show());
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->SetFullText("one\r\ntwo\r\nthree");
    memo->SetSelStart(10);
    QCOMPARE(h.form1->StatusText(), QString("  3:1"));
    memo->SetSelStart(13);
    memo->SetSelLength(-8); // backwards: the lower end counts
    QCOMPARE(h.form1->StatusText(), QString("  2:1"));

    memo->SetFullText(QString("word ").repeated(200));
    memo->SetWordWrap(true);
    QCoreApplication::processEvents();
    const int secondScreenLine = memo->LineIndex(1);
    QVERIFY(secondScreenLine > 0);
    memo->SetSelStart(secondScreenLine + 1);
    QCOMPARE(h.form1->StatusText(), QString("  2:2"));

    memo->SetModifiedFlag(false);
    h.form1->ActiveDocumentWindow()->close();
    QCOMPARE(h.form1->StatusText(), QString());
}

void TestWindows::commandStatesFollowDocumentSelectionAndClipboard()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    QGuiApplication::clipboard()->clear();
    TScrollMemo* memo = h.form1->ActiveMemo();
    h.form1->Edit1Click();
    for (const char* name : {"Refresh1", "Properties1", "PropertiesButton", "Undo1", "UndoButton",
                             "Paste1", "PasteSpecial1", "Paste2", "Cut1", "CutButton", "Copy2",
                             "Delete2", "Highlight1", "Highlight2", "HighlightButton"})
        QVERIFY2(!command(h, name)->isEnabled(), name);
    for (const char* name : {"Delete1", "DeleteButton", "SelectAll1", "Insertfile1", "ReloadButton"})
        QVERIFY2(command(h, name)->isEnabled(), name);

    QTest::keyClicks(memo, "some text");
    memo->SetSelStart(0);
    memo->SetSelLength(4);
    for (const char* name : {"Undo1", "UndoButton", "Undo2", "Cut1", "Copy1", "CopySButton",
                             "Crop2", "Delete2", "Execute1", "ExecuteButton"})
        QVERIFY2(command(h, name)->isEnabled(), name);
    QGuiApplication::clipboard()->setText("clip");
    QVERIFY(command(h, "Paste1")->isEnabled());
    QVERIFY(command(h, "PasteSButton")->isEnabled());
    memo->SetSelStart(0);
    QVERIFY(!command(h, "Copy1")->isEnabled());
    QVERIFY(!command(h, "CropButton")->isEnabled());

    // A document whose file exists can be reloaded; its word wrap shows in the menu.
    const QString path = h.environment.rootPath() + "/exists.txt";
    QVERIFY(writeFile(path, "x"));
    h.form1->OpenFileInNewWindow(path);
    h.form1->ActiveMemo()->SetWordWrap(false);
    h.form1->Edit1Click();
    QVERIFY(command(h, "Refresh1")->isEnabled());
    QVERIFY(command(h, "Properties1")->isEnabled());
    QVERIFY(!command(h, "WordWrap1")->isChecked());
    QGuiApplication::clipboard()->clear();
}

void TestWindows::commandsNeedADocument()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    h.form1->ActiveDocumentWindow()->close();
    for (const char* name : {"Save1", "Print1", "Close1", "CloseAll1", "Edit1", "Undo1", "Cut1",
                             "Search1", "Window1", "ShowOpenFiles1", "Stayontop1", "SaveButton",
                             "PreferencesButton", "calcButton", "DeleteButton"})
        QVERIFY2(!command(h, name)->isEnabled(), name);
    for (const char* name : {"New1", "Open1", "BrowseFiles1", "PageSetup1", "Exit1", "SetFont1",
                             "SetFilters1", "HelpTopics1", "NewButton", "OpenButton",
                             "BrowseButton"})
        QVERIFY2(command(h, name)->isEnabled(), name);
}

void TestWindows::showToolbarFlipsTheToolbar()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "ShowToolbar1");
    QVERIFY(h.form1->ToolBar1->isHidden());
    QVERIFY(!command(h, "ShowToolbar1")->isChecked());
    TRIGGER_ACTION(h.form1.get(), "ShowToolbar1");
    QVERIFY(!h.form1->ToolBar1->isHidden());
    h.form1->Window1Click();
    QVERIFY(command(h, "ShowToolbar1")->isChecked());
}

void TestWindows::documentsMenuOpensRecentFiles()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString root = h.environment.rootPath();
    QVERIFY(writeFile(root + "/kept.txt", "kept"));
    h.shell.recentDocumentsAdded = {root + "/kept.txt", root + "/report.doc", root + "/gone.txt"};
    QMenu* documents = h.form1->findChild<QMenu*>("RecentDocuments1");
    Q_EMIT documents->aboutToShow();
    QStringList captions;
    for (const QAction* item : documents->actions()) {
        if (item->isVisible())
            captions << item->text();
    }
    QCOMPARE(captions, QStringList({root + "/kept.txt", root + "/gone.txt"}));

    documents->actions().at(1)->trigger();
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), root + "/kept.txt");
    QCOMPARE(h.shell.recentDocumentsAdded.size(), 3); // not added again
    h.prompts.answerMessage(Answer::Ok);
    documents->actions().at(2)->trigger();
    QCOMPARE(shownMessages(h.prompts), QStringList{"Error Ok: Could not find file gone.txt."});
}

void TestWindows::floatingWindowsStayHiddenWhileStayingOnTop()
{
    MainWindowHarness h;
    h.form1->ShowTheOpenFiles = true;
    QVERIFY(h.show());
    QVERIFY(h.form7->isVisible());
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    TRIGGER_ACTION(h.form1.get(), "CloseAll1");
    freeClosedWindows();
    // The first new document would show the Open Files window, which could not be hidden.
    TRIGGER_ACTION(h.form1.get(), "New1");
    QVERIFY(!h.form7->isVisible());
    QVERIFY(!command(h, "ShowOpenFiles1")->isEnabled());
    h.form7->show(); // nor does anything else show it
    QVERIFY(!h.form7->isVisible());

    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1");
    QVERIFY(h.form7->isVisible());
}

void TestWindows::statusBarLineIsRightInLongWrappedDocuments()
{
    MainWindowHarness h;
    h.form1->DefaultWordWrap = true;
    QVERIFY(h.show());
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->SetFullText(QString(1000, u'x'));
    QCoreApplication::processEvents();
    const int perLine = memo->LineLength(0);
    QVERIFY(perLine > 10 && perLine < 1000);
    // 60,000 lines of four screen lines each.
    memo->SetFullText((QString(4 * perLine - 1, u'x') + "\r\n").repeated(60000));
    QCoreApplication::processEvents();
    memo->SetSelStart(memo->TextLength());
    QCOMPARE(h.form1->StatusText(), QString::fromUtf8("  \u2026:1")); // not known at once
    QTRY_COMPARE_WITH_TIMEOUT(h.form1->StatusText(), QString("  240001:1"), 60000);
}

void TestWindows::fileCommandsFollowTheFileOnDisk()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    const QString path = h.environment.rootPath() + "/watched.txt";
    QVERIFY(writeFile(path, "text"));
    h.form1->OpenFileInNewWindow(path);
    QVERIFY(command(h, "Refresh1")->isEnabled());
    QVERIFY(command(h, "Properties1")->isEnabled());

    // Gone from the disk: Reload and Properties go too, without a menu being opened.
    QVERIFY(QFile::remove(path));
    QTRY_VERIFY(!command(h, "Refresh1")->isEnabled());
    QVERIFY(!command(h, "Properties1")->isEnabled());
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString("text")); // the text stays

    // Saved again, the file is back at once.
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(path), QByteArray("text"));
    QVERIFY(command(h, "Refresh1")->isEnabled());

    // Made by another program: it appears too.
    QVERIFY(QFile::remove(path));
    QTRY_VERIFY(!command(h, "Refresh1")->isEnabled());
    QVERIFY(writeFile(path, "from elsewhere"));
    QTRY_VERIFY(command(h, "Refresh1")->isEnabled());
    TRIGGER_ACTION(h.form1.get(), "ReloadButton");
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString("from elsewhere"));

    // A clone of a saved document has the file at once.
    TRIGGER_ACTION(h.form1.get(), "CloneWindow1");
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), path);
    QVERIFY(command(h, "Refresh1")->isEnabled());
    QVERIFY(command(h, "Properties1")->isEnabled());
    QVERIFY(command(h, "PropertiesButton")->isEnabled());
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
