// `cmake --install` into a temporary prefix: the files it holds, the desktop entry and the
// metainfo as the desktop's validators see them, and the installed program starting.

#include "platform/ProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QStringList InstalledFiles = {
    "bin/tavro",
    "share/applications/tavro.desktop",
    "share/icons/hicolor/scalable/apps/tavro.svg",
    "share/metainfo/org.example.tavro.metainfo.xml",
    "share/tavro/tavro-help.html",
};

struct Run {
    bool finished = false;
    int exitCode = -1;
    QByteArray output; // standard output and error together
};

// Runs a program found on PATH (or given with its path) to its end.
Run run(const QString& program, const QStringList& arguments)
{
    Run result;
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) {
        result.output = program.toUtf8() + " was not found: scripts/setup.sh installs it";
        return result;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(found, arguments);
    result.finished =
        process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = process.readAll();
    return result;
}

// The "Key=Value" lines of a desktop entry's main group.
QMap<QString, QString> desktopEntry(const QString& path)
{
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const QString& line : lines) {
        if (line.startsWith('[') && line != QLatin1String("[Desktop Entry]"))
            break;
        const int equals = line.indexOf('=');
        if (equals > 0)
            entry.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return entry;
}

QStringList listSeparatedBySemicolons(const QString& value)
{
    return value.split(';', Qt::SkipEmptyParts);
}

QStringList filesUnder(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

int opaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 255;
    return count;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installHoldsEveryFile();
    void installedProgramFindsItsHelpPage();
    void desktopEntryIsValidAndNamesInstalledFiles();
    void metainfoIsValid();
    void iconReadsAtEverySize();
    void installedProgramStartsOffscreenAndWritesNothingBesideItself();

private:
    QString installed(const QString& relativePath) const
    {
        return QDir(m_prefix.path()).filePath(relativePath);
    }

    QTemporaryDir m_prefix;
};

void TestInstall::initTestCase()
{
    Q_INIT_RESOURCE(tavro);
    QVERIFY(m_prefix.isValid());
    const Run install =
        run(TAVRO_CMAKE, {"--install", TAVRO_BUILD_DIR, "--prefix", m_prefix.path()});
    QVERIFY2(install.finished && install.exitCode == 0, install.output.constData());
}

void TestInstall::installHoldsEveryFile()
{
    QCOMPARE(filesUnder(m_prefix.path()), InstalledFiles);
    QVERIFY(QFileInfo(installed("bin/tavro")).isExecutable());
}

void TestInstall::installedProgramFindsItsHelpPage()
{
    const QString bin = installed("bin");
    QVERIFY(isInstalled(bin));
    const QString page = QDir(installedDataFolder(bin)).filePath("tavro-help.html");
    QCOMPARE(contentOf(page), contentOf(":/help/tavro-help.html"));
}

void TestInstall::desktopEntryIsValidAndNamesInstalledFiles()
{
    const QString path = installed("share/applications/tavro.desktop");
    const Run validation = run("desktop-file-validate", {path});
    QVERIFY2(validation.finished && validation.exitCode == 0, validation.output.constData());
    // Warnings and hints leave the exit code alone.
    QCOMPARE(validation.output, QByteArray());

    const QMap<QString, QString> entry = desktopEntry(path);
    QCOMPARE(entry.value("Name"), QString("Tavro"));
    const QStringList exec = entry.value("Exec").split(' ');
    QVERIFY(QFileInfo(installed("bin/" + exec.first())).isExecutable());
    // The program takes one file: the arguments it is given are joined into one name.
    QCOMPARE(exec.mid(1), QStringList({"--", "%f"}));
    QVERIFY(QFile::exists(
        installed("share/icons/hicolor/scalable/apps/" + entry.value("Icon") + ".svg")));
    QVERIFY(listSeparatedBySemicolons(entry.value("MimeType")).contains("text/plain"));
    QVERIFY(listSeparatedBySemicolons(entry.value("Categories")).contains("TextEditor"));
}

void TestInstall::metainfoIsValid()
{
    const Run file =
        run("appstreamcli", {"validate", "--no-net", "--pedantic",
                             installed("share/metainfo/org.example.tavro.metainfo.xml")});
    QVERIFY2(file.finished && file.exitCode == 0, file.output.constData());
    // The whole prefix: the metainfo's launchable is the installed desktop entry.
    const Run tree = run("appstreamcli", {"validate-tree", "--no-net", m_prefix.path()});
    QVERIFY2(tree.finished && tree.exitCode == 0, tree.output.constData());
}

void TestInstall::iconReadsAtEverySize()
{
    // The window icon is the embedded copy of the installed one.
    QCOMPARE(contentOf(":/tavro.svg"),
             contentOf(installed("share/icons/hicolor/scalable/apps/tavro.svg")));
    const QIcon icon(":/tavro.svg");
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        QVERIFY2(image.size() == QSize(size, size), qPrintable(QString::number(size)));
        // The page alone covers more than a third of the square.
        QVERIFY2(opaquePixels(image) > size * size / 3, qPrintable(QString::number(size)));
    }
}

void TestInstall::installedProgramStartsOffscreenAndWritesNothingBesideItself()
{
    QTemporaryDir user;
    QVERIFY(user.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("TAVRO_HOME");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = user.filePath(variable);
        QVERIFY(QDir().mkpath(folder));
        environment.insert(variable, folder);
    }

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(user.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(installed("bin/tavro"), {});
    QVERIFY(program.waitForStarted());
    QVERIFY2(!program.waitForFinished(2000), program.readAll().constData());
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(10000));

    QCOMPARE(
        QDir(installed("bin")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({"tavro"}));
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
