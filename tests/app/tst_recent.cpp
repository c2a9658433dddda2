// The Documents submenu: which recent files it lists, how it is rebuilt each time it
// opens, and the check made when a listed file is chosen.

#include "support/ScriptedPrompts.h"
#include "support/ScriptedShell.h"

#include "app/RecentMenu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString DefaultFilter =
    QStringLiteral("All files (*.*)|*.*|Text documents|*.txt|HTML files|*.htm*");

// A Documents submenu as the main window creates it, with its "No files" item.
struct RecentMenuFixture {
    RecentMenuFixture()
    {
        QAction* noFiles = menu.addAction(QStringLiteral("No files"));
        noFiles->setObjectName(QStringLiteral("Nofiles1"));
    }

    void rebuild(const QStringList& recentFiles)
    {
        RebuildRecentMenu(&menu, recentFiles, DefaultFilter, shell,
                          [this](const QString& path) { chosen << path; });
    }

    QStringList shownCaptions() const
    {
        QStringList captions;
        for (const QAction* item : menu.actions()) {
            if (item->isVisible())
                captions << item->text();
        }
        return captions;
    }

    QMenu menu;
    ScriptedShell shell;
    QStringList chosen;
};

} // namespace

class TestRecent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterDecidesWhichFilesAreListed_data();
    void filterDecidesWhichFilesAreListed();
    void rebuildListsMatchingFilesInOrder();
    void nothingToListLeavesOnlyTheHiddenItem_data();
    void nothingToListLeavesOnlyTheHiddenItem();
    void chosenFileMustStillExist_data();
    void chosenFileMustStillExist();
};

void TestRecent::filterDecidesWhichFilesAreListed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("listed");

    const QString withWord = DefaultFilter + QStringLiteral("|Word documents|*.doc");
    QTest::newRow("text file") << "/home/ann/notes.txt" << DefaultFilter << "*.TXT" << true;
    QTest::newRow("upper-case extension") << "/home/ann/README.TXT" << DefaultFilter << "*.TXT" << true;
    QTest::newRow(".html through .htm") << "/srv/www/index.html" << DefaultFilter << "*.HTM" << true;
    QTest::newRow("shorter beginning .ht") << "/srv/www/page.Ht" << DefaultFilter << "*.HT" << true;
    QTest::newRow("no extension") << "/home/ann/Makefile" << DefaultFilter << "*" << true;
    QTest::newRow("dot only in a folder name") << "/home/ann/v1.2/README" << DefaultFilter << "*" << true;
    QTest::newRow(".doc not in the default filter") << "/home/ann/letter.doc" << DefaultFilter << "*.DOC" << false;
    QTest::newRow(".doc after Word documents are added") << "/home/ann/letter.doc" << withWord << "*.DOC" << true;
    QTest::newRow("*.* lets no .pdf through") << "/home/ann/manual.pdf" << DefaultFilter << "*.PDF" << false;
}

void TestRecent::filterDecidesWhichFilesAreListed()
{
    QFETCH(QString, path);
    QFETCH(QString, filter);
    QFETCH(QString, pattern);
    QFETCH(bool, listed);

    QCOMPARE(RecentTypePattern(path), pattern);
    QCOMPARE(IsListedRecentDocument(path, filter), listed);
}

void TestRecent::rebuildListsMatchingFilesInOrder()
{
    RecentMenuFixture f;
    f.rebuild({"/home/ann/b notes.txt", "/home/ann/letter.doc", "/home/ann/R&D.htm",
               "/home/ann/Makefile"});

    QCOMPARE(f.shownCaptions(),
             QStringList({"/home/ann/b notes.txt", "/home/ann/R&&D.htm", "/home/ann/Makefile"}));
    QCOMPARE(f.menu.actions().first()->objectName(), QStringLiteral("Nofiles1"));
    QVERIFY(f.menu.menuAction()->isEnabled());
    QVERIFY(!f.menu.actions().last()->icon().isNull());

    f.menu.actions().at(2)->trigger();
    QCOMPARE(f.chosen, QStringList({"/home/ann/R&D.htm"}));

    // The next opening starts afresh: only the last item of the first build stays, hidden.
    f.rebuild({"/home/ann/new.txt"});
    QCOMPARE(f.shownCaptions(), QStringList({"/home/ann/new.txt"}));
    QCOMPARE(f.menu.actions().size(), 2);
    QCOMPARE(f.menu.actions().first()->text(), QStringLiteral("/home/ann/Makefile"));
}

void TestRecent::nothingToListLeavesOnlyTheHiddenItem_data()
{
    QTest::addColumn<QStringList>("recentFiles");

    QTest::newRow("empty recent list") << QStringList();
    QTest::newRow("no file passes the filter") << QStringList({"/tmp/a.pdf", "/tmp/b.doc"});
}

void TestRecent::nothingToListLeavesOnlyTheHiddenItem()
{
    QFETCH(QStringList, recentFiles);

    RecentMenuFixture f;
    f.rebuild(recentFiles);

    QCOMPARE(f.menu.actions().size(), 1);
    QVERIFY(f.shownCaptions().isEmpty());
    QVERIFY(f.menu.menuAction()->isEnabled());
}

void TestRecent::chosenFileMustStillExist_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("error");

    QTest::newRow("existing file") << "notes.txt" << true << "";
    QTest::newRow("deleted file") << "gone.txt" << false << "Could not find file gone.txt.";
    QTest::newRow("folder") << "folder" << false << "Could not find file folder.";
}

void TestRecent::chosenFileMustStillExist()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile(dir.filePath("notes.txt")).open(QIODevice::WriteOnly));
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    ScriptedPrompts prompts;
    if (!exists)
        prompts.answerMessage(Answer::Ok);

    QCOMPARE(ConfirmRecentFileExists(dir.filePath(name), prompts), exists);
    QCOMPARE(prompts.messages.size(), exists ? 0 : 1);
    for (const ShownMessage& shown : std::as_const(prompts.messages)) {
        QCOMPARE(shown.text, error);
        QVERIFY(shown.kind == MessageKind::Error && shown.buttons == MessageButtons::Ok);
    }
}

QTEST_MAIN(TestRecent)
#include "tst_recent.moc"
