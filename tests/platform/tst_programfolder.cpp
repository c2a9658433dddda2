// Where the program keeps its settings and lists: built, installed, or told by TAVRO_HOME.

#include "support/TestEnvironment.h"

#include "platform/ProgramFolder.h"

#include <QDir>
#include <QTest>

namespace
{

// A prefix with bin/ and, for an installed program, the data folder beside it.
struct ProgramLayout {
    explicit ProgramLayout(const QString& root, bool installed)
        : bin(QDir(root).filePath(QStringLiteral("prefix/bin")))
    {
        QDir().mkpath(bin);
        if (installed)
            QDir().mkpath(installedDataFolder(bin));
    }
    QString bin;
};

QString xdgProgramFolder(const TestEnvironment& environment)
{
    return QDir(environment.rootPath()).filePath(QStringLiteral("config/tavro"));
}

} // namespace

class TestProgramFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folderForEachLayout_data();
    void folderForEachLayout();
    void tavroHomeComesFirst();
};

void TestProgramFolder::folderForEachLayout_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("besideTheProgram");
    QTest::newRow("built program keeps its files beside it") << false << true;
    // Even in a folder it may write to: a prefix of the user's own, or when run by root.
    QTest::newRow("installed program keeps them in the config folder") << true << false;
}

void TestProgramFolder::folderForEachLayout()
{
    QFETCH(bool, installed);
    QFETCH(bool, besideTheProgram);
    TestEnvironment environment;
    qunsetenv("TAVRO_HOME");
    const ProgramLayout layout(environment.rootPath(), installed);

    QCOMPARE(isInstalled(layout.bin), installed);
    QCOMPARE(programFolderFor(layout.bin),
             besideTheProgram ? layout.bin : xdgProgramFolder(environment));
}

void TestProgramFolder::tavroHomeComesFirst()
{
    TestEnvironment environment;
    for (bool installed : {false, true}) {
        const ProgramLayout layout(environment.rootPath(), installed);
        QCOMPARE(programFolderFor(layout.bin), environment.programFolder());
    }
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
