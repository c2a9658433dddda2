// Open With: the files handed to a program, the remembered programs in openwith.ini, failed
// writes and starts, the dialog from the keyboard, and the desktop's start of a program.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "platform/Shell.h"
#include "tools/OpenWith.h"
#include "tools/Unit8.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The main window without documents, the temporary folder inside the test's folder; temp is
// the user's own folder in it.
class OpenWithHarness : public MainWindowHarness
{
public:
    OpenWithHarness()
        : temp(path("tmp/tavro-") + QString::number(getuid())), m_previousTemp(qgetenv("TMPDIR"))
    {
        QDir().mkpath(path("tmp"));
        qputenv("TMPDIR", QFile::encodeName(path("tmp")));
        form1->OpenNew = false;
    }
    ~OpenWithHarness()
    {
        if (m_previousTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_previousTemp);
    }

    QString path(const QString& name) const { return environment.rootPath() + '/' + name; }
    TScrollMemo* open(const QString& name, const QByteArray& bytes)
    {
        writeFile(path(name), bytes);
        return TForm1::MemoOf(form1->OpenFileInNewWindow(path(name)));
    }
    // The documents cannot be activated while the dialog is open: it is closed first.
    bool showFor(QMdiSubWindow* window)
    {
        form8->close();
        form1->MdiArea->setActiveSubWindow(window);
        return triggerAction(form1.get(), "OpenWith1");
    }
    // Presses Open; the program started, or an empty record.
    StartedProgram openWith(const QString& program, bool original = false)
    {
        const qsizetype before = shell.startedPrograms.size();
        form8->ComboBox1->setEditText(program);
        (original ? form8->RadioButton2 : form8->RadioButton1)->setChecked(true);
        QTest::mouseClick(form8->Button2, Qt::LeftButton);
        return shell.startedPrograms.size() > before ? shell.startedPrograms.last()
                                                     : StartedProgram{};
    }
    QStringList programs() const
    {
        QStringList items;
        for (int i = 0; i < form8->ComboBox1->count(); ++i)
            items << form8->ComboBox1->itemText(i);
        return items;
    }

    const QString temp;

private:
    const QByteArray m_previousTemp;
};

const QString Sh = QStandardPaths::findExecutable("sh");

} // namespace

class TestOpenWith : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void previewFiles();
    void rememberedPrograms();
    void saveAndUseOriginal();
    void failedWrites();
    void programsThatCannotStart();
    void openwithIniAtShowAndClose_data();
    void openwithIniAtShowAndClose();
    void keyboard();
    void desktopStartsProgramWithOneArgument();
    void untitledPreviewsStayInAFolderOfTheUsersOwn();
};

// Each preview holds the text in its document's encoding and line breaks; the documents and
// their files stay as they were, modified or not.
void TestOpenWith::previewFiles()
{
    OpenWithHarness h;
    QVERIFY(h.show() && QDir().mkpath(h.path("notes/gone")));
    const TScrollMemo* readme = h.open("notes/README", "\xe6\x97\xa5\rCR\r");
    h.open("notes/gone/old.txt", "o");
    QVERIFY(QDir(h.path("notes/gone")).removeRecursively());
    h.form1->New1Click();
    TScrollMemo* plan = h.open("notes/plan.txt", "caf\xe9\r\nmixed\nbreaks");
    plan->SetSelStart(plan->TextLength());
    plan->ReplaceSelection(QString::fromLatin1("\r\n\xe9!"));
    QVERIFY(writeFile(h.path("notes/~plan.txt"), "an older preview"));

    const QString notes = h.path("notes");
    const QStringList previews{notes + "/~plan.txt", h.temp + "/~Untitled1.txt",
                               h.temp + "/~old.txt", notes + "/~README.txt"};
    const QStringList folders{notes, h.temp, h.temp, notes};
    const QList<QMdiSubWindow*> windows = h.form1->DocumentWindows();
    for (int i = 0; i < windows.size(); ++i) {
        QVERIFY(h.showFor(windows[i]));
        const StartedProgram started = h.openWith("sh");
        QCOMPARE(started.program, Sh);
        QCOMPARE(started.fileArgument, previews[i]);
        QCOMPARE(started.workingFolder, folders[i]);
    }
    QCOMPARE(readFile(previews[0]), QByteArray("caf\xe9\r\nmixed\nbreaks\r\n\xe9!"));
    QCOMPARE(readFile(previews[3]), QByteArray("\xe6\x97\xa5\rCR\r"));
    QCOMPARE(readFile(notes + "/plan.txt"), QByteArray("caf\xe9\r\nmixed\nbreaks"));
    QVERIFY(plan->ModifiedFlag() && !readme->ModifiedFlag());
    QVERIFY(h.form8->isVisible() && h.prompts.messages.isEmpty());
}

void TestOpenWith::rememberedPrograms()
{
    OpenWithHarness h;
    QVERIFY(h.show());
    QStringList eleven;
    for (int i = 1; i <= 11; ++i)
        eleven << QString("p%1").arg(i);
    QVERIFY(writeFile(h.environment.programFile("openwith.ini"), eleven.join("\r\n").toUtf8()));
    h.form1->OpenWith1Click(); // without a document Open only keeps the list
    QCOMPARE(h.programs(), eleven);
    h.openWith("p12"); // the twelfth takes the place of the eleventh
    h.openWith("p5");
    QCOMPARE(h.programs(), eleven.mid(0, 10) << "p12");
    h.openWith("P5"); // names differ by case
    h.openWith("");
    h.openWith("");
    QCOMPARE(h.programs(), eleven.mid(0, 10) << "");
    QVERIFY(h.shell.startedPrograms.isEmpty() && h.prompts.messages.isEmpty());
}

void TestOpenWith::saveAndUseOriginal()
{
    OpenWithHarness h;
    QVERIFY(h.show());
    TScrollMemo* doc = h.open("doc.txt", "old\r\n");
    doc->ReplaceSelection("new ");
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    QCOMPARE(h.openWith("sh", true).fileArgument, h.path("doc.txt"));
    QCOMPARE(h.shell.startedPrograms[0].workingFolder, h.environment.rootPath());
    QCOMPARE(readFile(h.path("doc.txt")), QByteArray("new old\r\n"));
    QVERIFY(!doc->ModifiedFlag());

    // Untitled: the Save dialog starts from the caption; cancelled, nothing starts.
    h.form1->New1Click();
    TScrollMemo* memo = h.form1->ActiveMemo();
    memo->ReplaceSelection("text");
    h.prompts.answerSaveFile("");
    QCOMPARE(h.openWith("sh", true).program, QString());
    QCOMPARE(h.prompts.saveRequests[0].fileName, "Untitled1");
    QCOMPARE(windowCaptions(*h.form1)[0], "Untitled1");
    QVERIFY(memo->ModifiedFlag());
    // Confirmed, ".txt" joins a name without one; the untitled document's folder stays the
    // working folder.
    h.prompts.answerSaveFile(h.path("saved"));
    QCOMPARE(h.openWith("sh", true).fileArgument, h.path("saved.txt"));
    QCOMPARE(h.shell.startedPrograms.last().workingFolder, h.temp);
    QCOMPARE(readFile(h.path("saved.txt")), QByteArray("text"));
    QCOMPARE(windowCaptions(*h.form1)[0], h.path("saved.txt"));
    QCOMPARE(h.shell.recentDocumentsAdded, QStringList{h.path("saved.txt")});
    QVERIFY(!memo->ModifiedFlag() && h.prompts.messages.isEmpty());
}

// A failed write is reported with the system's reason and saves nothing: the document stays
// modified under its caption, and no program gets a file that is not there.
void TestOpenWith::failedWrites()
{
    OpenWithHarness h;
    QVERIFY(h.show());
    h.open("doc.txt", "old")->ReplaceSelection("new ");
    // Someone put a link where the preview goes, to have another file overwritten.
    QVERIFY(writeFile(h.path("victim.txt"), "victim"));
    QVERIFY(QFile::link(h.path("victim.txt"), h.path("~doc.txt")));
    QVERIFY(QFile::remove(h.path("doc.txt")) &&
            QFile::link(h.path("missing/doc.txt"), h.path("doc.txt")));
    h.form1->New1Click();
    h.form1->ActiveMemo()->ReplaceSelection("text");
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    for (int i = 0; i < 3; ++i)
        h.prompts.answerMessage(Answer::Ok);
    h.prompts.answerSaveFile(h.path("missing/new.txt"));
    h.openWith("sh", true);
    QVERIFY(h.showFor(h.form1->DocumentWindows().last()));
    h.openWith("sh");
    h.openWith("sh", true);

    const QStringList starts{h.path("missing/new.txt") + ".\rThe file might be write protected.\r",
                             h.path("~doc.txt") + ".\rThe file might be in use.\r",
                             h.path("doc.txt") + ".\rThe file might be write protected.\r"};
    QCOMPARE(h.prompts.messages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString text = h.prompts.messages[i].text;
        const QString reason = text.mid(starts[i].size() + 23);
        QVERIFY2(text.startsWith("Could not save to file " + starts[i]) && !reason.isEmpty() &&
                     !reason.contains('\r'),
                 qPrintable(text));
    }
    QCOMPARE(windowCaptions(*h.form1), QStringList({h.path("doc.txt"), "Untitled1"}));
    for (const QMdiSubWindow* window : h.form1->DocumentWindows())
        QVERIFY(TForm1::MemoOf(window)->ModifiedFlag());
    QVERIFY(h.shell.startedPrograms.isEmpty() && h.shell.recentDocumentsAdded.isEmpty());
    QCOMPARE(readFile(h.path("victim.txt")), QByteArray("victim"));
}

void TestOpenWith::programsThatCannotStart()
{
    OpenWithHarness h;
    QVERIFY(h.show());
    h.open("doc.txt", "text");
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    h.shell.startsSucceed = false;
    for (int i = 0; i < 3; ++i)
        h.prompts.answerMessage(Answer::Ok);
    h.openWith("sh");
    h.openWith("no-such-program-here");
    h.openWith(h.path("doc.txt")); // not executable
    QCOMPARE(shownMessages(h.prompts),
             QStringList({"Information Ok: Could not start sh.\rRefused by the test.",
                          "Information Ok: Could not start no-such-program-here.\rNo program of "
                          "this name was found on the search path.",
                          "Information Ok: Could not start " + h.path("doc.txt") +
                              ".\rThe file is not an executable program."}));
    QCOMPARE(h.shell.startedPrograms.size(), 1);
}

void TestOpenWith::openwithIniAtShowAndClose_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Close") << "Close";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("close box") << "close box";
}

void TestOpenWith::openwithIniAtShowAndClose()
{
    QFETCH(QString, way);
    OpenWithHarness h;
    QVERIFY(h.show());
    h.open("doc.txt", "text");
    const QString ini = h.environment.programFile("openwith.ini");
    QVERIFY(writeFile(ini, "/opt/caf\xc3\xa9\n\r\nvi"));
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    QVERIFY(!h.form1->isEnabled());
    QCOMPARE(h.programs(), QStringList({"/opt/café", "", "vi"}));
    h.openWith("sh");
    if (way == "Close")
        QTest::mouseClick(h.form8->Button3, Qt::LeftButton);
    else if (way == "Esc")
        QTest::keyClick(h.form8, Qt::Key_Escape);
    else
        QVERIFY(h.form8->close());
    QVERIFY(!h.form8->isVisible() && h.form1->isEnabled());
    QCOMPARE(readFile(ini), QByteArray("/opt/caf\xc3\xa9\r\n\r\nvi\r\nsh\r\n"));

    // Without the file the list and the text stay; a failed write says why.
    QVERIFY(QFile::remove(ini) && QFile::link(h.path("missing/openwith.ini"), ini));
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    QCOMPARE(h.programs().size(), 4);
    QCOMPARE(h.form8->ComboBox1->currentText(), "sh");
    h.prompts.answerMessage(Answer::Ok);
    h.form8->close();
    const QString shown = h.prompts.messages.value(0).text;
    QVERIFY(shown.startsWith("Cannot create file " + ini + "\r") && !shown.endsWith('\r'));

    // A file that cannot be read is reported and left as it is.
    QVERIFY(QFile::remove(ini) && ::mkfifo(QFile::encodeName(ini).constData(), 0600) == 0);
    h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    QVERIFY(h.prompts.messages.value(1).text.startsWith("Could not read file " + ini + ".\r"));
    h.form8->close();
    QVERIFY(h.prompts.messages.size() == 2 && !QFileInfo(ini).isFile());
}

void TestOpenWith::keyboard()
{
    OpenWithHarness h;
    QVERIFY(h.show());
    h.open("doc.txt", "text");
    TForm8& d = *h.form8;
    QCOMPARE(d.pos(), QPoint(h.form1->x() + h.form1->width() / 2 - 172,
                             h.form1->y() + h.form1->height() / 2 - 61));
    TRIGGER_ACTION(h.form1.get(), "OpenWith1");
    QTRY_VERIFY(d.isActiveWindow());
    QVERIFY(d.width() >= 337 && d.height() >= 96 && d.RadioButton1->isChecked());
    d.ComboBox1->setFocus();
    for (QWidget* next : {(QWidget*)d.Button1, (QWidget*)d.RadioButton1, (QWidget*)d.Button2}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }

    h.prompts.answerOpenFiles({Sh});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
    QTRY_COMPARE(d.ComboBox1->currentText(), Sh); // the button clicks a moment later
    const FileDialogRequest browse = h.prompts.openRequests.value(0);
    QCOMPARE(browse.title + browse.filter + browse.folder, "BrowseProgram files|*.*/usr/bin");
    d.ComboBox1->setFocus();
    QTest::keyClick(d.ComboBox1, Qt::Key_Return); // Open
    QCOMPARE(h.shell.startedPrograms.value(0).fileArgument, h.path("~doc.txt"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!d.isVisible() && h.form1->isEnabled());
}

// The desktop starts the program in the working folder with the path as one argument,
// whatever blanks and quotes it holds.
void TestOpenWith::desktopStartsProgramWithOneArgument()
{
    const QTemporaryDir root;
    const QString folder = root.filePath("a b'c\"d");
    const QString file = folder + "/~x y'z.txt";
    const QByteArray out = QFile::encodeName(root.filePath("out"));
    const QString script = root.filePath("program");
    QVERIFY(QDir().mkpath(folder) && writeFile(file, "text"));
    QVERIFY(writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" \"$(pwd -P)\" > '" + out +
                                  ".tmp'\nmv '" + out + ".tmp' '" + out + "'\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
    DesktopShell shell;
    QString error;
    QVERIFY(shell.startProgram(script, file, folder, error));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 10000);
    QCOMPARE(QString::fromUtf8(readFile(out)),
             "1\n" + file + '\n' + QFileInfo(folder).canonicalFilePath() + '\n');

    // A file the system cannot run says why.
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(writeFile(script, "no program"));
    QVERIFY(!shell.startProgram(script, file, folder, error));
    QVERIFY2(error.contains("Exec format error"), qPrintable(error));
}

// Nobody else can have put a file or a link where the preview of an untitled document is
// written: a folder of that name that is a link, or open to others, is not used.
void TestOpenWith::untitledPreviewsStayInAFolderOfTheUsersOwn()
{
    OpenWithHarness h;
    QCOMPARE(OpenWithFolder("Untitled1"), h.temp);
    QCOMPARE(QFileInfo(h.temp).permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
             QFile::Permissions());
    QVERIFY(QDir(h.temp).removeRecursively());

    const QString elsewhere = h.path("elsewhere");
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(QFile::link(elsewhere, h.temp));
    QVERIFY(!PreviewFileName("Untitled1").startsWith(h.temp));
    QVERIFY(!PreviewFileName("Untitled1").startsWith(elsewhere));
    QVERIFY(QFile::remove(h.temp));

    QVERIFY(QDir().mkpath(h.temp));
    QVERIFY(::chmod(QFile::encodeName(h.temp).constData(), 0777) == 0);
    QVERIFY(!OpenWithFolder("Untitled1").startsWith(h.temp));
}

QTEST_MAIN(TestOpenWith)
#include "tst_openwith.moc"
