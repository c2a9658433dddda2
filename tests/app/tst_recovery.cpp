// Crash recovery: copies of modified documents while the program runs, and the bar that
// offers them at the next start. One test kills a child program that typed into a document.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/DocumentBar.h"
#include "app/Recovery.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

namespace
{

const QByteArray Original = "caf\xe9\r\nsecond line\r\n"; // Latin-1, CR LF
const QString Typed = QStringLiteral("typed before the crash ");
const QByteArray Expected = "typed before the crash caf\xe9\r\nsecond line\r\n";

// The copies in the folders of every run.
QStringList copyFiles()
{
    QStringList files;
    const QDir folder(RecoveryFolder());
    for (const QString& run : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString& name : QDir(folder.filePath(run)).entryList({"*.text", "*.info"}))
            files << run + u'/' + name;
    }
    return files;
}

bool pressBarButton(const QWidget* bar, const QString& caption)
{
    for (QPushButton* button : bar->findChildren<QPushButton*>()) {
        if (button->text() == caption) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

// The child program: opens the file, types, and says so once the copy is written; then it
// waits to be killed.
int runChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    ScriptedPrompts prompts;
    ScriptedShell shell;
    FixedClock clock;
    Platform platform{prompts, shell, clock};
    TForm1 form1(platform);
    new TForm7(&form1); // the document windows have their entries there
    form1.OpenNew = false;
    form1.show();
    TScrollMemo* memo = TForm1::MemoOf(form1.OpenFileInNewWindow(QString::fromLocal8Bit(argv[2])));
    QObject::connect(form1.Recovery(), &TRecoveryKeeper::copyWritten, [] {
        std::fputs("copied\n", stdout);
        std::fflush(stdout);
    });
    QTest::keyClicks(memo, Typed);
    return QApplication::exec();
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedProgramsTextIsRestored();
    void discardedCopiesAreNotOfferedAgain();
    void copiesOfARunningProgramAreNotOffered();
    void restoredUntitledCaptionsStayApart();
    void copyFollowsTheDocument();
    void infoLinesReadBack();
};

void TestRecovery::killedProgramsTextIsRestored()
{
    MainWindowHarness h;
    const QString path = h.environment.rootPath() + "/notes.txt";
    QVERIFY(writeFile(path, Original));

    QProcess child;
    QByteArray said;
    connect(&child, &QProcess::readyReadStandardOutput,
            [&] { said += child.readAllStandardOutput(); });
    child.start(QCoreApplication::applicationFilePath(), {"--child", path});
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY2_WITH_TIMEOUT(said.contains("copied"),
                              qPrintable(said + child.readAllStandardError()), 20000);
    child.kill(); // SIGKILL: nothing is tidied up
    QVERIFY(child.waitForFinished());
    QCOMPARE(copyFiles().size(), 2);
    QCOMPARE(QFileInfo(RecoveryFolder()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
             QFile::Permissions());

    QVERIFY(h.show());
    auto* bar = h.form1->findChild<TDocumentBar*>("RecoveryBar");
    QVERIFY(bar);
    QCOMPARE(bar->Text(), QStringLiteral("Tavro ended without closing; the text of 1 document "
                                         "was kept."));
    QVERIFY(pressBarButton(bar, "&Restore"));
    QTRY_VERIFY(!h.form1->findChild<TDocumentBar*>("RecoveryBar"));

    QCOMPARE(windowCaptions(*h.form1).first(), path);
    TScrollMemo* memo = h.form1->ActiveMemo();
    QVERIFY(memo->ModifiedFlag());
    QCOMPARE(readFile(path), Original); // the file itself was not touched
    // Saved, it is what the killed program would have saved: byte for byte.
    const QString saved = h.environment.rootPath() + "/saved.txt";
    QVERIFY(memo->SaveLinesToFile(saved).ok);
    QCOMPARE(readFile(saved), Expected);
    // The other run's copy is gone; this run keeps its own of the restored text.
    QCOMPARE(copyFiles().size(), 2);
    QVERIFY(!copyFiles().first().startsWith(QString::number(child.processId())));
}

void TestRecovery::discardedCopiesAreNotOfferedAgain()
{
    MainWindowHarness h;
    {
        // A run that ended without closing left a copy.
        const QString run = RecoveryFolder(true) + "/1-dead";
        QVERIFY(QDir().mkpath(run));
        QVERIFY(writeFile(run + "/1-1.text", "lost text"));
        QVERIFY(writeFile(run + "/1.info",
                          RecoveryInfoLines("Untitled7", {}, "1-1.text", 9).join("\r\n").toUtf8()));
    }
    QVERIFY(h.show());
    auto* bar = h.form1->findChild<TDocumentBar*>("RecoveryBar");
    QVERIFY(bar);
    QVERIFY(pressBarButton(bar, "&Discard"));
    QCOMPARE(windowCaptions(*h.form1), QStringList{"Untitled1"});
    QVERIFY(copyFiles().isEmpty());
    h.restart();
    QVERIFY(h.show());
    QVERIFY(!h.form1->findChild<TDocumentBar*>("RecoveryBar"));
}

// Another program running at the same time keeps its copies to itself.
void TestRecovery::copiesOfARunningProgramAreNotOffered()
{
    MainWindowHarness running;
    TScrollMemo* memo = running.showWithText("text");
    QVERIFY(memo);
    memo->ReplaceSelection("changed ");
    QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 2, 10000);

    ScriptedPrompts prompts;
    ScriptedShell shell;
    FixedClock clock;
    Platform platform{prompts, shell, clock};
    TForm1 second(platform);
    new TForm7(&second);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QVERIFY(!second.findChild<TDocumentBar*>("RecoveryBar"));
    QCOMPARE(copyFiles().size(), 2);
}

// A restored "Untitled1" beside the new Untitled1 of this start takes the next number, and
// a copy that cannot be opened stays for the next start.
void TestRecovery::restoredUntitledCaptionsStayApart()
{
    MainWindowHarness h;
    const QString run = RecoveryFolder(true) + "/1-dead";
    QVERIFY(QDir().mkpath(run));
    QVERIFY(writeFile(run + "/1-1.text", "kept"));
    QVERIFY(writeFile(run + "/1.info",
                      RecoveryInfoLines("Untitled1", {}, "1-1.text", 4).join("\r\n").toUtf8()));
    // A pipe in place of the text: it cannot be opened.
    QVERIFY(::mkfifo(QFile::encodeName(run + "/2-1.text").constData(), 0600) == 0);
    QVERIFY(writeFile(run + "/2.info",
                      RecoveryInfoLines("Untitled2", {}, "2-1.text", 0).join("\r\n").toUtf8()));
    QVERIFY(h.show());
    auto* bar = h.form1->findChild<TDocumentBar*>("RecoveryBar");
    QVERIFY(bar);
    h.prompts.answerMessage(Answer::Ok);
    QVERIFY(pressBarButton(bar, "&Restore"));
    freeClosedWindows();
    QCOMPARE(windowCaptions(*h.form1), QStringList({"Untitled2", "Untitled1"}));
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString("kept"));
    QVERIFY(QFileInfo::exists(run + "/2.info"));
    QVERIFY(!QFileInfo::exists(run + "/1.info"));
}

// A modified document has a copy; saving it, or closing it without saving, removes it, and a
// normal end removes the run's folder.
void TestRecovery::copyFollowsTheDocument()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    const QString path = h.environment.rootPath() + "/doc.txt";
    QVERIFY(writeFile(path, "text"));
    TScrollMemo* memo = TForm1::MemoOf(h.form1->OpenFileInNewWindow(path));
    QVERIFY(copyFiles().isEmpty());
    memo->ReplaceSelection("more ");
    QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 2, 10000);
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QVERIFY(copyFiles().isEmpty());

    memo->ReplaceSelection("again ");
    QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 2, 10000);
    h.prompts.answerMessage(Answer::No);
    QVERIFY(h.form1->ActiveDocumentWindow()->close());
    freeClosedWindows();
    QTRY_VERIFY(copyFiles().isEmpty());

    QVERIFY(!QDir(RecoveryFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    h.form1.reset();
    QVERIFY(QDir(RecoveryFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

void TestRecovery::infoLinesReadBack()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("1-3.text"), "12345"));
    const QString caption = QStringLiteral("/odd/na\nme %41\r.txt");
    RecoveryCopy copy;
    QVERIFY(ParseRecoveryInfo(
        RecoveryInfoLines(caption, {TextEncoding::Latin1, LineBreak::Cr}, "1-3.text", 5),
        dir.path(), copy));
    QCOMPARE(copy.caption, caption);
    QCOMPARE(copy.textPath, dir.filePath("1-3.text"));
    QCOMPARE(copy.encoding, TextEncoding::Latin1);
    QCOMPARE(copy.lineBreak, LineBreak::Cr);
    // A text not completely written, or named outside the folder, does not count.
    QVERIFY(!ParseRecoveryInfo(RecoveryInfoLines(caption, {}, "1-3.text", 6), dir.path(), copy));
    QVERIFY(!ParseRecoveryInfo(RecoveryInfoLines(caption, {}, "../1-3.text", 5), dir.path(), copy));
    QVERIFY(!ParseRecoveryInfo({"something else"}, dir.path(), copy));
}

int main(int argc, char** argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
