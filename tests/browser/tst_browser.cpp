// The Browse Files window driven offscreen over real files in temporary folders: listing,
// the drive box, the preview and its save prompt, the commands on files, find in files and
// highlighting.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "app/Unit1.h"
#include "browser/BrowserLogic.h"
#include "browser/FileCopy.h"
#include "browser/Unit3.h"
#include "browser/Unit4.h"
#include "platform/Shell.h"
#include "tools/Favourites.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace
{

const QColor Red(255, 0, 0);

// The main window shown with the browser open on a folder of its own.
struct Browser {
    MainWindowHarness h;
    QTemporaryDir folder;
    TForm3* form = nullptr;

    // Writes the files, opens the browser (Ctrl+B's command) and walks to the folder.
    bool open(const QList<QPair<QString, QByteArray>>& files = {})
    {
        for (const auto& [name, bytes] : files) {
            if (!writeFile(path(name), bytes))
                return false;
        }
        if (!h.show() || !triggerAction(h.form1.get(), "BrowseFiles1"))
            return false;
        form = h.form3;
        form->ShellTreeView1Click(folder.path());
        return form->isVisible();
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    // Selects the entry alone and clicks it, as the mouse does.
    bool preview(const QString& name)
    {
        if (!form->SelectName(name))
            return false;
        form->ListView1Click();
        return true;
    }
    // Adds the entries to the selection.
    void select(const QStringList& names)
    {
        for (const QString& name : names)
            form->ListView1->findItems(name, Qt::MatchExactly).first()->setSelected(true);
    }
    TScrollMemo* memo() const { return form->ScrollMemo1; }
    // The coloured ranges of the preview as "start+length".
    QStringList colored() const
    {
        QStringList ranges;
        for (const ColorRange& range : memo()->Colors().ranges()) {
            if (range.color == Red.rgb())
                ranges << QStringLiteral("%1+%2").arg(range.start).arg(range.end - range.start);
        }
        return ranges;
    }
};

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listingRules_data();
    void listingRules();
    void listingSortsAndShowsHiddenFiles();
    void showingStartsAtHomeWithTheMainWindowDisabled();
    void driveBoxHoldsVolumesThenExistingFavouriteFolders();
    void pickingEntriesOfTheDriveBox();
    void filterAsksAndUpperCases();

    void previewShowsFileDetailsAndKeepsItsFormat();
    void editedPreviewIsOfferedForSavingBeforeAnotherFile();
    void failedPreviewSaveKeepsTheEdits();
    void unreadableFileIsRefusedWithoutHanging();
    void closingWithEditsAsksAndAFailedSaveKeepsTheWindow();
    void downPreviewsAndEnterOpens();
    void clickPreviewsTheClickedFile();
    void closingIsRefusedWhileTheFindDialogIsOpen();

    void pastePathAndInsertPreview();
    void openCommandsAndRecentDocuments();
    void copyToCopiesAndShowsTheDestination();
    void copyOverwritesAtomicallyAndStopsAtTheFirstFailure();
    void deleteAndRename();
    void commandEnabling();

    void findInFilesListsMatchingFiles();
    void escapeStopsASearchAndRestoresThePane();
    void wholeWordHighlightAndToggling();
    void findAndHighlightModeCarriesToNextFiles();
};

void TestBrowser::listingRules_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("excluded types, any case; no extension always listed")
        << ".DOC,.EXE" << QStringList{"a.doc", "b.Exe", "c.txt", "Makefile"}
        << QStringList{"c.txt", "Makefile"};
    QTest::newRow(".HTML hides .htm too")
        << ".HTML" << QStringList{"index.htm", "page.html", "notes.txt"}
        << QStringList{"notes.txt"};
    QTest::newRow("last dot decides; dot files have an extension")
        << ".GZ,.BASHRC" << QStringList{"a.tar.gz", "a.gz.txt", ".bashrc", "README"}
        << QStringList{"a.gz.txt", "README"};
    QTest::newRow("empty filter lists everything")
        << "" << QStringList{"x.doc", "y"} << QStringList{"x.doc", "y"};
}

void TestBrowser::listingRules()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);
    for (const QString& name : files)
        QCOMPARE(IsListedFile(name, filter), listed.contains(name));

    Browser b;
    QList<QPair<QString, QByteArray>> contents;
    for (const QString& name : files)
        contents << qMakePair(name, QByteArray("x"));
    QVERIFY(b.open(contents));
    b.h.form1->BrowsFilt = filter;
    b.form->ListFolderFiles();
    QCOMPARE(b.form->ListedNames(), listed);
}

void TestBrowser::listingSortsAndShowsHiddenFiles()
{
    Browser b;
    QVERIFY(QDir(b.folder.path()).mkdir("sub folder"));
    QVERIFY(b.open({{"b.txt", "1"}, {"A.txt", "2"}, {".hidden", "3"}, {"c.TXT", "4"}}));
    QCOMPARE(b.form->ListedNames(), (QStringList{".hidden", "A.txt", "b.txt", "c.TXT"}));
    QCOMPARE(b.form->CurrentFolder, b.folder.path() + "/");
}

void TestBrowser::showingStartsAtHomeWithTheMainWindowDisabled()
{
    Browser b;
    QVERIFY(b.open());
    b.form->ShellTreeView1Click(b.folder.path());
    QVERIFY(!b.h.form1->isEnabled());
    QCOMPARE(b.form->windowTitle(), QString("Browse files"));
    b.form->close();
    QVERIFY(b.h.form1->isEnabled());
    QVERIFY(!b.form->isVisible());

    TRIGGER_ACTION(b.h.form1.get(), "BrowseFiles1");
    QCOMPARE(b.form->CurrentFolder, QDir::homePath() + "/");
    QCOMPARE(b.form->drivelist->currentIndex(), 1);
    b.form->close();
}

void TestBrowser::driveBoxHoldsVolumesThenExistingFavouriteFolders()
{
    Browser b;
    QVERIFY(QDir(b.folder.path()).mkdir("kept"));
    QVERIFY(QDir(b.folder.path()).mkdir("gone"));
    QVERIFY(writeFile(b.path("file.txt"), "x"));
    b.h.shell.volumeList = {
        {"/", "ROOT", true}, {QDir::homePath(), "Home", true}, {"/media/stick", "", false}};
    TStrSet lines;
    lines.Strings() << JoinFavourite("Kept", b.path("kept"))
                    << JoinFavourite("Gone", b.path("gone"))
                    << JoinFavourite("A file", b.path("file.txt"));
    QVERIFY(lines.SaveToFile(FavouritesFilePath(true)).ok);
    QVERIFY(QDir(b.path("gone")).removeRecursively());
    QVERIFY(b.open());

    QStringList captions;
    for (int index = 0; index < b.form->drivelist->count(); ++index)
        captions << b.form->drivelist->itemText(index);
    QCOMPARE(captions, (QStringList{"Root (/)", "Home (" + QDir::homePath() + ")", "(/media/stick)",
                                    "Kept"}));
    b.form->close();
}

void TestBrowser::pickingEntriesOfTheDriveBox()
{
    Browser b;
    const QString colonFolder = b.path("stick:");
    QVERIFY(QDir().mkpath(colonFolder));
    QVERIFY(QDir().mkpath(b.path("fav")));
    QVERIFY(writeFile(colonFolder + "/on stick.txt", "x"));
    QVERIFY(writeFile(b.path("fav/in favourite.txt"), "x"));
    TStrSet lines;
    lines.Strings() << JoinFavourite("Favourite", b.path("fav"))
                    << JoinFavourite("USB (" + colonFolder + ")", colonFolder);
    QVERIFY(lines.SaveToFile(FavouritesFilePath(true)).ok);
    b.h.shell.volumeList = {{"/", "", true}, {b.folder.path(), "Test", true}};
    QVERIFY(b.open());
    QComboBox* drives = b.form->drivelist;
    QCOMPARE(drives->count(), 4);

    // A favourite is found by its description.
    b.form->drivelistChange(2);
    QCOMPARE(b.form->CurrentFolder, b.path("fav") + "/");
    QCOMPARE(b.form->ListedNames(), QStringList{"in favourite.txt"});
    // A description with ":)" is taken for a drive: the folder named in its parentheses.
    b.form->drivelistChange(3);
    QCOMPARE(b.form->CurrentFolder, colonFolder + "/");
    QCOMPARE(b.form->ListedNames(), QStringList{"on stick.txt"});
    // A volume lists its root.
    b.form->drivelistChange(1);
    QCOMPARE(b.form->CurrentFolder, b.folder.path() + "/");
    b.form->close();
}

void TestBrowser::filterAsksAndUpperCases()
{
    Browser b;
    QVERIFY(b.open({{"a.log", "x"}, {"b.txt", "y"}}));
    b.h.prompts.answerInput(QString(".log,.tmp"));
    TRIGGER_ACTION(b.form, "Filter1");
    QCOMPARE(b.h.form1->BrowsFilt, QString(".LOG,.TMP"));
    QCOMPARE(b.h.prompts.inputRequests.value(0).caption, QString("Filter"));
    QCOMPARE(b.h.prompts.inputRequests.value(0).prompt,
             QString("Enter extensions of file types not to be listed (separate with commas "
                     "and remember the dot):"));
    QCOMPARE(b.form->ListedNames().size(), 2); // applies from the next listing
    TRIGGER_ACTION(b.form, "ToolButton1");
    QCOMPARE(b.form->ListedNames(), QStringList{"b.txt"});

    b.h.prompts.answerInput(std::nullopt); // cancelled: the old value stays
    TRIGGER_ACTION(b.form, "Filter1");
    QCOMPARE(b.h.form1->BrowsFilt, QString(".LOG,.TMP"));
    b.form->close();
}

void TestBrowser::previewShowsFileDetailsAndKeepsItsFormat()
{
    Browser b;
    const QByteArray latin1 = "caf\xe9\r\nsecond\rthird\n";
    QVERIFY(b.open({{"old.txt", latin1}}));
    QVERIFY(!b.memo()->isEnabled());
    QVERIFY(b.preview("old.txt"));
    QVERIFY(b.memo()->isEnabled());
    QCOMPARE(b.memo()->FullText(), QString("caf\u00e9\r\nsecond\r\nthird\r\n"));
    QCOMPARE(b.form->PanelText(0), QString("Size: 19 bytes"));
    QVERIFY(b.form->PanelText(1).startsWith("Date: "));
    QCOMPARE(b.form->PanelText(2), b.path("old.txt"));
    QVERIFY(!b.memo()->ModifiedFlag());

    // Saved unchanged and after an edit: the encoding and every line break stay.
    TRIGGER_ACTION(b.form, "ToolButton8");
    QCOMPARE(readFile(b.path("old.txt")), latin1);
    b.memo()->SetSelStart(0);
    b.memo()->ReplaceSelection("\u00e0 ");
    TRIGGER_ACTION(b.form, "Save1");
    QCOMPARE(readFile(b.path("old.txt")), "\xe0 " + latin1);
    QVERIFY(!b.memo()->ModifiedFlag());
    b.form->close();
}

void TestBrowser::editedPreviewIsOfferedForSavingBeforeAnotherFile()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "alpha\n"}, {"b.txt", "beta\n"}, {"c.txt", "gamma\n"}}));
    QVERIFY(b.preview("a.txt"));
    b.memo()->SetSelStart(0);
    b.memo()->ReplaceSelection("edited ");

    b.h.prompts.answerMessage(Answer::No);
    QVERIFY(b.preview("b.txt"));
    QCOMPARE(shownMessages(b.h.prompts),
             QStringList{"Confirmation YesNo: The text in the a.txt file has changed.\r\rDo you "
                         "want to save the changes?"});
    QCOMPARE(readFile(b.path("a.txt")), QByteArray("alpha\n"));
    QCOMPARE(b.memo()->FullText(), QString("beta\r\n"));

    b.memo()->SetSelStart(0);
    b.memo()->ReplaceSelection("new ");
    b.h.prompts.answerMessage(Answer::Yes);
    QVERIFY(b.preview("c.txt"));
    QCOMPARE(readFile(b.path("b.txt")), QByteArray("new beta\n"));
    QCOMPARE(b.memo()->FullText(), QString("gamma\r\n"));
    QCOMPARE(b.h.prompts.pendingAnswers(), 0);
    b.form->close();
}

// Mended: a save that fails keeps the edits, and the other file is not loaded over them.
void TestBrowser::failedPreviewSaveKeepsTheEdits()
{
    Browser b;
    QVERIFY(QDir().mkpath(b.path("sub")));
    QVERIFY(writeFile(b.path("sub/a.txt"), "alpha"));
    QVERIFY(b.open({{"b.txt", "beta"}}));
    b.form->ShellTreeView1Click(b.path("sub"));
    QVERIFY(b.preview("a.txt"));
    b.memo()->SetSelStart(5);
    b.memo()->ReplaceSelection(" edited");
    QVERIFY(QDir(b.path("sub")).removeRecursively());
    b.form->ShellTreeView1Click(b.folder.path());

    b.h.prompts.answerMessage(Answer::Yes);
    b.h.prompts.answerMessage(Answer::Ok);
    QVERIFY(b.preview("b.txt"));
    const QStringList messages = shownMessages(b.h.prompts);
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages.at(1).startsWith("Error Ok: Could not save to file " + b.path("sub/a.txt") +
                                       ".\rThe file might be write protected.\r"),
             qPrintable(messages.at(1)));
    QCOMPARE(b.memo()->FullText(), QString("alpha edited"));
    QVERIFY(b.memo()->ModifiedFlag());

    // The Save command fails the same way and the preview stays modified.
    b.h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(b.form, "Save1");
    QCOMPARE(shownMessages(b.h.prompts).size(), 3);
    QVERIFY(b.memo()->ModifiedFlag());
    b.h.prompts.answerMessage(Answer::No);
    b.form->close();
}

// Mended: a pipe or an oversized file is refused at once; nothing typed afterwards can be
// saved over it.
void TestBrowser::unreadableFileIsRefusedWithoutHanging()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "alpha"}}));
    QVERIFY(::mkfifo(QFile::encodeName(b.path("pipe")).constData(), 0600) == 0);
    b.form->ListFolderFiles();
    QVERIFY(b.preview("a.txt"));
    b.h.prompts.answerMessage(Answer::Ok);
    QVERIFY(b.preview("pipe"));
    const QStringList messages = shownMessages(b.h.prompts);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first(), QString("Error Ok: Could not open file.\rIt is a named pipe."));
    QCOMPARE(b.memo()->FullText(), QString());
    QVERIFY(b.memo()->isReadOnly());
    TRIGGER_ACTION(b.form, "Save1");
    QCOMPARE(shownMessages(b.h.prompts).size(), 1);

    QVERIFY(b.preview("a.txt"));
    QVERIFY(!b.memo()->isReadOnly());
    QCOMPARE(b.memo()->FullText(), QString("alpha"));
    b.form->close();
}

void TestBrowser::closingWithEditsAsksAndAFailedSaveKeepsTheWindow()
{
    Browser b;
    QVERIFY(QDir().mkpath(b.path("sub")));
    QVERIFY(writeFile(b.path("sub/a.txt"), "alpha"));
    QVERIFY(b.open());
    b.form->ShellTreeView1Click(b.path("sub"));
    QVERIFY(b.preview("a.txt"));
    b.memo()->ReplaceSelection("1");
    QVERIFY(QDir(b.path("sub")).removeRecursively());

    b.h.prompts.answerMessage(Answer::Yes);
    b.h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(b.form, "Close1");
    QVERIFY(b.form->isVisible());
    QVERIFY(!b.h.form1->isEnabled());
    QVERIFY(b.memo()->ModifiedFlag());

    b.h.prompts.answerMessage(Answer::No);
    b.form->close();
    QVERIFY(!b.form->isVisible());
    QVERIFY(b.h.form1->isEnabled());
    // The text stays in the preview for the next showing.
    TRIGGER_ACTION(b.h.form1.get(), "BrowseFiles1");
    QCOMPARE(b.memo()->FullText(), QString("1alpha"));
    QVERIFY(!b.memo()->ModifiedFlag());
    b.form->close();
}

void TestBrowser::downPreviewsAndEnterOpens()
{
    Browser b;
    QVERIFY(b.open({{"1.txt", "one"}, {"2.txt", "two"}}));
    QVERIFY(b.preview("1.txt"));
    b.form->ListView1->setCurrentRow(0);
    QTest::keyClick(b.form->ListView1, Qt::Key_Down);
    QCOMPARE(b.form->SelectedNames(), QStringList{"2.txt"});
    QCOMPARE(b.memo()->FullText(), QString("two"));
    QTest::keyClick(b.form->ListView1, Qt::Key_Return);
    QCOMPARE(windowCaptions(*b.h.form1).value(0), b.path("2.txt"));
    QCOMPARE(b.form->focusWidget(), b.form->ListView1); // the next Down moves on in the list
    QCOMPARE(b.h.form1->ActiveMemo()->FullText(), QString("two"));
    QVERIFY(b.h.shell.recentDocumentsAdded.isEmpty());
    b.form->close();
    // The opened document stays the active one when the main window takes over again.
    QTest::qWait(50);
    QCOMPARE(b.h.form1->ActiveDocumentWindow()->windowTitle(), b.path("2.txt"));
    QCOMPARE(windowCaptions(*b.h.form1).value(0), b.path("2.txt"));
    TRIGGER_ACTION(b.h.form1.get(), "BrowseFiles1");
    b.form->close();
    QTest::qWait(50);
    QCOMPARE(b.h.form1->ActiveDocumentWindow()->windowTitle(), b.path("2.txt"));
}

void TestBrowser::clickPreviewsTheClickedFile()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}}));
    b.form->ListView1->selectAll();
    QListWidgetItem* last = b.form->ListView1->item(2);
    QTest::mouseClick(b.form->ListView1->viewport(), Qt::LeftButton, Qt::NoModifier,
                      b.form->ListView1->visualItemRect(last).center());
    QTRY_COMPARE(b.memo()->FullText(), QString("C"));
    QCOMPARE(b.form->SelectedNames(), QStringList{"c.txt"});
    QCOMPARE(b.form->PanelText(2), b.path("c.txt"));
    b.form->close();
}

// Neither the browser nor the main window goes while a window above them is open.
void TestBrowser::closingIsRefusedWhileTheFindDialogIsOpen()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}}));
    TRIGGER_ACTION(b.form, "FindinFiles1");
    QVERIFY(!b.form->close());
    QVERIFY(b.form->isVisible());
    b.h.form4->close();
    QVERIFY(b.form->isEnabled());
    QVERIFY(!b.h.form1->close());
    QVERIFY(b.h.form1->isVisible());
    QVERIFY(b.form->isVisible());
    QVERIFY(b.form->close());
    QVERIFY(b.h.form1->isEnabled());
}

void TestBrowser::pastePathAndInsertPreview()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}, {"b.txt", "B\nB"}, {"c.txt", "C"}, {"d.txt", "D"}}));
    TScrollMemo* document = b.h.form1->ActiveMemo();
    QVERIFY(document);
    document->SetFullText("[]");
    document->SetSelStart(1);
    b.select({"c.txt", "a.txt", "b.txt"});
    TRIGGER_ACTION(b.form, "Pastepath2");
    const QString folder = b.folder.path() + "/";
    QCOMPARE(document->FullText(),
             "[" + folder + "a.txt\r\n" + folder + "b.txt\r\n" + folder + "c.txt\r\n]");

    QVERIFY(b.preview("b.txt"));
    document->SetSelStart(0);
    document->SetSelLength(1);
    TRIGGER_ACTION(b.form, "Insertfile1");
    QVERIFY(document->FullText().startsWith("B\r\nB" + folder));
    b.form->close();
}

void TestBrowser::openCommandsAndRecentDocuments()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}}));
    b.select({"c.txt", "a.txt"});
    TRIGGER_ACTION(b.form, "Openfile1");
    QCOMPARE(b.h.shell.recentDocumentsAdded, (QStringList{b.path("a.txt"), b.path("c.txt")}));
    QCOMPARE(windowCaptions(*b.h.form1).mid(0, 2), (QStringList{b.path("c.txt"), b.path("a.txt")}));

    QVERIFY(b.preview("b.txt"));
    TRIGGER_ACTION(b.form, "ToolButton2"); // opens the first selected only
    QCOMPARE(windowCaptions(*b.h.form1).value(0), b.path("b.txt"));
    QCOMPARE(b.h.shell.recentDocumentsAdded.size(), 3);
    TRIGGER_ACTION(b.form, "Properties2");
    QCOMPARE(b.h.shell.propertiesRequests, QStringList{b.path("b.txt")});
    b.form->close();
}

void TestBrowser::copyToCopiesAndShowsTheDestination()
{
    Browser b;
    QTemporaryDir target;
    QVERIFY(b.open({{"a.txt", "alpha"}, {"b.txt", "beta"}}));
    QVERIFY(writeFile(target.filePath("b.txt"), "an older and longer text"));
    b.select({"a.txt", "b.txt"});
    b.h.prompts.answerFolder(target.path());
    TRIGGER_ACTION(b.form, "Copyto1");
    QCOMPARE(b.h.prompts.folderRequests.value(0).title,
             QString("Where do you want to copy the selected files to"));
    QCOMPARE(b.form->windowTitle(), target.path() + "/");
    QCOMPARE(readFile(target.filePath("a.txt")), QByteArray("alpha"));
    QCOMPARE(readFile(target.filePath("b.txt")), QByteArray("beta"));
    QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    b.h.prompts.answerFolder(QString()); // cancelled
    TRIGGER_ACTION(b.form, "Copyto2");
    QCOMPARE(b.form->windowTitle(), target.path() + "/");
    QVERIFY(b.h.prompts.messages.isEmpty());
    b.form->close();
}

void TestBrowser::copyOverwritesAtomicallyAndStopsAtTheFirstFailure()
{
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("source"), QByteArray(3 << 20, 'x')));
    QVERIFY(writeFile(folder.filePath("target"), "old"));
    QVERIFY(CopyFileContents(folder.filePath("source"), folder.filePath("target")).ok);
    QCOMPARE(QFileInfo(folder.filePath("target")).size(), qint64(3 << 20));

    // A source that cannot be read leaves the target as it was, and no temporary file.
    QVERIFY(writeFile(folder.filePath("target"), "old"));
    QVERIFY(::mkfifo(QFile::encodeName(folder.filePath("pipe")).constData(), 0600) == 0);
    const FileResult failed = CopyFileContents(folder.filePath("pipe"), folder.filePath("target"));
    QVERIFY(!failed.ok);
    QCOMPARE(failed.error,
             "Cannot open file " + folder.filePath("pipe") + ".\rIt is a named pipe.");
    QCOMPARE(readFile(folder.filePath("target")), QByteArray("old"));
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             (QStringList{"pipe", "source", "target"}));

    // In the window the first failure is shown and the files after it are not copied.
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}, {"c.txt", "C"}}));
    QVERIFY(::mkfifo(QFile::encodeName(b.path("b.txt")).constData(), 0600) == 0);
    b.form->ListFolderFiles();
    b.form->ListView1->selectAll();
    QTemporaryDir target;
    b.h.prompts.answerFolder(target.path());
    b.h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(b.form, "Copyto1");
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{"a.txt"});
    QCOMPARE(shownMessages(b.h.prompts), QStringList{"Error Ok: Cannot open file " +
                                                     b.path("b.txt") + ".\rIt is a named pipe."});
    b.form->close();
}

void TestBrowser::deleteAndRename()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}}));
    b.select({"a.txt", "c.txt"});
    TRIGGER_ACTION(b.form, "Delete2");
    QCOMPARE(b.form->ListedNames(), QStringList{"b.txt"});
    QVERIFY(!QFile::exists(b.path("a.txt")));
    QVERIFY(!QFile::exists(b.path("c.txt")));

    // Enter gives the new name and opens nothing.
    QVERIFY(b.form->SelectName("b.txt"));
    const int documents = b.h.form1->DocumentWindows().size();
    TRIGGER_ACTION(b.form, "Rename2");
    auto* editor = b.form->ListView1->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "renamed.txt");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(b.form->ListedNames(), QStringList{"renamed.txt"});
    QCOMPARE(b.h.form1->DocumentWindows().size(), documents);
    QListWidgetItem* entry = b.form->ListView1->item(0);
    QVERIFY(QFile::exists(b.path("renamed.txt")));
    QVERIFY(!QFile::exists(b.path("b.txt")));
    QVERIFY(writeFile(b.path("taken.txt"), "T"));
    for (const char* refused : {"taken.txt", "", "sub/x.txt"}) {
        entry->setText(refused);
        QCOMPARE(entry->text(), QString("renamed.txt"));
    }
    QVERIFY(QFile::exists(b.path("renamed.txt")));
    QCOMPARE(readFile(b.path("taken.txt")), QByteArray("T"));
    b.form->close();
}

void TestBrowser::commandEnabling()
{
    Browser b;
    QVERIFY(b.open({{"a.txt", "A"}}));
    for (const char* name : {"ToolButton8", "ToolButton2", "ToolButton4", "ToolButton5",
                             "ToolButton7", "Cut1", "Copy1", "Delete1", "Highlight1"}) {
        QVERIFY2(!b.form->findChild<QAction*>(name)->isEnabled(), name);
    }
    QVERIFY(!b.form->findChild<QAction*>("ToolButton12")->isVisible());
    b.form->File1Click();
    QVERIFY(!b.form->findChild<QAction*>("Save1")->isEnabled());
    QVERIFY(b.preview("a.txt"));
    b.form->File1Click();
    for (const char* name : {"Save1", "Openfile1", "Copyto1", "ToolButton8", "ToolButton2"})
        QVERIFY2(b.form->findChild<QAction*>(name)->isEnabled(), name);
    b.memo()->SelectAllText();
    QVERIFY(b.form->findChild<QAction*>("Highlight1")->isEnabled());
    QVERIFY(b.form->findChild<QAction*>("ToolButton5")->isEnabled());

    b.form->PopupMenu1Popup();
    QVERIFY(b.form->findChild<QAction*>("Pastepath1")->isEnabled()); // Untitled1 is open
    QVERIFY(b.form->findChild<QAction*>("Rename1")->isEnabled());
    QVERIFY(QFile::remove(b.path("a.txt")));
    b.form->PopupMenu1Popup();
    QVERIFY(!b.form->findChild<QAction*>("Rename1")->isEnabled());
    QVERIFY(b.form->findChild<QAction*>("Pastepath1")->isEnabled());
    QVERIFY(b.form->findChild<QAction*>("Refresh1")->isEnabled());
    b.form->close();
}

void TestBrowser::findInFilesListsMatchingFiles()
{
    Browser b;
    QByteArray big(3 << 20, 'z');
    big.append("ABC");
    QVERIFY(QDir(b.folder.path()).mkdir("abc folder"));
    QVERIFY(b.open({{"upper.txt", "xx ABC yy"},
                    {"inside.txt", "xabcx"},
                    {"none.txt", "ab c"},
                    {"filtered.doc", "abc"},
                    {"big.log", big}}));
    QVERIFY(b.preview("none.txt"));
    TRIGGER_ACTION(b.form, "FindinFiles1");
    QVERIFY(b.h.form4->isVisible());
    QCOMPARE(b.h.form4->windowTitle(), QString("Find in Files"));
    QVERIFY(!b.form->isEnabled());
    b.h.form4->Edit2->setText("abc");
    QTest::keyClick(b.h.form4->Edit2, Qt::Key_Return);
    QVERIFY(!b.h.form4->isVisible());
    QVERIFY(b.form->isEnabled());
    QCOMPARE(b.form->ListedNames(), (QStringList{"big.log", "inside.txt", "upper.txt"}));
    QCOMPARE(b.form->PanelText(2), b.path("none.txt"));
    QVERIFY(b.form->Panel1->isEnabled());
    QVERIFY(b.form->FindHighlightText.isEmpty());

    // "Turn on Find and Highlight" colours the preview and every file previewed next.
    b.h.form4->CheckBox2->setChecked(true);
    b.h.form4->Edit2->setText("x");
    b.h.form4->Button3Click();
    QCOMPARE(b.form->ListedNames(), (QStringList{"inside.txt", "upper.txt"}));
    QCOMPARE(b.form->FindHighlightText, QString("0x"));

    b.h.form4->CheckBox2->setChecked(false);
    b.h.form4->Edit2->setText(QString());
    b.h.form4->Button3Click(); // an empty text is found nowhere
    QCOMPARE(b.form->ListedNames(), QStringList());
    b.form->close();
}

void TestBrowser::escapeStopsASearchAndRestoresThePane()
{
    Browser b;
    QList<QPair<QString, QByteArray>> files;
    for (int i = 0; i < 200; ++i)
        files << qMakePair(QString("f%1.txt").arg(i, 3, 10, QChar('0')), QByteArray("abc"));
    QVERIFY(b.open(files));
    QVERIFY(b.preview("f000.txt"));
    // Esc arrives while the first files are searched.
    QTimer::singleShot(0, b.form, [&b] { QTest::keyClick(b.form->ListView1, Qt::Key_Escape); });
    b.form->FindInFolderFiles("abc");
    QVERIFY(b.form->SearchStopped);
    QVERIFY(b.form->ListedNames().size() < 200);
    QCOMPARE(b.form->PanelText(2), b.path("f000.txt"));
    QVERIFY(b.form->Panel1->isEnabled());
    QVERIFY(b.form->ListView1->isSortingEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());

    // The next search starts afresh and finds them all.
    b.form->FindInFolderFiles("abc");
    QCOMPARE(b.form->ListedNames().size(), 200);
    b.form->close();
}

void TestBrowser::wholeWordHighlightAndToggling()
{
    Browser b;
    QVERIFY(b.open({{"cats.txt", "a cat sat, concat CAT"}}));
    QVERIFY(b.preview("cats.txt"));
    TRIGGER_ACTION(b.form, "FindandHighlight1");
    QCOMPARE(b.h.form4->windowTitle(), QString("Find and Highlight"));
    b.h.form4->Edit1->setText("cat");
    b.h.form4->CheckBox1->setChecked(true);
    QTest::keyClick(b.h.form4->Edit1, Qt::Key_Return);
    QVERIFY(!b.h.form4->isVisible());
    QCOMPARE(b.form->FindHighlightText, QString("1cat"));
    QCOMPARE(b.colored(), (QStringList{"2+3", "18+3"}));
    QVERIFY(!b.memo()->ModifiedFlag());

    // Ctrl+H colours the selection, then uncolours it; the modified flag stays.
    b.memo()->SetSelStart(6);
    b.memo()->SetSelLength(3);
    TRIGGER_ACTION(b.form, "Highlight1");
    QCOMPARE(b.colored(), (QStringList{"2+3", "6+3", "18+3"}));
    TRIGGER_ACTION(b.form, "Highlight1");
    QCOMPARE(b.colored(), (QStringList{"2+3", "18+3"}));
    QVERIFY(!b.memo()->ModifiedFlag());

    TRIGGER_ACTION(b.form, "ClearHighlight1");
    QCOMPARE(b.colored(), QStringList());
    QCOMPARE(b.memo()->SelStart(), 6);
    QCOMPARE(b.memo()->SelLength(), 3);
    b.form->close();
}

void TestBrowser::findAndHighlightModeCarriesToNextFiles()
{
    Browser b;
    QVERIFY(b.open({{"1.txt", "dog, Dogs"}, {"2.txt", "hotdog"}, {"3.txt", "dog"}}));
    QVERIFY(b.preview("1.txt"));
    TRIGGER_ACTION(b.form, "FindandHighlight1");
    b.h.form4->Edit1->setText("dog");
    b.h.form4->CheckBox1->setChecked(false);
    b.h.form4->Button1Click();
    QCOMPARE(b.colored(), (QStringList{"0+3", "5+3"}));
    QVERIFY(b.preview("2.txt"));
    QCOMPARE(b.colored(), QStringList{"3+3"});

    // The command switches the mode off; the colours go with the next file.
    TRIGGER_ACTION(b.form, "FindandHighlight1");
    QVERIFY(b.form->FindHighlightText.isEmpty());
    QVERIFY(!b.h.form4->isVisible());
    QCOMPARE(b.colored(), QStringList{"3+3"});
    QVERIFY(b.preview("3.txt"));
    QCOMPARE(b.colored(), QStringList());
    b.form->close();
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
