// The Preferences dialog: filter conversions and editing, the Options and Toolbar pages, the
// Function keys page and its macro files, OK, Cancel and the way it suspends the main window.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Settings.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "prefs/FilterPage.h"
#include "prefs/Filters.h"
#include "prefs/Unit5.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace
{

const QString ResetBits = QStringLiteral("11101000101101110101110011111000001");

// A component of the dialog by its name; fails the test when there is none.
template <typename T> T* part(const MainWindowHarness& h, const char* name)
{
    T* found = h.setfilters->findChild<T*>(QLatin1String(name));
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("No component %1").arg(name)), __FILE__, __LINE__);
    return found;
}

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks an entry, on the page that shows it.
void clickRow(const MainWindowHarness& h, QListWidget* list, int row)
{
    h.setfilters->PageControl1->setCurrentWidget(list->parentWidget());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

void chooseStatement(const MainWindowHarness& h, const char* itemName)
{
    part<QAction>(h, itemName)->trigger();
}

// The toolbar buttons (separators: whether they are shown) by object name.
QStringList hiddenToolbarParts(const MainWindowHarness& h, bool separators)
{
    QStringList hidden;
    for (const QToolBar* row : h.form1->ToolBar1->findChildren<QToolBar*>()) {
        for (const QAction* action : row->actions()) {
            if (action->isSeparator() == separators && !action->isVisible())
                hidden << action->objectName();
        }
    }
    hidden.sort();
    return hidden;
}

} // namespace

// Opens the dialog with the main window's command, as the menu does.
#define OPEN_PREFERENCES(h)                                                                        \
    do {                                                                                           \
        TRIGGER_ACTION((h).form1.get(), "SetFilters1");                                            \
        QVERIFY((h).setfilters->isVisible());                                                      \
    } while (false)

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterConversions_data();
    void filterConversions();
    void addingAFilter_data();
    void addingAFilter();
    void removeIsDisabledOnAllFilesUntilTheNextClick();
    void arrowsMoveTheSelectedEntryAndOkOrdersTheFilters();
    void highlightColourAndSwatch();
    void sizeFieldsThatDoNotParse();
    void openFilesWindowFollowsOkOnlyWithDocuments_data();
    void openFilesWindowFollowsOkOnlyWithDocuments();
    void toolbarPage();
    void closingRestoresTheMainWindow_data();
    void closingRestoresTheMainWindow();
    void minimisingDoesNotCloseOrRefill();
    void statementMenuBuildsTheMacro();
    void choosingAKeySavesTheListAndCancelKeepsIt();
    void unreadableMacroFileIsNotOverwritten();
    void unwritableMacroFileIsReported_data();
    void unwritableMacroFileIsReported();
    void createdOverTheMainWindowWithF5();
    void settingsFromOkSurviveARestart();
};

void TestPreferences::filterConversions_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("back"); // the filter string of the entries
    const QString seven = "A|*.a|B|*.b|C|*.c|D files|*.d;*.dd|E|e.*|F (*.f)|*.f|All|*.*";
    QTest::newRow("defaults") << "All files (*.*)|*.*|Text documents|*.txt|HTML files|*.htm*"
                              << QStringList{"All files (*.*) [*.*]", "Text documents [*.txt]",
                                             "HTML files [*.htm*]"}
                              << "All files (*.*)|*.*|Text documents|*.txt|HTML files|*.htm*";
    QTest::newRow("seven pairs") << seven << QStringList{"A [*.a]",  "B [*.b]",
                                                         "C [*.c]",  "D files [*.d;*.dd]",
                                                         "E [e.*]",  "F (*.f) [*.f]",
                                                         "All [*.*]"}
                                 << seven;
    QTest::newRow("odd part count loses the last")
        << "A|*.a|B" << QStringList{"A [*.a]"} << "A|*.a";
    QTest::newRow("trailing bar") << "A|*.a|" << QStringList{"A [*.a]"} << "A|*.a";
    QTest::newRow("empty pattern") << "A|" << QStringList{"A []"} << "A|";
    QTest::newRow("one part") << "A" << QStringList() << "";
    QTest::newRow("empty") << "" << QStringList() << "";
}

void TestPreferences::filterConversions()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, entries);
    QFETCH(QString, back);
    QCOMPARE(FilterEntries(filter), entries);
    QCOMPARE(FilterString(entries), back);
}

void TestPreferences::addingAFilter_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("completed"); // empty: rejected
    const auto row = [](const char* name, const char* description, const char* pattern,
                        const char* completed) {
        QTest::newRow(name) << QString(description) << QString(pattern) << QString(completed);
    };
    row("dot first", "Log files", ".log", "*.log");
    row("star first", "C sources", "*.c", "*.c");
    row("just a dot", "Any", ".", "*.");
    row("no dot", "Log files", "log", "");
    row("brackets in the description", "A[1]", "*.a", "");
    row("empty description", "", "*.txt", "");
    row("bar in the pattern", "Text", "*.t|t", "");
    row("bracket in the pattern", "C", "*.[ch]", "");
}

void TestPreferences::addingAFilter()
{
    QFETCH(QString, description);
    QFETCH(QString, pattern);
    QFETCH(QString, completed);
    MainWindowHarness h;
    OPEN_PREFERENCES(h);
    auto* list = part<QListWidget>(h, "ListBox1");
    const QStringList before = texts(list);
    part<QLineEdit>(h, "Edit1")->setText(description);
    part<QLineEdit>(h, "Edit2")->setText(pattern);
    if (completed.isEmpty())
        h.prompts.answerMessage(Answer::Ok);
    click(part<QPushButton>(h, "Button3"));

    if (completed.isEmpty()) {
        QCOMPARE(shownMessages(h.prompts),
                 QStringList{"Information Ok: A filter description and a file extension cannot "
                             "contain the following\rcharacters: |,[ and ]. The file extension "
                             "must contain a . (e.g. *.txt).\r\rBoth must also be specified."});
        QCOMPARE(texts(list), before);
        QCOMPARE(part<QLineEdit>(h, "Edit2")->text(), pattern);
        QCOMPARE(part<QLineEdit>(h, "Edit3")->text(), QString());
        return;
    }
    QCOMPARE(texts(list), before + QStringList{description + " [" + completed + "]"});
    QCOMPARE(part<QLineEdit>(h, "Edit1")->text(), description);
    QCOMPARE(part<QLineEdit>(h, "Edit2")->text(), completed);
    QCOMPARE(part<QLineEdit>(h, "Edit3")->text(), description);
    QCOMPARE(part<QLineEdit>(h, "Edit4")->text(), completed);
    QCOMPARE(part<QListWidget>(h, "ListBox2")->count(), 3); // the other page only gets the fields
}

void TestPreferences::removeIsDisabledOnAllFilesUntilTheNextClick()
{
    MainWindowHarness h;
    OPEN_PREFERENCES(h);
    auto* list = part<QListWidget>(h, "ListBox1");
    auto* remove = part<QPushButton>(h, "Button4");
    QCOMPARE(list->item(0)->text(), AllFilesEntry);
    clickRow(h, list, 0);
    QVERIFY(!remove->isEnabled());
    clickRow(h, list, 2);
    QVERIFY(remove->isEnabled());
    // A selection by keyboard counts as a click.
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(!remove->isEnabled());
    QVERIFY(part<QPushButton>(h, "Button6")->isEnabled()); // the other page has its own state

    click(part<QPushButton>(h, "Button2"));
    OPEN_PREFERENCES(h);
    QVERIFY(!remove->isEnabled()); // kept across closing and opening
    clickRow(h, list, 1);
    QVERIFY(remove->isEnabled());
    click(remove);
    QCOMPARE(texts(list), QStringList({AllFilesEntry, "HTML files [*.htm*]"}));
    click(remove); // nothing selected: nothing happens
    QCOMPARE(list->count(), 2);

    // The protected entry moving up into the place of the one removed is not selected.
    auto* saveList = part<QListWidget>(h, "ListBox2");
    clickRow(h, saveList, 1);
    click(part<QPushButton>(h, "Button6"));
    QCOMPARE(texts(saveList), QStringList({"Text documents [*.txt]", AllFilesEntry}));
    QVERIFY(saveList->selectedItems().isEmpty());
    QVERIFY(part<QPushButton>(h, "Button6")->isEnabled());
}

void TestPreferences::arrowsMoveTheSelectedEntryAndOkOrdersTheFilters()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    OPEN_PREFERENCES(h);
    auto* list = part<QListWidget>(h, "ListBox1");
    auto* up = part<QToolButton>(h, "SpeedButton2");
    auto* down = part<QToolButton>(h, "SpeedButton1");
    const QStringList defaults = texts(list);
    clickRow(h, list, 0);
    click(up);
    QCOMPARE(texts(list), defaults);
    clickRow(h, list, 2);
    click(down);
    QCOMPARE(texts(list), defaults);

    clickRow(h, list, 0);
    click(down);
    click(down); // the selection moved with the entry
    QCOMPARE(texts(list),
             QStringList({"Text documents [*.txt]", "HTML files [*.htm*]", AllFilesEntry}));
    QCOMPARE(list->currentRow(), 2);
    click(up);
    QCOMPARE(list->item(1)->text(), AllFilesEntry);

    click(part<QPushButton>(h, "Button1"));
    QCOMPARE(h.form1->OpenFilter,
             QString("Text documents|*.txt|All files (*.*)|*.*|HTML files|*.htm*"));
    // The Open and Insert File dialogs offer it, text documents first.
    h.prompts.answerOpenFiles({});
    TRIGGER_ACTION(h.form1.get(), "Open1");
    h.prompts.answerOpenFiles({});
    TRIGGER_ACTION(h.form1.get(), "Insertfile1");
    QCOMPARE(h.prompts.openRequests.size(), 2);
    for (const FileDialogRequest& request : std::as_const(h.prompts.openRequests))
        QCOMPARE(request.filter, h.form1->OpenFilter);
    h.prompts.answerSaveFile({});
    TRIGGER_ACTION(h.form1.get(), "SaveAs1");
    QCOMPARE(h.prompts.saveRequests.last().filter, h.form1->SaveFilter);
}

void TestPreferences::highlightColourAndSwatch()
{
    MainWindowHarness h;
    auto* combo = part<QComboBox>(h, "ComboBox1");
    QCOMPARE(combo->count(), 6);
    h.form1->HighlightColor = QColor(0, 0, 128);
    OPEN_PREFERENCES(h);
    QCOMPARE(combo->currentIndex(), 5);
    QCOMPARE(combo->currentText(), QString("Navy"));
    QCOMPARE(h.setfilters->SwatchColor(), QColor(0, 0, 128));
    combo->setCurrentIndex(combo->findText("Maroon"));
    QCOMPARE(h.setfilters->SwatchColor(), QColor(128, 0, 0));
    click(part<QPushButton>(h, "Button2"));
    QCOMPARE(h.form1->HighlightColor, QColor(0, 0, 128));
}

void TestPreferences::sizeFieldsThatDoNotParse()
{
    MainWindowHarness h;
    OPEN_PREFERENCES(h);
    QCOMPARE(part<QLineEdit>(h, "Edit5")->text(), QString("640"));
    QCOMPARE(part<QLineEdit>(h, "Edit6")->text(), QString("460"));
    QCOMPARE(part<QLineEdit>(h, "Edit5")->maxLength(), 4);
    part<QLineEdit>(h, "Edit5")->setText("abc");
    part<QLineEdit>(h, "Edit6")->clear();
    click(part<QPushButton>(h, "Button1"));
    QCOMPARE(QSize(h.form1->NewWindowWidth, h.form1->NewWindowHeight), QSize(640, 480));
}

void TestPreferences::openFilesWindowFollowsOkOnlyWithDocuments_data()
{
    QTest::addColumn<bool>("withDocument");
    QTest::newRow("no document") << false;
    QTest::newRow("a document") << true;
}

void TestPreferences::openFilesWindowFollowsOkOnlyWithDocuments()
{
    QFETCH(bool, withDocument);
    MainWindowHarness h;
    h.form1->OpenNew = withDocument;
    QVERIFY(h.show());
    QAction* check = h.form1->findChild<QAction*>("ShowOpenFiles1");
    OPEN_PREFERENCES(h);
    QVERIFY(!part<QCheckBox>(h, "CheckBox3")->isChecked());
    part<QCheckBox>(h, "CheckBox3")->setChecked(true);
    click(part<QPushButton>(h, "Button1"));
    QVERIFY(h.form1->ShowTheOpenFiles);
    QCOMPARE(h.form7->isVisible(), withDocument);
    QCOMPARE(check->isChecked(), withDocument);

    OPEN_PREFERENCES(h);
    part<QCheckBox>(h, "CheckBox3")->setChecked(false);
    click(part<QPushButton>(h, "Button1"));
    QVERIFY(!h.form1->ShowTheOpenFiles);
    QVERIFY(!h.form7->isVisible());
    QVERIFY(!check->isChecked());
}

// Reset applies at once, and Cancel keeps it.
void TestPreferences::toolbarPage()
{
    MainWindowHarness h;
    h.form1->ToolbarBits = QString(35, u'1');
    QVERIFY(h.show());
    OPEN_PREFERENCES(h);
    auto* entries = part<QListWidget>(h, "CheckListBox1");
    QCOMPARE(entries->count(), 35);
    QCOMPARE(entries->item(8)->text(), QString("Browse Files.."));
    QCOMPARE(entries->item(34)->text(), QString("*Show separators"));
    QCOMPARE(entries->item(3)->checkState(), Qt::Checked);
    click(part<QPushButton>(h, "Button7"));
    QCOMPARE(h.form1->ToolbarBits, ResetBits);
    QCOMPARE(entries->item(3)->checkState(), Qt::Unchecked); // Save All
    QCOMPARE(entries->item(34)->checkState(), Qt::Checked);
    click(part<QPushButton>(h, "Button2"));

    QCOMPARE(h.form1->ToolbarBits, ResetBits);
    QCOMPARE(hiddenToolbarParts(h, false),
             QStringList({"CloseAllButton", "CopySButton", "ExecuteButton", "FindNextButton",
                          "OpenWithButton", "OverviewButton", "PasteSButton", "PreferencesButton",
                          "PropertiesButton", "ReloadButton", "RepadButton", "SaveAllButton",
                          "SelectAButton", "calcButton", "wrapbutton"}));
    QCOMPARE(hiddenToolbarParts(h, true), QStringList());

    // Unchecking only the separators hides them and no button.
    h.form1->ToolbarBits = QString(35, u'1');
    OPEN_PREFERENCES(h);
    entries->item(34)->setCheckState(Qt::Unchecked);
    click(part<QPushButton>(h, "Button1"));
    QCOMPARE(h.form1->ToolbarBits, QString(34, u'1') + u'0');
    QCOMPARE(hiddenToolbarParts(h, false), QStringList());
    QCOMPARE(hiddenToolbarParts(h, true),
             QStringList({"separator1", "separator2", "separator3", "separator4", "separator5"}));

    // A toolbar of separators only.
    OPEN_PREFERENCES(h);
    for (int i = 0; i < entries->count(); ++i)
        entries->item(i)->setCheckState(i == 34 ? Qt::Checked : Qt::Unchecked);
    click(part<QPushButton>(h, "Button1"));
    QCOMPARE(h.form1->ToolbarBits, QString(34, u'0') + u'1');
    QCOMPARE(hiddenToolbarParts(h, false).size(), 34);
    QCOMPARE(hiddenToolbarParts(h, true), QStringList());
    QVERIFY(h.form1->ToolBar1->isVisible());
}

void TestPreferences::closingRestoresTheMainWindow_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("OK") << "OK";
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("close box") << "close box";
}

void TestPreferences::closingRestoresTheMainWindow()
{
    QFETCH(QString, way);
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    OPEN_PREFERENCES(h);
    QVERIFY(!h.form1->StayOnTop);
    QVERIFY(!h.form1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(h.form1->StayOnTopSuspended);
    QVERIFY(!h.form1->isEnabled());
    QVERIFY(h.setfilters->isEnabled());

    if (way == "OK")
        click(part<QPushButton>(h, "Button1"));
    else if (way == "Cancel")
        click(part<QPushButton>(h, "Button2"));
    else if (way == "Esc")
        QTest::keyClick(h.setfilters, Qt::Key_Escape);
    else
        QVERIFY(h.setfilters->close());

    QVERIFY(!h.setfilters->isVisible());
    QVERIFY(h.form1->isEnabled());
    QVERIFY(h.form1->StayOnTop);
    QVERIFY(h.form1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(part<QListWidget>(h, "ListBox1")->count(), 0);
    QCOMPARE(part<QListWidget>(h, "ListBox2")->count(), 0);
}

// Minimised by the window system, the dialog is still open; shown again, it keeps what the
// user entered.
void TestPreferences::minimisingDoesNotCloseOrRefill()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    OPEN_PREFERENCES(h);
    part<QLineEdit>(h, "Edit5")->setText("999");
    h.setfilters->showMinimized();
    QVERIFY(!h.form1->isEnabled());
    h.setfilters->showNormal();
    QVERIFY(h.setfilters->isVisible());
    QCOMPARE(part<QLineEdit>(h, "Edit5")->text(), QString("999"));
    QCOMPARE(part<QListWidget>(h, "ListBox1")->count(), 3);
    click(part<QPushButton>(h, "Button1"));
    QVERIFY(h.form1->isEnabled());
    QCOMPARE(h.form1->NewWindowWidth, 999);
}

void TestPreferences::statementMenuBuildsTheMacro()
{
    MainWindowHarness h;
    OPEN_PREFERENCES(h);
    auto* value = part<QLineEdit>(h, "Edit7");
    auto* list = part<QListWidget>(h, "ListBox3");
    QCOMPARE(part<QMenu>(h, "AddFunction1")->title(), QString("Add Function"));
    QCOMPARE(part<QMenu>(h, "Variables1")->title(), QString("Variables"));
    value->setText("ab");
    value->setCursorPosition(1);
    chooseStatement(h, "InsertROW");
    QCOMPARE(value->text(), QString("a%ROW%b"));
    value->selectAll();
    chooseStatement(h, "InsertSELTEXT");
    QCOMPARE(value->text(), QString("%SELTEXT%"));
    chooseStatement(h, "AddShowMsg");
    QCOMPARE(value->text(), QString());
    value->setText("x");
    chooseStatement(h, "AddSelectAll"); // no argument: the value is dropped
    chooseStatement(h, "AddExecute");
    QCOMPARE(texts(list), QStringList({"ShowMsg(\"%SELTEXT%\");", "SelectAll;", "Execute(\"\");"}));

    QVERIFY(list->editTriggers() == QAbstractItemView::NoEditTriggers);

    click(part<QToolButton>(h, "SpeedButton7"));
    QTRY_VERIFY(h.setfilters->PopupMenu1->isVisible());
    const QPoint below = part<QToolButton>(h, "SpeedButton7")->mapToGlobal(QPoint(0, 0));
    QVERIFY(h.setfilters->PopupMenu1->pos().y() > below.y());
    h.setfilters->PopupMenu1->close();
}

void TestPreferences::choosingAKeySavesTheListAndCancelKeepsIt()
{
    MainWindowHarness h;
    QVERIFY(writeFile(h.environment.programFile("F6.dat"), "Undo;\r\nCut;\r\n"));
    OPEN_PREFERENCES(h);
    auto* list = part<QListWidget>(h, "ListBox3");
    part<QLineEdit>(h, "Edit7")->setText("hello");
    chooseStatement(h, "AddShowMsg");
    h.setfilters->PageControl1->setCurrentIndex(4);
    click(part<QRadioButton>(h, "RadioButton2"));
    QCOMPARE(h.setfilters->FunctionKey(), 6);
    QCOMPARE(readFile(h.environment.programFile("F5.dat")), QByteArray("ShowMsg(\"hello\");\r\n"));
    QCOMPARE(texts(list), QStringList({"Undo;", "Cut;"}));
    list->setCurrentRow(0);
    click(part<QPushButton>(h, "Button9"));
    click(part<QPushButton>(h, "Button2"));
    QCOMPARE(readFile(h.environment.programFile("F6.dat")), QByteArray("Undo;\r\nCut;\r\n"));

    // The page is not refilled: the edited list and its key are still there.
    OPEN_PREFERENCES(h);
    QVERIFY(part<QRadioButton>(h, "RadioButton2")->isChecked());
    QCOMPARE(texts(list), QStringList({"Cut;"}));
    click(part<QRadioButton>(h, "RadioButton6")); // F11: no file yet
    QCOMPARE(h.setfilters->FunctionKey(), 11);
    QCOMPARE(list->count(), 0);
    click(part<QRadioButton>(h, "RadioButton5"));
    QCOMPARE(h.setfilters->FunctionKey(), 12);
    click(part<QPushButton>(h, "Button1"));
    QCOMPARE(readFile(h.environment.programFile("F6.dat")), QByteArray("Cut;\r\n"));
    QCOMPARE(readFile(h.environment.programFile("F11.dat")), QByteArray());
    QCOMPARE(readFile(h.environment.programFile("F12.dat")), QByteArray());
}

// A macro file too large to read shows as an empty list, which does not replace it unless
// the user makes it the key's new macro.
void TestPreferences::unreadableMacroFileIsNotOverwritten()
{
    MainWindowHarness h;
    const QString path = h.environment.programFile("F6.dat");
    const QByteArray huge(17 << 20, 'x');
    QVERIFY(writeFile(path, huge));
    OPEN_PREFERENCES(h);
    h.setfilters->PageControl1->setCurrentIndex(4);
    click(part<QRadioButton>(h, "RadioButton2"));
    QCOMPARE(part<QListWidget>(h, "ListBox3")->count(), 0);
    click(part<QRadioButton>(h, "RadioButton3"));
    click(part<QRadioButton>(h, "RadioButton2"));
    click(part<QPushButton>(h, "Button1"));
    QVERIFY(h.prompts.messages.isEmpty());
    QCOMPARE(QFileInfo(path).size(), huge.size());

    OPEN_PREFERENCES(h);
    chooseStatement(h, "AddUndo");
    click(part<QPushButton>(h, "Button1"));
    QCOMPARE(readFile(path), QByteArray("Undo;\r\n"));
}

void TestPreferences::unwritableMacroFileIsReported_data()
{
    QTest::addColumn<bool>("byOk"); // else by choosing another key
    QTest::newRow("OK") << true;
    QTest::newRow("key change") << false;
}

// A macro that cannot be written is never lost: the dialog, the list and its key stay.
void TestPreferences::unwritableMacroFileIsReported()
{
    QFETCH(bool, byOk);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.programFile("F5.dat");
    QVERIFY(QDir().mkpath(path));
    OPEN_PREFERENCES(h);
    chooseStatement(h, "AddSelectAll");
    part<QComboBox>(h, "ComboBox1")->setCurrentIndex(2);
    h.prompts.answerMessage(Answer::Ok);
    h.setfilters->PageControl1->setCurrentIndex(4);
    click(part<QAbstractButton>(h, byOk ? "Button1" : "RadioButton2"));

    QCOMPARE(h.prompts.messages.size(), 1);
    const ShownMessage& shown = h.prompts.messages.first();
    QCOMPARE(shown.kind, MessageKind::Error);
    const QString start = "Cannot create file " + path + "\r";
    QVERIFY2(shown.text.startsWith(start) && shown.text.size() > start.size(),
             qPrintable(shown.text));
    QVERIFY(h.setfilters->isVisible());
    QVERIFY(!h.form1->isEnabled());
    QCOMPARE(h.form1->HighlightColor, QColor(255, 0, 0));
    QCOMPARE(h.setfilters->FunctionKey(), 5);
    QVERIFY(part<QRadioButton>(h, "RadioButton1")->isChecked());
    QCOMPARE(texts(part<QListWidget>(h, "ListBox3")), QStringList{"SelectAll;"});

    QVERIFY(QDir(path).removeRecursively());
    click(part<QPushButton>(h, "Button1"));
    QVERIFY(!h.setfilters->isVisible());
    QCOMPARE(readFile(path), QByteArray("SelectAll;\r\n"));
    QCOMPARE(h.form1->HighlightColor, QColor(0, 0, 255));
}

void TestPreferences::createdOverTheMainWindowWithF5()
{
    MainWindowHarness h;
    QVERIFY(writeFile(h.environment.programFile("F5.dat"), "SelectAll;\r\n\r\nCopy;"));
    h.restart();
    const QRect main = h.form1->geometry();
    QCOMPARE(h.setfilters->pos(),
             QPoint(h.form1->x() + main.width() / 2 - 166, h.form1->y() + main.height() / 2 - 136));
    QCOMPARE(h.setfilters->FunctionKey(), 5);
    QVERIFY(part<QRadioButton>(h, "RadioButton1")->isChecked());
    QCOMPARE(texts(part<QListWidget>(h, "ListBox3")), QStringList({"SelectAll;", "", "Copy;"}));

    // An unreadable macro file starts the program with an empty list.
    QFile::remove(h.environment.programFile("F5.dat"));
    QVERIFY(QDir().mkpath(h.environment.programFile("F5.dat")));
    h.restart();
    QCOMPARE(part<QListWidget>(h, "ListBox3")->count(), 0);
    QVERIFY(h.show());
}

void TestPreferences::settingsFromOkSurviveARestart()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    OPEN_PREFERENCES(h);
    h.setfilters->PageControl1->setCurrentIndex(3);
    part<QComboBox>(h, "ComboBox1")->setCurrentIndex(3);
    part<QLineEdit>(h, "Edit5")->setText("700");
    part<QCheckBox>(h, "CheckBox1")->setChecked(true);
    part<QCheckBox>(h, "CheckBox2")->setChecked(false);
    part<QCheckBox>(h, "CheckBox5")->setChecked(false);
    part<QListWidget>(h, "ListBox2")->setCurrentRow(1);
    click(part<QPushButton>(h, "Button6"));
    part<QListWidget>(h, "CheckListBox1")->item(0)->setCheckState(Qt::Unchecked);
    click(part<QPushButton>(h, "Button1"));
    QVERIFY(h.form1->ToolBar1->isHidden());
    QVERIFY(!h.form1->findChild<QAction*>("ShowToolbar1")->isChecked());
    OPEN_PREFERENCES(h);
    QCOMPARE(h.setfilters->PageControl1->currentIndex(), 3); // the page last shown
    click(part<QPushButton>(h, "Button2"));
    QVERIFY(h.form1->close());

    h.restart();
    QCOMPARE(h.form1->HighlightColor, QColor(128, 0, 0));
    QCOMPARE(h.form1->NewWindowWidth, 700);
    QVERIFY(h.form1->AlwaysMaximize);
    QVERIFY(h.form1->ToolBar1->isHidden());
    QVERIFY(!h.form1->DefaultWordWrap);
    QCOMPARE(h.form1->SaveFilter, QString("Text documents|*.txt|All files (*.*)|*.*"));
    QCOMPARE(h.form1->ToolbarBits, u'0' + ResetBits.mid(1));
    OPEN_PREFERENCES(h);
    QCOMPARE(h.setfilters->PageControl1->currentIndex(), 0); // a new run starts on Options
    QVERIFY(!part<QCheckBox>(h, "CheckBox2")->isChecked());
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
