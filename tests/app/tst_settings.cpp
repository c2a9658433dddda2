// The settings file, start-up with a command-line file, shut-down and Set Font.

#include "support/MainWindowHarness.h"
#include "support/TestQueries.h"
#include "support/TestActions.h"

#include "app/Scrlmemo.h"
#include "app/Settings.h"
#include "app/Strset.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "platform/FontDialog.h"
#include "platform/ProgramFolder.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

namespace
{

void writeLines(const QString& path, const QStringList& lines)
{
    TStrSet set;
    set.SetStrings(lines);
    QVERIFY(set.SaveToFile(path).ok);
}

QStringList defaultLines()
{
    return SettingsLines(Settings());
}

QStringList withLine(QStringList lines, int index, const QString& value)
{
    lines[index] = value;
    return lines;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesRoundTrip();
    void lineValues_data();
    void lineValues();
    void otherLineCountsGiveDefaults();
    void firstRunUsesDefaultsAndWritesTheFiles();
    void settingsSurviveARestart();
    void unreadableNumbersKeepTheirDefaults();
    void commandLineFileOpensInUntitled1();
    void unreadableCommandLineFileKeepsUntitled1();
    void commandLineFileWithoutOpenNewGetsAWindow();
    void setFontAppliesToEveryDocument();
    void unwritableSettingsAreReportedAndTheProgramEnds();
    void helpTopicsOpensTheHelpPage();
    void helpTopicsOpensTheInstalledHelpPage();
    void sizesAndPlacesFromTheFileStayOnTheScreens_data();
    void sizesAndPlacesFromTheFileStayOnTheScreens();
    void relativeCommandLinePathBecomesTheFullPath();
    void fontDialogOffersSizesSixToThirtyTwo();
};

void TestSettings::linesRoundTrip()
{
    Settings s;
    s.fontName = "DejaVu Sans Mono";
    s.bold = s.underline = true;
    s.fontSize = 11;
    s.openFilter = "Text|*.txt";
    s.position = QPoint(12, 34);
    s.showTheOpenFiles = true;
    s.showToolbar = false;
    s.highlightColor = QColor(128, 0, 128);
    s.newWindowWidth = 500;
    s.newWindowHeight = 300;
    s.openNew = false;
    s.toolbarBits = "1" + QString(34, '0');
    s.defaultWordWrap = false;
    s.dontMoveCursor = true;
    s.browsFilt = ".EXE";
    s.size = QSize(900, 700);
    const QStringList lines = SettingsLines(s);
    QCOMPARE(lines, QStringList({"[FONT]",
                                 "DejaVu Sans Mono",
                                 "BU",
                                 "11",
                                 "[FILTERS]",
                                 "Text|*.txt",
                                 s.saveFilter,
                                 "[MISC]",
                                 "12,34",
                                 "ShowTheOpenFiles=1",
                                 "AlwaysMaximize=0",
                                 "ShowToolbar=0",
                                 "Purple",
                                 "500,300",
                                 "OpenNew=0",
                                 s.toolbarBits,
                                 "WordWrap=0",
                                 "MoveCursor=1",
                                 "BrowsFilt=.EXE",
                                 "900x700"}));
    QCOMPARE(SettingsLines(ReadSettings(lines)), lines);
}

void TestSettings::lineValues_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected"); // the line as written back
    QTest::newRow("colour name") << 12 << "Navy"
                                 << "Navy";
    QTest::newRow("colour name in lower case") << 12 << "navy"
                                               << "Red";
    QTest::newRow("unknown colour") << 12 << "Green"
                                    << "Red";
    QTest::newRow("style letters") << 2 << "UxIB"
                                   << "BIU";
    QTest::newRow("style letters in lower case") << 2 << "biu"
                                                 << "";
    QTest::newRow("maximized position") << 8 << "-4,-4"
                                        << "100,100";
    QTest::newRow("flag with a blank") << 9 << "ShowTheOpenFiles=1 "
                                       << "ShowTheOpenFiles=0";
    QTest::newRow("flag of another key") << 14 << "Other=1"
                                         << "OpenNew=0";
    QTest::newRow("browser filter after the first =") << 18 << "X=.A=B"
                                                      << "BrowsFilt=.A=B";
    QTest::newRow("size") << 19 << "1024x768"
                          << "1024x768";
}

void TestSettings::lineValues()
{
    QFETCH(int, line);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    const Settings settings = ReadSettings(withLine(defaultLines(), line, value));
    QCOMPARE(SettingsLines(settings).at(line), expected);
}

void TestSettings::otherLineCountsGiveDefaults()
{
    QStringList lines = withLine(defaultLines(), 12, "Navy");
    QCOMPARE(ReadSettings(lines).highlightColor, QColor(0, 0, 128));
    lines << QString(); // a blank line at the end: 21 lines
    QCOMPARE(ReadSettings(lines).highlightColor, QColor(255, 0, 0));
    lines.removeLast();
    lines.removeLast();
    QCOMPARE(ReadSettings(lines).highlightColor, QColor(255, 0, 0));
}

void TestSettings::firstRunUsesDefaultsAndWritesTheFiles()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    QMdiSubWindow* window = h.form1->ActiveDocumentWindow();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QString("Untitled1"));
    QCOMPARE(window->size(), QSize(640, 460));
    QVERIFY(TForm1::MemoOf(window)->WordWrap());
    QCOMPARE(TForm1::MemoOf(window)->EditorFont().family(), QString("Fixedsys"));
    QCOMPARE(h.form1->size(), QSize(800, 600));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offCentre = h.form1->geometry().center() - screen.center();
    QVERIFY2(offCentre.manhattanLength() <= 8,
             qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));

    QVERIFY(h.form1->close());
    const QByteArray ini = readFile(h.environment.programFile("tavro.ini"));
    QCOMPARE(ini.count("\r\n"), 20);
    QVERIFY(ini.endsWith("\r\n"));
    QVERIFY(ini.startsWith("[FONT]\r\nFixedsys\r\n\r\n8\r\n[FILTERS]\r\n"));
    QVERIFY(QFile::exists(h.environment.programFile("autocomp.ini")));
    QCOMPARE(readFile(h.environment.programFile("autocomp.ini")), QByteArray());
}

void TestSettings::settingsSurviveARestart()
{
    MainWindowHarness h;
    QStringList lines = defaultLines();
    lines[1] = "DejaVu Sans";
    lines[2] = "I";
    lines[3] = "12";
    lines[8] = "40,50";
    lines[12] = "Fuchsia";
    lines[13] = "500,320";
    lines[16] = "WordWrap=0";
    lines[19] = "700x500";
    writeLines(h.environment.programFile("tavro.ini"), lines);
    writeLines(h.environment.programFile("autocomp.ini"),
               {QString("teh") + QChar(0xA4) + QChar(0xA4) + "the"});
    h.restart();
    QVERIFY(h.show());
    QCOMPARE(h.form1->HighlightColor, QColor(255, 0, 255));
    QCOMPARE(h.form1->DocumentFont.font.family(), QString("DejaVu Sans"));
    QVERIFY(h.form1->DocumentFont.font.italic());
    QCOMPARE(h.form1->DocumentFont.font.pointSize(), 12);
    QCOMPARE(h.form1->size(), QSize(700, 500));
    QCOMPARE(h.form1->pos(), QPoint(40, 50));
    QCOMPARE(h.form1->ActiveDocumentWindow()->size(), QSize(500, 320));
    QVERIFY(!h.form1->ActiveMemo()->WordWrap());
    QCOMPARE(h.form1->autocomp->Strings().size(), 1);

    h.form1->HighlightColor = QColor(0, 0, 255);
    h.form1->autocomp->Strings() << "second";
    QVERIFY(h.form1->close());
    h.restart();
    QCOMPARE(h.form1->HighlightColor, QColor(0, 0, 255));
    QCOMPARE(h.form1->DocumentFont.font.family(), QString("DejaVu Sans"));
    QCOMPARE(h.form1->autocomp->Strings().size(), 2);
    QCOMPARE(readFile(h.environment.programFile("autocomp.ini")),
             QByteArray("teh\xa4\xa4the\r\nsecond\r\n"));
}

void TestSettings::unreadableNumbersKeepTheirDefaults()
{
    QStringList lines = defaultLines();
    lines[3] = "big";
    lines[8] = "left,top";
    lines[13] = "wide,300";
    lines[19] = "x";
    lines[12] = "Maroon";
    const Settings s = ReadSettings(lines);
    QCOMPARE(s.fontSize, 8);
    QVERIFY(!s.position);
    QCOMPARE(s.newWindowWidth, 640);
    QCOMPARE(s.newWindowHeight, 460);
    QCOMPARE(s.size, QSize(800, 600));
    QCOMPARE(s.highlightColor, QColor(128, 0, 0)); // the other lines still count

    // Such a file starts the program as usual.
    MainWindowHarness h;
    writeLines(h.environment.programFile("tavro.ini"), lines);
    h.restart();
    QVERIFY(h.show());
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled1"));
}

void TestSettings::commandLineFileOpensInUntitled1()
{
    MainWindowHarness h;
    const QString path = h.environment.rootPath() + "/a b";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(".LOG\r\n");
    file.close();
    h.form1->CommandLineParameters = {h.environment.rootPath() + "/a", "b"};
    QVERIFY(h.show());
    QCOMPARE(h.form1->DocumentWindows().size(), 1);
    QMdiSubWindow* window = h.form1->ActiveDocumentWindow();
    QCOMPARE(window->windowTitle(), path);
    TScrollMemo* memo = TForm1::MemoOf(window);
    QVERIFY(memo->FullText().startsWith(".LOG\r\n"));
    QVERIFY(memo->FullText().endsWith("\r\n\r\n"));
    QVERIFY(memo->ModifiedFlag());
    QVERIFY(h.shell.recentDocumentsAdded.isEmpty());
    QVERIFY(h.prompts.messages.isEmpty());
}

void TestSettings::unreadableCommandLineFileKeepsUntitled1()
{
    MainWindowHarness h;
    const QString path = h.environment.rootPath() + "/missing.txt";
    h.form1->CommandLineParameters = {path};
    h.prompts.answerMessage(Answer::Ok);
    QVERIFY(h.show());
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), QString("Untitled1"));
    QCOMPARE(h.prompts.messages.size(), 1);
    QCOMPARE(h.prompts.messages[0].text,
             "Could not open file " + path + ".\rNo such file or directory");
    QCOMPARE(h.prompts.messages[0].kind, MessageKind::Error);
    QVERIFY(!h.form1->ActiveMemo()->ModifiedFlag());
}

void TestSettings::commandLineFileWithoutOpenNewGetsAWindow()
{
    MainWindowHarness h;
    writeLines(h.environment.programFile("tavro.ini"), withLine(defaultLines(), 14, "OpenNew=0"));
    h.restart();
    const QString path = h.environment.rootPath() + "/notes.txt";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("notes");
    file.close();
    h.form1->CommandLineParameters = {path};
    QVERIFY(h.show());
    QCOMPARE(h.form1->DocumentWindows().size(), 1);
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), path);
    QCOMPARE(h.form1->ActiveMemo()->FullText(), QString("notes"));
}

void TestSettings::setFontAppliesToEveryDocument()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "New1");
    FontChoice chosen{QFont("DejaVu Sans Mono", 14), Qt::darkBlue};
    chosen.font.setBold(true);
    h.prompts.answerFont(chosen);
    TRIGGER_ACTION(h.form1.get(), "SetFont1");
    QCOMPARE(h.prompts.fontRequests.size(), 1);
    QCOMPARE(h.prompts.fontRequests[0].font.family(), QString("Fixedsys"));
    for (QMdiSubWindow* window : h.form1->DocumentWindows()) {
        QCOMPARE(TForm1::MemoOf(window)->EditorFont().pointSize(), 14);
        QVERIFY(TForm1::MemoOf(window)->EditorFont().bold());
    }
    h.prompts.answerFont(std::nullopt);
    TRIGGER_ACTION(h.form1.get(), "SetFont1");
    QCOMPARE(h.form1->DocumentFont.font.pointSize(), 14);

    QVERIFY(h.form1->close());
    const Settings saved = [&] {
        TStrSet lines;
        lines.LoadFromFile(h.environment.programFile("tavro.ini"));
        return ReadSettings(lines.Strings());
    }();
    QCOMPARE(saved.fontName, QString("DejaVu Sans Mono"));
    QCOMPARE(saved.fontSize, 14);
    QVERIFY(saved.bold);
}

void TestSettings::unwritableSettingsAreReportedAndTheProgramEnds()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    // The settings file's place is taken by a folder.
    QVERIFY(QDir().mkpath(h.environment.programFile("tavro.ini")));
    h.prompts.answerMessage(Answer::Ok);
    QVERIFY(h.form1->close());
    QCOMPARE(h.prompts.messages.size(), 1);
    QCOMPARE(h.prompts.messages[0].text,
             "Cannot create file " + h.environment.programFile("tavro.ini") +
                 "\rIt is a folder.");
    QVERIFY(QFile::exists(h.environment.programFile("autocomp.ini")));
}

void TestSettings::helpTopicsOpensTheHelpPage()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "HelpTopics1");
    QCOMPARE(h.shell.openedPaths.size(), 1);
    const QByteArray page = readFile(h.shell.openedPaths[0]);
    QVERIFY(page.contains("<html"));
    QVERIFY(page.contains("Help Topics"));
}

void TestSettings::helpTopicsOpensTheInstalledHelpPage()
{
    // This test program lies in a build folder: give it the layout of an installed program.
    const QString folder = installedDataFolder(QCoreApplication::applicationDirPath());
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QDir().mkpath(folder));
    const QString page = QDir(folder).filePath("tavro-help.html");
    const auto removeLayout = qScopeGuard([&] {
        QFile::remove(page);
        QDir().rmpath(folder);
    });
    QVERIFY(writeFile(page, "<html>the installed page</html>"));

    MainWindowHarness h;
    QVERIFY(h.show());
    TRIGGER_ACTION(h.form1.get(), "HelpTopics1");
    QCOMPARE(h.shell.openedPaths, QStringList({page}));
}

void TestSettings::sizesAndPlacesFromTheFileStayOnTheScreens_data()
{
    QTest::addColumn<QString>("place");  // line 8
    QTest::addColumn<QString>("window"); // line 13
    QTest::addColumn<QString>("size");   // line 19
    QTest::addColumn<QString>("font");   // line 3
    QTest::newRow("far too large") << "100,100"
                                   << "100000,100000"
                                   << "100000x100000"
                                   << "400";
    QTest::newRow("largest numbers") << "2147483647,2147483647"
                                     << "2147483647,2147483647"
                                     << "2147483647x2147483647"
                                     << "2147483647";
    QTest::newRow("smallest numbers") << "-2147483648,-2147483648"
                                      << "-2147483648,-2147483648"
                                      << "-2147483648x-2147483648"
                                      << "-2147483648";
    QTest::newRow("nothing") << "0,0"
                             << "0,0"
                             << "0x0"
                             << "0";
}

void TestSettings::sizesAndPlacesFromTheFileStayOnTheScreens()
{
    QFETCH(QString, place);
    QFETCH(QString, window);
    QFETCH(QString, size);
    QFETCH(QString, font);
    QStringList lines = defaultLines();
    lines[3] = font;
    lines[8] = place;
    lines[13] = window;
    lines[19] = size;
    MainWindowHarness h;
    writeLines(h.environment.programFile("tavro.ini"), lines);
    h.restart();
    QVERIFY(h.show());
    const QRect screens = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    QVERIFY(h.form1->width() <= screens.width() && h.form1->height() <= screens.height());
    QVERIFY(h.form1->frameGeometry().intersects(screens));
    const QSize document = h.form1->ActiveDocumentWindow()->size();
    QVERIFY(document.width() <= screens.width() && document.height() <= screens.height());
    QVERIFY(document.width() > 0 && document.height() > 0);
    const int points = h.form1->DocumentFont.font.pointSize();
    QVERIFY(points >= 6 && points <= 32);
    TRIGGER_ACTION(h.form1.get(), "ShowOpenFiles1"); // placed from the main window
    QVERIFY(h.form7->isVisible());
}

void TestSettings::relativeCommandLinePathBecomesTheFullPath()
{
    MainWindowHarness h;
    const QString folder = h.environment.rootPath() + "/here";
    QVERIFY(QDir().mkpath(folder + "/sub"));
    QVERIFY(writeFile(folder + "/Untitled.txt", "text\n"));
    const QString before = QDir::currentPath();
    const auto back = qScopeGuard([&before] { QDir::setCurrent(before); });
    QVERIFY(QDir::setCurrent(folder));
    h.form1->CommandLineParameters = {"./sub/../Untitled.txt"};
    QVERIFY(h.show());
    const QString path = QDir::currentPath() + "/Untitled.txt";
    QCOMPARE(h.form1->ActiveDocumentWindow()->windowTitle(), path);
    // A named file: Save writes it without asking for a name; Reload is there.
    QVERIFY(h.form1->findChild<QAction*>("Refresh1")->isEnabled());
    QTest::keyClicks(h.form1->ActiveMemo(), "more ");
    TRIGGER_ACTION(h.form1.get(), "Save1");
    QVERIFY(h.prompts.saveRequests.isEmpty());
    QCOMPARE(readFile(path), QByteArray("more text\n"));
}

void TestSettings::fontDialogOffersSizesSixToThirtyTwo()
{
    FontDialog dialog(FontChoice{QFont("DejaVu Sans", 40), Qt::black}, MinimumFontSize,
                      MaximumFontSize);
    auto* sizes = dialog.findChild<QComboBox*>("FontSize");
    QVERIFY(sizes);
    QStringList offered;
    for (int i = 0; i < sizes->count(); ++i)
        offered << sizes->itemText(i);
    QCOMPARE(offered.first(), QString("6"));
    QCOMPARE(offered.last(), QString("32"));
    QCOMPARE(offered.size(), 27);
    QCOMPARE(sizes->currentText(), QString("32")); // a larger size starts at the largest
    sizes->setCurrentIndex(sizes->findText("12"));
    dialog.findChild<QComboBox*>("FontStyle")->setCurrentIndex(3); // bold italic
    const QFont chosen = dialog.Choice().font;
    QCOMPARE(chosen.pointSize(), 12);
    QVERIFY(chosen.bold() && chosen.italic() && !chosen.underline());
    QCOMPARE(chosen.family(), QString("DejaVu Sans"));

    // A family that does not exist here is not offered: one that does stands in for it.
    FontDialog missing(FontChoice{QFont("Fixedsys", 8), Qt::black}, MinimumFontSize,
                       MaximumFontSize);
    QVERIFY(QFontDatabase::hasFamily(missing.Choice().font.family()));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
