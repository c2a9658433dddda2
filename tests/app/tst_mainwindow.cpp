// The main window driven offscreen: New, document windows and their closing, the Open
// Files list, menus, toolbar and status bar.

#include "support/MainWindowHarness.h"
#include "support/TestQueries.h"
#include "support/TestActions.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "platform/Clock.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <QToolBar>
#include <QToolButton>

Q_DECLARE_METATYPE(Answer)

namespace {

const char* const UnsavedPrompt =
    "The text in the %1 file has changed.\r\rDo you want to save the changes?";

QAction* actionNamed(const QWidget* window, const QString& name)
{
    return window->findChild<QAction*>(name);
}

// Captions of a menu's items in order, "-" for a separator.
QString menuLayout(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* item : menu->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return captions.join(u'|');
}

QStringList toolbarRow(const TForm1& form, const char* rowName)
{
    QStringList names;
    for (const QAction* item : form.findChild<QToolBar*>(rowName)->actions())
        names << item->objectName();
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newNumbersUntitledWindows();
    void newDocumentWindowIsSetUp();
    void newRestoresMaximizedActiveWindow_data();
    void newRestoresMaximizedActiveWindow();
    void firstNewFollowsShowTheOpenFiles_data();
    void firstNewFollowsShowTheOpenFiles();
    void startWithoutNewDocument();
    void documentWindowsInActivationOrder();
    void closingLastWindowTurnsDocumentCommandsOff();
    void closingInactiveWindowRemovesOnlyItsEntry();
    void closingModifiedDocument_data();
    void closingModifiedDocument();
    void closeConfirmedClosesWithoutPrompt();
    void unplannedPromptFailsAndCancels();
    void mainWindowCloseAsksActiveDocumentFirst_data();
    void mainWindowCloseAsksActiveDocumentFirst();
    void menuLayouts_data();
    void menuLayouts();
    void menuItemsAtStart_data();
    void menuItemsAtStart();
    void editorContextMenuIsPopupMenu1();
    void toolbarRowsAndHints();
    void toolbarBits_data();
    void toolbarBits();
    void typingAndStatusBar();
    void selectionButtonsFollowSelection();
    void undoButtonFollowsUndo();
    void applicationTitleAlternates();
};

void TestMainWindow::newNumbersUntitledWindows()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "New1");
    TRIGGER_ACTION(h.form1.get(), "NewButton");
    QCOMPARE(windowCaptions(*h.form1), QStringList({"Untitled3", "Untitled2", "Untitled1"}));
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "Untitled2", "Untitled3"}));

    QVERIFY(h.form1->ActiveDocumentWindow()->close());
    freeClosedWindows();
    TRIGGER_ACTION(h.form1.get(), "New1");
    QCOMPARE(windowCaptions(*h.form1), QStringList({"Untitled4", "Untitled2", "Untitled1"}));
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "Untitled2", "Untitled4"}));
    QCOMPARE(h.form1->UntitledCounter, 4);
}

void TestMainWindow::newDocumentWindowIsSetUp()
{
    MainWindowHarness h;
    h.form1->DefaultWordWrap = false;
    h.form1->NewWindowWidth = 500;
    h.form1->NewWindowHeight = 300;
    QVERIFY(h.show());

    QMdiSubWindow* window = h.form1->ActiveDocumentWindow();
    QVERIFY(window);
    QCOMPARE(window->size(), QSize(500, 300));
    TScrollMemo* memo = TForm1::MemoOf(window);
    QVERIFY(memo);
    QVERIFY(!memo->WordWrap());
    QVERIFY(!memo->HideSelection());
    QCOMPARE(memo->EditorFont().family(), QString("Fixedsys"));
    QCOMPARE(memo->EditorFont().pointSize(), 8);
    QVERIFY(!memo->ModifiedFlag());
    QCOMPARE(QApplication::focusWidget(), memo);
    QCOMPARE(h.form1->StatusText(), QString("  1:1"));
    QCOMPARE(TForm7::WindowOf(h.form7->ListView1->item(0)), window);

    TRIGGER_ACTION(h.form1.get(), "New1");
    const QPoint offset = h.form1->ActiveDocumentWindow()->pos() - window->pos();
    QVERIFY2(offset.x() > 0 && offset.x() == offset.y(), "new windows are staggered");
}

void TestMainWindow::newRestoresMaximizedActiveWindow_data()
{
    QTest::addColumn<bool>("alwaysMaximize");
    QTest::newRow("new window normal") << false;
    QTest::newRow("new window maximized") << true;
}

void TestMainWindow::newRestoresMaximizedActiveWindow()
{
    QFETCH(bool, alwaysMaximize);
    MainWindowHarness h;
    QVERIFY(h.show());
    QMdiSubWindow* first = h.form1->ActiveDocumentWindow();
    first->showMaximized();
    QVERIFY(first->isMaximized());

    h.form1->AlwaysMaximize = alwaysMaximize;
    TRIGGER_ACTION(h.form1.get(), "New1");
    QVERIFY(!first->isMaximized());
    QMdiSubWindow* second = h.form1->ActiveDocumentWindow();
    QVERIFY(second != first);
    QCOMPARE(second->isMaximized(), alwaysMaximize);
}

void TestMainWindow::firstNewFollowsShowTheOpenFiles_data()
{
    QTest::addColumn<bool>("showTheOpenFiles");
    QTest::newRow("shown") << true;
    QTest::newRow("hidden") << false;
}

void TestMainWindow::firstNewFollowsShowTheOpenFiles()
{
    QFETCH(bool, showTheOpenFiles);
    MainWindowHarness h;
    h.form1->ShowTheOpenFiles = showTheOpenFiles;
    QVERIFY(h.show());
    QCOMPARE(h.form7->isVisible(), showTheOpenFiles);

    // Only the first document window decides.
    h.form7->setVisible(!showTheOpenFiles);
    TRIGGER_ACTION(h.form1.get(), "New1");
    QCOMPARE(h.form7->isVisible(), !showTheOpenFiles);
}

void TestMainWindow::startWithoutNewDocument()
{
    MainWindowHarness h;
    h.form1->OpenNew = false;
    QVERIFY(h.show());
    QVERIFY(h.form1->DocumentWindows().isEmpty());
    QVERIFY(!actionNamed(h.form1.get(), "Close1")->isEnabled());
    QVERIFY(!actionNamed(h.form1.get(), "SaveButton")->isEnabled());
    QCOMPARE(h.form1->StatusText(), QString());
    TRIGGER_ACTION(h.form1.get(), "NewButton");
    QCOMPARE(windowCaptions(*h.form1), QStringList{"Untitled1"});
    QVERIFY(actionNamed(h.form1.get(), "Close1")->isEnabled());
}

void TestMainWindow::documentWindowsInActivationOrder()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QMdiSubWindow* first = h.form1->ActiveDocumentWindow();
    QTest::keyClicks(TForm1::MemoOf(first), "abc");
    TRIGGER_ACTION(h.form1.get(), "New1");
    TRIGGER_ACTION(h.form1.get(), "New1");
    QCOMPARE(h.form1->StatusText(), QString("  1:1"));

    h.form1->MdiArea->setActiveSubWindow(first);
    QCOMPARE(windowCaptions(*h.form1), QStringList({"Untitled1", "Untitled3", "Untitled2"}));
    QCOMPARE(h.form1->StatusText(), QString("  1:4")); // the caret of the activated window
}

void TestMainWindow::closingLastWindowTurnsDocumentCommandsOff()
{
    MainWindowHarness h;
    h.form1->ShowTheOpenFiles = true;
    h.form1->ToolbarBits = QString(35, u'1'); // a hidden button counts as disabled
    QVERIFY(h.show());
    QVERIFY(h.form7->isVisible());
    QVERIFY(actionNamed(h.form1.get(), "Save1")->isEnabled());

    QVERIFY(h.form1->ActiveDocumentWindow()->close());
    freeClosedWindows();
    QVERIFY(h.form1->DocumentWindows().isEmpty());
    QVERIFY(!h.form7->isVisible());
    QCOMPARE(h.form7->ListView1->count(), 0);
    QCOMPARE(h.form1->StatusText(), QString());
    for (const char* name : {"Edit1", "Search1", "Window1", "Save1", "SaveAs1", "Print1", "Close1",
                             "CloseAll1", "SaveAll1", "Properties1", "SaveButton", "CloseButton",
                             "UndoButton", "calcButton", "PreferencesButton"})
        QVERIFY2(!actionNamed(h.form1.get(), name)->isEnabled(), name);
    for (const char* name : {"New1", "Open1", "BrowseFiles1", "PageSetup1", "Exit1", "Options1",
                             "Help1", "SetFilters1", "NewButton", "OpenButton", "BrowseButton"})
        QVERIFY2(actionNamed(h.form1.get(), name)->isEnabled(), name);
}

void TestMainWindow::closingInactiveWindowRemovesOnlyItsEntry()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "New1");
    QMdiSubWindow* second = h.form1->ActiveDocumentWindow();
    TRIGGER_ACTION(h.form1.get(), "New1");
    QTest::keyClicks(h.form1->ActiveMemo(), "xy");

    QVERIFY(second->close());
    freeClosedWindows();
    QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "Untitled3"}));
    QCOMPARE(windowCaptions(*h.form1), QStringList({"Untitled3", "Untitled1"}));
    // The freed window does not leave the status bar empty while another is active.
    QCOMPARE(h.form1->StatusText(), QString("  1:3"));
    QVERIFY(actionNamed(h.form1.get(), "Save1")->isEnabled());
}

void TestMainWindow::closingModifiedDocument_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("saveSucceeds");
    QTest::addColumn<bool>("closes");
    QTest::newRow("yes, saved") << Answer::Yes << true << true;
    QTest::newRow("yes, not saved") << Answer::Yes << false << false;
    QTest::newRow("no") << Answer::No << false << true;
    QTest::newRow("cancel") << Answer::Cancel << false << false;
}

void TestMainWindow::closingModifiedDocument()
{
    QFETCH(Answer, answer);
    QFETCH(bool, saveSucceeds);
    QFETCH(bool, closes);
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "New1");
    QPointer<QMdiSubWindow> window = h.form1->ActiveDocumentWindow();
    TScrollMemo* memo = h.form1->ActiveMemo();
    QTest::keyClicks(memo, "text");
    QVERIFY(memo->ModifiedFlag());

    // Yes saves the untitled text through Save As: a name given, or the dialog cancelled.
    const QString path = h.environment.rootPath() + "/saved.txt";
    h.prompts.answerMessage(answer);
    if (answer == Answer::Yes)
        h.prompts.answerSaveFile(saveSucceeds ? path : QString());
    QCOMPARE(window->close(), closes);
    freeClosedWindows();

    QCOMPARE(h.prompts.messages.size(), 1);
    QCOMPARE(h.prompts.messages[0].text, QString(UnsavedPrompt).arg("Untitled2"));
    QCOMPARE(h.prompts.messages[0].kind, MessageKind::Confirmation);
    QCOMPARE(h.prompts.messages[0].buttons, MessageButtons::YesNoCancel);
    QCOMPARE(h.prompts.saveRequests.size(), answer == Answer::Yes ? 1 : 0);
    QCOMPARE(QFileInfo::exists(path), saveSucceeds);
    QCOMPARE(window.isNull(), closes);
    if (!closes) {
        QVERIFY(memo->ModifiedFlag());
        QCOMPARE(memo->FullText(), QString("text"));
        QCOMPARE(entryCaptions(*h.form7), QStringList({"Untitled1", "Untitled2"}));
        QVERIFY(!h.form1->CloseConfirmed);
    }
}

void TestMainWindow::closeConfirmedClosesWithoutPrompt()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QTest::keyClicks(h.form1->ActiveMemo(), "text");
    h.form1->CloseConfirmed = true;
    QVERIFY(h.form1->ActiveDocumentWindow()->close());
    QVERIFY(h.prompts.messages.isEmpty());
}

void TestMainWindow::unplannedPromptFailsAndCancels()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QTest::keyClicks(h.form1->ActiveMemo(), "text");
    QEXPECT_FAIL("", "the test queued no answer for the prompt", Continue);
    QVERIFY(!h.form1->ActiveDocumentWindow()->close()); // answered as Cancel
    QCOMPARE(h.prompts.messages.size(), 1);
    QCOMPARE(h.form1->DocumentWindows().size(), 1);
}

void TestMainWindow::mainWindowCloseAsksActiveDocumentFirst_data()
{
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("closes");
    QTest::newRow("cancel on the active document")
        << QList<Answer>{Answer::Cancel} << QStringList{"Untitled2"} << false;
    QTest::newRow("no, then cancel") << QList<Answer>{Answer::No, Answer::Cancel}
                                     << QStringList{"Untitled2", "Untitled1"} << false;
    QTest::newRow("no to both") << QList<Answer>{Answer::No, Answer::No}
                                << QStringList{"Untitled2", "Untitled1"} << true;
}

void TestMainWindow::mainWindowCloseAsksActiveDocumentFirst()
{
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, asked);
    QFETCH(bool, closes);
    MainWindowHarness h;
    QVERIFY(h.show());
    QTest::keyClicks(h.form1->ActiveMemo(), "one");
    TRIGGER_ACTION(h.form1.get(), "New1");
    QTest::keyClicks(h.form1->ActiveMemo(), "two");

    for (Answer answer : answers)
        h.prompts.answerMessage(answer);
    QCOMPARE(h.form1->close(), closes);

    QStringList prompted;
    for (const ShownMessage& message : std::as_const(h.prompts.messages))
        prompted << message.text;
    QStringList expected;
    for (const QString& caption : asked)
        expected << QString(UnsavedPrompt).arg(caption);
    QCOMPARE(prompted, expected);
    QCOMPARE(h.form1->DocumentWindows().size(), 2);
    if (!closes) {
        QVERIFY(h.form1->isVisible());
        for (const QMdiSubWindow* window : h.form1->DocumentWindows())
            QVERIFY(TForm1::MemoOf(window)->ModifiedFlag());
    }
}

void TestMainWindow::menuLayouts_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("layout");
    QTest::newRow("File") << "File1"
                          << "&New|&Open...|Documents|Favorites|&Save|Save &As...|Save All|"
                             "&Close|C&lose All|-|Properties|-|&Browse Files...|-|"
                             "Page Setup...|&Print|-|E&xit";
    QTest::newRow("Documents") << "RecentDocuments1"
                               << "No files";
    QTest::newRow("Favorites") << "Favorites1"
                               << "-|Modify...";
    QTest::newRow("Edit") << "Edit1"
                          << "&Undo|-|Cu&t|&Copy|Copy Special...|&Paste|Paste Special...|"
                             "De&lete|C&rop|Auto Paste|Insert File...|-|&Highlight|"
                             "Clear Highlights|-|&Bookmark|-|Select &All|Time/&Date|-|"
                             "Execute|-|&Word Wrap|-|Re&load|Open With...";
    QTest::newRow("Bookmark") << "Bookmark1"
                              << "Goto|Set";
    QTest::newRow("Search") << "Search1"
                            << "&Find...|Find &Next|Find and Highlight...|&Replace...|"
                               "Replace Special...";
    QTest::newRow("Options") << "Options1"
                             << "Preferences|Auto Complete...|Set Font...";
    QTest::newRow("Window") << "Window1"
                            << "&Cascade|&Tile|&Minimize All|&Bring to Front|Toggle|-|"
                               "Clone &Window|-|Show Toolbar|Show Open Files|Show Overview|"
                               "Show Calculator|-|Stay on Top";
    QTest::newRow("Help") << "Help1"
                          << "&Help Topics|-|&About...";
    QTest::newRow("popup") << "PopupMenu1"
                           << "&Undo|-|Cu&t|&Copy|&Paste|De&lete|C&rop|-|&Highlight|-|"
                              "Select &All|-|Execute|-|Bookmark";
    QTest::newRow("popup Bookmark") << "Bookmark2"
                                    << "Goto|Set";
}

void TestMainWindow::menuLayouts()
{
    QFETCH(QString, menu);
    QFETCH(QString, layout);
    MainWindowHarness h;
    const QMenu* found = h.form1->findChild<QMenu*>(menu);
    QVERIFY(found);
    QCOMPARE(menuLayout(found), layout);
}

void TestMainWindow::menuItemsAtStart_data()
{
    struct Row {
        const char* name;
        const char* shortcut;
        bool enabled;
        bool checkable;
    };
    const Row rows[] = {
        {"New1", "", true, false},
        {"Save1", "Ctrl+S", false, false},
        {"SaveAs1", "", false, false},
        {"SaveAll1", "Ctrl+Alt+S", false, false},
        {"Close1", "", true, false},
        {"BrowseFiles1", "Ctrl+B", true, false},
        {"Print1", "", false, false},
        {"Edit1", "", false, false},
        {"Delete1", "Del", true, false},
        {"CopySpecial1", "Ctrl+Alt+C", true, false},
        {"AutoPaste1", "", true, true},
        {"TimeDate1", "Shift+F5", true, false},
        {"WordWrap1", "Ctrl+W", true, true},
        {"OpenWith1", "F9", true, false},
        {"Search1", "", false, false},
        {"ReplaceSpecial1", "Ctrl+Alt+E", true, false},
        {"Options1", "", true, false},
        {"Window1", "", false, false},
        {"oggleWindows1", "Alt+Backspace", true, false},
        {"ShowOpenFiles1", "F4", true, true},
        {"HelpTopics1", "F1", true, false},
        {"Execute2", "", true, false},
    };
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checkable");
    for (const Row& row : rows)
        QTest::newRow(row.name) << row.name << row.shortcut << row.enabled << row.checkable;
}

void TestMainWindow::menuItemsAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, shortcut);
    QFETCH(bool, enabled);
    QFETCH(bool, checkable);
    MainWindowHarness h;
    const QAction* item = actionNamed(h.form1.get(), name);
    QVERIFY(item);
    QCOMPARE(item->shortcut().toString(QKeySequence::PortableText), shortcut);
    QCOMPARE(item->isEnabled(), enabled);
    QCOMPARE(item->isCheckable(), checkable);
}

void TestMainWindow::editorContextMenuIsPopupMenu1()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TScrollMemo* memo = h.form1->ActiveMemo();
    QCOMPARE(memo->contextMenuPolicy(), Qt::CustomContextMenu);
    Q_EMIT memo->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(h.form1->PopupMenu1->isVisible());
    h.form1->PopupMenu1->close();
}

void TestMainWindow::toolbarRowsAndHints()
{
    MainWindowHarness h;
    QCOMPARE(toolbarRow(*h.form1, "ToolBar1Row1"),
             QStringList({"NewButton", "OpenButton", "SaveButton", "SaveAllButton", "CloseButton",
                          "CloseAllButton", "PropertiesButton", "ReloadButton", "BrowseButton",
                          "OpenWithButton", "separator1", "PrintButton", "FindButton",
                          "FindNextButton", "ReplaceButton", "RepadButton", "separator2"}));
    QCOMPARE(toolbarRow(*h.form1, "ToolBar1Row2"),
             QStringList({"CutButton",      "CopyButton",   "CopySButton",       "PasteButton",
                          "PasteSButton",   "DeleteButton", "CropButton",        "HighlightButton",
                          "SelectAButton",  "wrapbutton",   "ExecuteButton",     "separator3",
                          "UndoButton",     "separator5",   "TileButton",        "CascadeButton",
                          "CloneButton",    "separator4",   "PreferencesButton", "showbutton",
                          "OverviewButton", "calcButton"}));

    // Every button shows an icon, from the theme or our own.
    for (const QAction* button : h.form1->findChildren<QAction*>()) {
        if (button->objectName().endsWith("utton"))
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    }
    const QHash<QString, QString> hints{
        {"SaveAllButton", "Savel All"},     {"CloseButton", ""},
        {"RepadButton", "Replace Special"}, {"CloneButton", "Clone Window"},
        {"showbutton", "Open Files"},       {"calcButton", "Calculator"}};
    for (auto it = hints.cbegin(); it != hints.cend(); ++it)
        QCOMPARE(h.form1->findChild<QToolButton*>(it.key())->toolTip(), it.value());
}

void TestMainWindow::toolbarBits_data()
{
    QTest::addColumn<QString>("bits");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("default") << "11101000101101110101110011111000001"
                             << QStringList{"NewButton",     "OpenButton",      "SaveButton",
                                            "CloseButton",   "BrowseButton",    "PrintButton",
                                            "FindButton",    "ReplaceButton",   "CutButton",
                                            "CopyButton",    "PasteButton",     "DeleteButton",
                                            "CropButton",    "HighlightButton", "UndoButton",
                                            "CascadeButton", "TileButton",      "CloneButton",
                                            "showbutton",    "separator1",      "separator2",
                                            "separator3",    "separator4",      "separator5"};
    QTest::newRow("only New") << "1" + QString(34, u'0') << QStringList{"NewButton"};
    QTest::newRow("short string") << "0011" << QStringList{"SaveButton", "SaveAllButton"};
    QTest::newRow("other characters hide")
        << "x1" + QString(32, u'0') + "X" << QStringList{"OpenButton"};
}

void TestMainWindow::toolbarBits()
{
    QFETCH(QString, bits);
    QFETCH(QStringList, visible);
    MainWindowHarness h;
    h.form1->ToolbarBits = bits; // the first showing applies it
    QVERIFY(h.show());

    QStringList shown;
    for (const char* row : {"ToolBar1Row1", "ToolBar1Row2"}) {
        for (const QAction* item : h.form1->findChild<QToolBar*>(row)->actions()) {
            if (item->isVisible())
                shown << item->objectName();
        }
    }
    shown.sort();
    visible.sort();
    QCOMPARE(shown, visible);
}

void TestMainWindow::typingAndStatusBar()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TScrollMemo* memo = h.form1->ActiveMemo();
    QCOMPARE(h.form1->StatusText(), QString("  1:1"));

    QTest::keyClicks(memo, "ab");
    QCOMPARE(h.form1->StatusText(), QString("  1:3"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClick(memo, Qt::Key_Tab);
    QCOMPARE(memo->FullText(), QString("ab\r\n\t"));
    QCOMPARE(h.form1->StatusText(), QString("  2:2"));

    // Del and Shift+F5 go to their commands (Delete, Time/Date).
    QTest::keyClick(memo, Qt::Key_Home);
    QTest::keyClick(memo, Qt::Key_Delete);
    QCOMPARE(memo->FullText(), QString("ab\r\n"));
    QTest::keyClick(memo, Qt::Key_F5, Qt::ShiftModifier);
    QCOMPARE(memo->FullText(), "ab\r\n" + ShortDateAndTime(h.clock.now()));

    // Ctrl+W is Word Wrap's, not the document window's own Close.
    QSignalSpy wordWrap(actionNamed(h.form1.get(), "WordWrap1"), &QAction::triggered);
    QTest::keyClick(memo, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(wordWrap.count(), 1);
    QCOMPARE(h.form1->DocumentWindows().size(), 1);
}

void TestMainWindow::selectionButtonsFollowSelection()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1'); // a hidden button counts as disabled
    QVERIFY(h.show());
    const QStringList selectionButtons{"CutButton",     "CopyButton", "CopySButton",
                                       "ExecuteButton", "CropButton", "HighlightButton"};
    auto enabledButtons = [&] {
        QStringList enabled;
        for (const QString& name : selectionButtons) {
            if (actionNamed(h.form1.get(), name)->isEnabled())
                enabled << name;
        }
        return enabled;
    };
    QCOMPARE(enabledButtons(), QStringList());

    TScrollMemo* memo = h.form1->ActiveMemo();
    QTest::keyClicks(memo, "hello");
    actionNamed(h.form1.get(), "DeleteButton")->setEnabled(false);
    memo->SetSelStart(4);
    memo->SetSelLength(-3); // selected backwards: the status shows its lower end
    QCOMPARE(enabledButtons(), selectionButtons);
    QVERIFY(actionNamed(h.form1.get(), "DeleteButton")->isEnabled());
    QCOMPARE(h.form1->StatusText(), QString("  1:2"));

    memo->SetSelStart(0);
    QCOMPARE(enabledButtons(), QStringList());
    QVERIFY(actionNamed(h.form1.get(), "DeleteButton")->isEnabled());
}

void TestMainWindow::undoButtonFollowsUndo()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QAction* undoButton = actionNamed(h.form1.get(), "UndoButton");
    TScrollMemo* memo = h.form1->ActiveMemo();
    QTest::keyClicks(memo, "a");
    QVERIFY(undoButton->isEnabled());
    memo->UndoLast();
    QVERIFY(!memo->CanUndo());
    QVERIFY(!undoButton->isEnabled());
}

void TestMainWindow::applicationTitleAlternates()
{
    MainWindowHarness h;
    const QString startTitle = h.form1->windowTitle();
    QVERIFY(startTitle != "Tavro");
    QCOMPARE(h.form1->ApplicationTitle(), startTitle);
    h.form1->ToggleApplicationTitle();
    QCOMPARE(h.form1->windowTitle(), QString("Tavro"));
    h.form1->ToggleApplicationTitle(); // no document: stays
    QCOMPARE(h.form1->windowTitle(), QString("Tavro"));

    QVERIFY(h.show());
    if (h.form1->windowTitle() != "Tavro")
        h.form1->ToggleApplicationTitle();
    h.form1->ToggleApplicationTitle();
    QCOMPARE(h.form1->windowTitle(), QString("Untitled1"));
    QCOMPARE(h.form1->windowHandle()->title(), QString("Untitled1"));
    // Nothing is added to the titles of the windows.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());

    // A maximized document window neither adds its caption nor brings an old title back.
    h.form1->ActiveDocumentWindow()->showMaximized();
    QCOMPARE(h.form1->windowTitle(), QString("Untitled1"));
    h.form1->ToggleApplicationTitle();
    QCOMPARE(h.form1->windowTitle(), QString("Tavro"));
    h.form1->ActiveDocumentWindow()->showNormal();
    QCOMPARE(h.form1->windowTitle(), QString("Tavro"));
    QCOMPARE(h.form1->ApplicationTitle(), QString("Tavro"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
