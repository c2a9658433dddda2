// Favourites: the Favorites submenu built from favorites.ini, opening a favourite, and the
// Favourites organiser that edits the file.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Strset.h"
#include "app/Unit1.h"
#include "platform/FileAccess.h"
#include "tools/Favourites.h"
#include "tools/Unit14.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

namespace
{

const QString Sep = QString(2, QChar(0xA4));

// The captions of the Favorites submenu, opened as the user opens it.
QStringList openFavourites(const MainWindowHarness& h, QList<QAction*>* items = nullptr)
{
    auto* menu = h.form1->findChild<QMenu*>(QStringLiteral("Favorites1"));
    Q_EMIT menu->aboutToShow();
    QStringList captions;
    for (const QAction* item : menu->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    if (items)
        *items = menu->actions();
    return captions;
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

void addEntry(const MainWindowHarness& h, const QString& description, const QString& path)
{
    h.form14->Edit1->setText(path);
    h.form14->Edit2->setText(description);
    QTest::mouseClick(h.form14->Button1, Qt::LeftButton);
}

// Clicks a button of the organiser with the row selected (-1: none).
void clickWithRow(const MainWindowHarness& h, QAbstractButton* button, int row)
{
    h.form14->ListBox1->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    if (row < 0)
        h.form14->ListBox1->clearSelection();
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

#define OPEN_ORGANISER(h)                                                                          \
    do {                                                                                           \
        TRIGGER_ACTION((h).form1.get(), "Modify1");                                                \
        QVERIFY((h).form14->isVisible());                                                          \
    } while (false)

class TestFavourites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void submenuAndOpeningFavourites();
    void editingTheList();
    void onlyCloseWrites_data();
    void onlyCloseWrites();
    void closeWritesTheLines();
    void unreadableFileIsKept_data();
    void unreadableFileIsKept();
};

void TestFavourites::submenuAndOpeningFavourites()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString a = h.environment.rootPath() + "/a.txt";
    const QString b = h.environment.rootPath() + "/b";
    const QString gone = h.environment.rootPath() + "/gone" + Sep + "more";
    QVERIFY(writeFile(a, "text of a"));
    QVERIFY(QDir().mkdir(b) && writeFile(b + "/one.txt", "1") && writeFile(b + "/two.txt", "2"));
    // Mixed line breaks, the last line without one.
    QVERIFY(writeFile(h.environment.programFile("favorites.ini"),
                      "A\xa4\xa4" + a.toUtf8() + "\r\nB\xa4\xa4" + b.toUtf8() + "\n\xa4\xa4" +
                          a.toUtf8() + "\rR&D\xa4\xa4" + gone.toUtf8()));
    openFavourites(h); // opened again: rebuilt, not added to
    QList<QAction*> items;
    QCOMPARE(openFavourites(h, &items), QStringList({"A", "B", "", "R&&D", "-", "Modify..."}));
    for (int i = 0; i < 4; ++i)
        QVERIFY(items[i]->data() == i && !items[i]->icon().isNull());

    items[0]->trigger(); // a file opens at once and does not join the recent documents
    items[2]->trigger(); // an empty description works as well
    QCOMPARE(windowCaptions(*h.form1), QStringList({a, a, "Untitled1"}));
    QVERIFY(h.shell.recentDocumentsAdded.isEmpty());

    h.prompts.answerOpenFiles({b + "/one.txt", b + "/two.txt"});
    items[1]->trigger(); // a folder: the Open dialog starts there
    QCOMPARE(h.prompts.openRequests[0].folder, b);
    QCOMPARE(h.prompts.openRequests[0].filter, h.form1->OpenFilter);
    QCOMPARE(windowCaptions(*h.form1).mid(0, 2), QStringList({b + "/two.txt", b + "/one.txt"}));
    QCOMPARE(h.shell.recentDocumentsAdded, QStringList({b + "/one.txt", b + "/two.txt"}));
    h.prompts.answerOpenFiles({}); // a path that has gone counts as a folder, kept whole
    items[3]->trigger();
    QCOMPARE(h.prompts.openRequests[1].folder, gone);
    QCOMPARE(windowCaptions(*h.form1).size(), 5);

    QVERIFY(QFile::remove(h.environment.programFile("favorites.ini")));
    QCOMPARE(openFavourites(h), QStringList({"-", "Modify..."}));
    QCOMPARE(h.prompts.messages.size(), 0);
}

void TestFavourites::editingTheList()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    h.prompts.answerOpenFiles({}, 3); // the organiser's file dialog takes this filter choice
    TRIGGER_ACTION(h.form1.get(), "Open1");
    OPEN_ORGANISER(h);
    TForm14& d = *h.form14;
    // Browse: a folder (cancelled here), or with "File" checked a file.
    h.prompts.answerFolder("");
    d.Edit1->setText("/usr");
    QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
    QCOMPARE(d.Edit1->text(), "/usr");
    QCOMPARE(h.prompts.folderRequests[0].title, "Select directory:");
    QCOMPARE(h.prompts.folderRequests[0].startFolder, "/usr");
    d.isfile->setChecked(true);
    h.prompts.answerOpenFiles({"/etc/hosts"});
    QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
    QCOMPARE(d.Edit1->text(), "/etc/hosts");
    QCOMPARE(h.prompts.openRequests[1].title, "Select file");
    QCOMPARE(h.prompts.openRequests[1].filterIndex, 3);

    // Enter in a field adds; nothing is checked. Enter in the list adds nothing.
    d.Edit2->setText("one");
    QTest::keyClick(d.Edit2, Qt::Key_Return);
    QTest::keyClick(d.ListBox1, Qt::Key_Return);
    QVERIFY(d.Edit1->text().isEmpty() && d.Edit2->text().isEmpty());
    addEntry(h, "", "");
    addEntry(h, "three", "/p3");
    const QStringList added{"one" + Sep + "/etc/hosts", Sep, "three" + Sep + "/p3"};
    // Without a selection, and at the ends of the list, nothing changes.
    clickWithRow(h, d.Button2, -1);
    clickWithRow(h, d.SpeedButton2, -1);
    clickWithRow(h, d.SpeedButton3, -1);
    clickWithRow(h, d.SpeedButton2, 0);
    clickWithRow(h, d.SpeedButton3, 2);
    QCOMPARE(d.favs->Strings(), added);
    QCOMPARE(texts(d.ListBox1), QStringList({"one", "", "three"}));

    clickWithRow(h, d.SpeedButton3, 0);
    QCOMPARE(d.ListBox1->currentRow(), 1); // the selection follows the entry
    clickWithRow(h, d.SpeedButton2, 2);
    clickWithRow(h, d.Button2, 0);
    QTest::mouseClick(d.Button2, Qt::LeftButton); // no row stays selected after Remove
    QCOMPARE(d.favs->Strings(), QStringList({added[2], added[0]}));
    QCOMPARE(texts(d.ListBox1), QStringList({"three", "one"}));
}

void TestFavourites::onlyCloseWrites_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("stayOnTop");
    QTest::newRow("Close") << "Close" << false;
    QTest::newRow("Close, on top") << "Close" << true;
    QTest::newRow("Esc") << "Esc" << false;
    QTest::newRow("close box, on top") << "close box" << true;
}

void TestFavourites::onlyCloseWrites()
{
    QFETCH(QString, way);
    QFETCH(bool, stayOnTop);
    MainWindowHarness h;
    QVERIFY(h.show());
    if (stayOnTop)
        TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    const QString path = h.environment.programFile("favorites.ini");
    const QByteArray before = "Old\xa4\xa4/old\r\n";
    QVERIFY(writeFile(path, before));
    OPEN_ORGANISER(h);
    QVERIFY(!h.form1->isEnabled() && !h.form1->StayOnTop);
    addEntry(h, "New", "/new");
    if (way == "Close")
        QTest::mouseClick(h.form14->Button3, Qt::LeftButton);
    else if (way == "Esc")
        QTest::keyClick(h.form14, Qt::Key_Escape);
    else
        QVERIFY(h.form14->close());

    QVERIFY(!h.form14->isVisible() && h.form1->isEnabled());
    QCOMPARE(h.form1->StayOnTop, stayOnTop);
    const bool writes = way == "Close";
    QCOMPARE(readFile(path), writes ? before + "New\xa4\xa4/new\r\n" : before);
    const QStringList kept = writes ? QStringList({"Old", "New"}) : QStringList{"Old"};
    QCOMPARE(openFavourites(h), kept + QStringList({"-", "Modify..."}));
    OPEN_ORGANISER(h); // what was discarded does not come back
    QCOMPARE(texts(h.form14->ListBox1), kept);
    QCOMPARE(h.form14->favs->Strings().size(), kept.size());
}

// Close writes the lines as they are; when it cannot, the organiser stays open as it is.
void TestFavourites::closeWritesTheLines()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.programFile("favorites.ini");
    OPEN_ORGANISER(h);
    addEntry(h, "Café ¤ 日本", "/srv/naïve" + Sep + "x");
    addEntry(h, "plain", "/plain");
    QTest::mouseClick(h.form14->Button3, Qt::LeftButton);
    // The separator is two raw bytes; the text around it, a later "¤¤" included, is UTF-8.
    QCOMPARE(readFile(path),
             QByteArray("Caf\xc3\xa9 \xc2\xa4 \xe6\x97\xa5\xe6\x9c\xac\xa4\xa4/srv/na\xc3\xafve"
                        "\xc2\xa4\xc2\xa4x\r\nplain\xa4\xa4/plain\r\n"));
    OPEN_ORGANISER(h);
    QCOMPARE(texts(h.form14->ListBox1), QStringList({"Café ¤ 日本", "plain"}));
    QCOMPARE(SplitFavourite(h.form14->favs->Strings()[0]).path, "/srv/naïve" + Sep + "x");

    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::link(h.environment.rootPath() + "/missing/favorites.ini", path));
    h.form14->ListBox1->setCurrentRow(1);
    h.prompts.answerMessage(Answer::Ok);
    QTest::mouseClick(h.form14->Button3, Qt::LeftButton);
    QVERIFY(h.form14->isVisible() && !h.form1->isEnabled());
    QCOMPARE(h.form14->favs->Strings().size(), 2);
    QCOMPARE(h.form14->ListBox1->currentRow(), 1);
    // The system's reason follows on a line of its own.
    const QString shown = h.prompts.messages.value(0).text;
    QVERIFY(shown.startsWith("Cannot create file " + path + "\r") && !shown.endsWith("\r"));
}

void TestFavourites::unreadableFileIsKept_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::newRow("pipe") << true;
    QTest::newRow("too large") << false;
}

// A file the organiser could not read is not replaced by the empty list it shows, unless the
// user edits that list. Nothing waits for a writer on a pipe.
void TestFavourites::unreadableFileIsKept()
{
    QFETCH(bool, pipe);
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.programFile("favorites.ini");
    const QByteArray large(MaxListFileSize + 1, 'x');
    if (pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(writeFile(path, large));
    QCOMPARE(openFavourites(h), QStringList({"-", "Modify..."}));

    h.prompts.answerMessage(Answer::Ok);
    OPEN_ORGANISER(h);
    QCOMPARE(h.form14->ListBox1->count(), 0);
    QVERIFY(h.prompts.messages[0].text.startsWith("Could not read file " + path + ".\r"));
    QTest::mouseClick(h.form14->Button3, Qt::LeftButton);
    QVERIFY(!h.form14->isVisible());
    QCOMPARE(h.prompts.messages.size(), 1);
    QVERIFY(QFileInfo(path).isFile() != pipe);
    if (pipe)
        return;
    QCOMPARE(QFileInfo(path).size(), large.size());
    h.prompts.answerMessage(Answer::Ok);
    OPEN_ORGANISER(h);
    addEntry(h, "B", "/b");
    QTest::mouseClick(h.form14->Button3, Qt::LeftButton);
    QCOMPARE(readFile(path), QByteArray("B\xa4\xa4/b\r\n"));
}

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
