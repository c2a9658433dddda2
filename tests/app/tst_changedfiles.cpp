// Files changed or removed by other programs: the bar in the document window, its answers,
// and the question before Save overwrites such a file.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/DocumentBar.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"

#include <QFile>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace
{

const QString ChangedPrompt =
    QStringLiteral("Confirmation YesNo: %1 has been changed by another program.\rDo you want to "
                   "overwrite it?");

struct OpenedFile {
    QString path;
    TScrollMemo* memo = nullptr;
};

OpenedFile openFile(MainWindowHarness& h, const QString& name, const QByteArray& bytes)
{
    const QString path = h.environment.rootPath() + u'/' + name;
    writeFile(path, bytes);
    return {path, TForm1::MemoOf(h.form1->OpenFileInNewWindow(path))};
}

QString barText(const TScrollMemo* memo)
{
    const auto* bar = qobject_cast<const TDocumentBar*>(memo->MessageBar());
    return bar ? bar->Text() : QString();
}

// Presses the bar's button with this caption; false when there is none.
bool answerBar(const TScrollMemo* memo, const QString& caption)
{
    const QWidget* bar = memo->MessageBar();
    if (!bar)
        return false;
    for (QPushButton* button : bar->findChildren<QPushButton*>()) {
        if (button->text() == caption) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

} // namespace

class TestChangedFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changedFileOffersReload();
    void changedFileWithUnsavedChangesAsksBeforeSave();
    void deletedFileIsWrittenAgainBySave();
    void ownSavesAndReloadsAreNoChange();
    void saveInOneWindowIsNoChangeForAnother();
};

void TestChangedFiles::changedFileOffersReload()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const OpenedFile file = openFile(h, "notes.txt", "one\r\n");
    QVERIFY(!file.memo->MessageBar());

    QVERIFY(writeFile(file.path, "two, from another program\r\n"));
    QTRY_COMPARE(barText(file.memo),
                 QStringLiteral("notes.txt has been changed by another program."));
    QCOMPARE(file.memo->FullText(), QStringLiteral("one\r\n"));
    // The bar keeps room above the text, which stays usable.
    QVERIFY(file.memo->viewport()->y() >= file.memo->MessageBar()->height());
    file.memo->ReplaceSelection("typed ");

    // What was typed after the bar came is not thrown away without asking.
    h.prompts.answerMessage(Answer::No);
    QVERIFY(answerBar(file.memo, "&Reload"));
    QCOMPARE(file.memo->FullText(), QStringLiteral("typed one\r\n"));
    QVERIFY(file.memo->MessageBar());
    h.prompts.answerMessage(Answer::Yes);
    QVERIFY(answerBar(file.memo, "&Reload"));
    QCOMPARE(file.memo->FullText(), QStringLiteral("two, from another program\r\n"));
    QVERIFY(!file.memo->ModifiedFlag());
    QVERIFY(!file.memo->MessageBar());
    QCOMPARE(shownMessages(h.prompts),
             QStringList(2, "Confirmation YesNo: The changes made to the text in the notes.txt "
                            "file\rhave not been saved, do you still wish to reload?"));
}

void TestChangedFiles::changedFileWithUnsavedChangesAsksBeforeSave()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const OpenedFile file = openFile(h, "plan.txt", "mine\r\n");
    file.memo->SetSelStart(0);
    file.memo->ReplaceSelection("edited ");

    QVERIFY(writeFile(file.path, "theirs\r\n"));
    QTRY_VERIFY(
        barText(file.memo).endsWith("This document has unsaved changes, which Reload discards."));
    QVERIFY(answerBar(file.memo, "&Ignore"));
    QVERIFY(!file.memo->MessageBar());

    // No: nothing is saved, and the document stays modified.
    h.prompts.answerMessage(Answer::No);
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(shownMessages(h.prompts), QStringList{ChangedPrompt.arg(file.path)});
    QCOMPARE(readFile(file.path), QByteArray("theirs\r\n"));
    QVERIFY(file.memo->ModifiedFlag());

    h.prompts.answerMessage(Answer::Yes);
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(file.path), QByteArray("edited mine\r\n"));
    QVERIFY(!file.memo->ModifiedFlag());
    // Saved over it: the next save asks nothing.
    file.memo->ReplaceSelection("more ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(h.prompts.messages.size(), 2);
}

void TestChangedFiles::deletedFileIsWrittenAgainBySave()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const OpenedFile file = openFile(h, "gone.txt", "kept text");
    QVERIFY(QFile::remove(file.path));
    QTRY_COMPARE(barText(file.memo),
                 QStringLiteral("gone.txt has been deleted by another program. Save writes it "
                                "again."));
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QCOMPARE(readFile(file.path), QByteArray("kept text"));
    QVERIFY(!file.memo->MessageBar());
    QVERIFY(h.prompts.messages.isEmpty());

    // Made again by someone else: that is a change again.
    QVERIFY(QFile::remove(file.path));
    QTRY_VERIFY(!barText(file.memo).isEmpty());
    QVERIFY(writeFile(file.path, "new"));
    QTRY_COMPARE(barText(file.memo),
                 QStringLiteral("gone.txt has been changed by another program."));
}

void TestChangedFiles::ownSavesAndReloadsAreNoChange()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const OpenedFile file = openFile(h, "own.txt", "start\r\n");
    file.memo->ReplaceSelection("saved ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QTest::qWait(300); // time for the watcher to report the save
    QVERIFY(!file.memo->MessageBar());

    // The Reload command takes the changed file in: no bar, and Save asks nothing.
    QVERIFY(writeFile(file.path, "changed outside\r\n"));
    QTRY_VERIFY(file.memo->MessageBar());
    TRIGGER_ACTION(h.form1.get(), "Refresh1");
    QVERIFY(!file.memo->MessageBar());
    QCOMPARE(file.memo->FullText(), QStringLiteral("changed outside\r\n"));
    file.memo->ReplaceSelection("again ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QTest::qWait(300);
    QVERIFY(!file.memo->MessageBar());
    QVERIFY(h.prompts.messages.isEmpty());

    // Save As under another name: that file is the document's now.
    h.prompts.answerSaveFile(h.environment.rootPath() + "/other.txt");
    TRIGGER_ACTION(h.form1.get(), "SaveAs1");
    QVERIFY(writeFile(file.path, "the old name changed"));
    QTest::qWait(300);
    QVERIFY(!file.memo->MessageBar());
}

// Two windows of one file (Clone Window): saving one is the program's own write for both.
void TestChangedFiles::saveInOneWindowIsNoChangeForAnother()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const OpenedFile file = openFile(h, "both.txt", "text");
    TRIGGER_ACTION(h.form1.get(), "CloneWindow1");
    TScrollMemo* clone = h.form1->ActiveMemo();
    QVERIFY(clone != file.memo);
    clone->ReplaceSelection("clone ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QTest::qWait(300);
    QVERIFY(!file.memo->MessageBar());
    file.memo->ReplaceSelection("original ");
    for (QMdiSubWindow* window : h.form1->DocumentWindows()) {
        if (TForm1::MemoOf(window) == file.memo)
            QVERIFY(h.form1->SaveDocument(window));
    }
    QCOMPARE(readFile(file.path), QByteArray("original text"));
    QVERIFY(h.prompts.messages.isEmpty());
}

QTEST_MAIN(TestChangedFiles)
#include "tst_changedfiles.moc"
