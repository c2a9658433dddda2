// Reading and writing files: what is refused without blocking, and what a save keeps.

#include "support/TestQueries.h"

#include "platform/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

struct stat statOf(const QString& path)
{
    struct stat st {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

FileResult save(const QString& path, const QByteArray& bytes,
                SafeFileWriter::Target target = SafeFileWriter::Target::FollowLinks)
{
    SafeFileWriter writer(path, target);
    if (const FileResult opened = writer.open(); !opened.ok)
        return opened;
    writer.write(bytes);
    return writer.commit();
}

// A socket file at path, open while the returned descriptor is.
int listenAt(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

// Files in the folder other than the ones named: a temporary file left behind.
QStringList strayFiles(const QString& folder, const QStringList& expected)
{
    QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}

// Writes beyond the limit fail as on a full disk, with EFBIG, while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace

class TestFileAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readRefusesWhatIsNotAFile_data();
    void readRefusesWhatIsNotAFile();
    void readGivesTheWholeFileUpToTheLimit();
    void blocksMakeUpTheWholeFile();
    void blocksStopWhenAsked();
    void readErrorsGiveTheSystemsReason();
    void saveReplacesTheFileWithAShortTemporaryName();
    void saveKeepsPermissionsLinksAndHardLinks();
    void nameOnlyWritesTheNameAlone();
    void newFileTakesTheUsualPermissions();
    void saveRefusesWhatIsNotAFile();
    void failedSaveLeavesTheOldFile();
    void fullDiskInPlaceLeavesTheOldFile();

private:
    QTemporaryDir m_dir;
};

void TestFileAccess::readRefusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("maxSize");
    QTest::addColumn<QString>("reason");
    const QString root = m_dir.path();
    QVERIFY(QDir().mkpath(root + "/folder"));
    QCOMPARE(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);
    QVERIFY(writeFile(root + "/big", QByteArray(2048, 'x')));
    QTest::newRow("folder") << root + "/folder" << MaxDocumentSize << "It is a folder.";
    QTest::newRow("named pipe without a writer")
        << root + "/pipe" << MaxDocumentSize << "It is a named pipe.";
    QTest::newRow("endless device") << "/dev/zero" << MaxDocumentSize << "It is a device.";
    QTest::newRow("socket") << root + "/socket" << MaxDocumentSize << "It is a socket.";
    QTest::newRow("larger than allowed") << root + "/big" << qint64(1) << "It is larger than 0 MB.";
    QTest::newRow("missing") << root + "/none" << MaxDocumentSize << "No such file or directory";
}

void TestFileAccess::readRefusesWhatIsNotAFile()
{
    QFETCH(QString, path);
    QFETCH(qint64, maxSize);
    QFETCH(QString, reason);
    const int socket = path.endsWith("/socket") ? listenAt(path) : -1;
    QByteArray bytes("kept");
    const FileResult result = ReadWholeFile(path, maxSize, bytes);
    int blocks = 0;
    const FileResult inBlocks = ReadFileInBlocks(path, 4096, [&](QByteArrayView) {
        ++blocks;
        return true;
    });
    if (socket >= 0)
        ::close(socket);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, reason);
    QCOMPARE(bytes, QByteArray("kept"));
    // Reading in blocks has no size limit; everything else it refuses alike.
    if (maxSize == MaxDocumentSize) {
        QVERIFY(!inBlocks.ok);
        QCOMPARE(inBlocks.error, reason);
        QCOMPARE(blocks, 0);
    } else {
        QVERIFY(inBlocks.ok);
        QCOMPARE(blocks, 1);
    }
}

void TestFileAccess::readGivesTheWholeFileUpToTheLimit()
{
    const QString path = m_dir.filePath("whole");
    QByteArray content(100000, Qt::Uninitialized);
    for (int i = 0; i < content.size(); ++i)
        content[i] = char(i * 7);
    QVERIFY(writeFile(path, content));
    QByteArray bytes;
    QVERIFY(ReadWholeFile(path, content.size(), bytes).ok);
    QCOMPARE(bytes, content);
    QVERIFY(!ReadWholeFile(path, content.size() - 1, bytes).ok);
    QVERIFY(writeFile(path, QByteArray()));
    QVERIFY(ReadWholeFile(path, MaxListFileSize, bytes).ok);
    QVERIFY(bytes.isEmpty());
}

void TestFileAccess::blocksMakeUpTheWholeFile()
{
    const QString path = m_dir.filePath("blocks");
    QByteArray content(100003, Qt::Uninitialized);
    for (int i = 0; i < content.size(); ++i)
        content[i] = char(i * 13 + i / 256);
    QVERIFY(writeFile(path, content));
    for (const qint64 blockSize : {qint64(1) << 20, qint64(4096), qint64(7), qint64(1)}) {
        QByteArray joined;
        qint64 largest = 0;
        bool emptyBlock = false;
        const FileResult result = ReadFileInBlocks(path, blockSize, [&](QByteArrayView block) {
            joined += block;
            largest = qMax<qint64>(largest, block.size());
            emptyBlock = emptyBlock || block.isEmpty();
            return true;
        });
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(joined, content);
        QVERIFY(largest <= blockSize);
        QVERIFY(!emptyBlock);
    }
    QVERIFY(writeFile(path, QByteArray()));
    int calls = 0;
    QVERIFY(ReadFileInBlocks(path, 4096, [&](QByteArrayView) {
                ++calls;
                return true;
            }).ok);
    QCOMPARE(calls, 0);
}

void TestFileAccess::blocksStopWhenAsked()
{
    const QString path = m_dir.filePath("stop");
    QVERIFY(writeFile(path, QByteArray(10000, 's')));
    int calls = 0;
    qint64 seen = 0;
    const FileResult result = ReadFileInBlocks(path, 1000, [&](QByteArrayView block) {
        seen += block.size();
        return ++calls < 3;
    });
    QVERIFY(result.ok); // stopping is not a failure
    QCOMPARE(calls, 3);
    QCOMPARE(seen, qint64(3000));
}

void TestFileAccess::readErrorsGiveTheSystemsReason()
{
    // A regular file that cannot be read from its start, also for root: the process's own
    // memory at address 0.
    const QString path = "/proc/self/mem";
    QByteArray bytes("kept");
    const FileResult whole = ReadWholeFile(path, MaxDocumentSize, bytes);
    QVERIFY(!whole.ok);
    QCOMPARE(whole.error, QString("Input/output error"));
    QCOMPARE(bytes, QByteArray("kept"));
    const FileResult inBlocks = ReadFileInBlocks(path, 4096, [](QByteArrayView) { return true; });
    QVERIFY(!inBlocks.ok);
    QCOMPARE(inBlocks.error, QString("Input/output error"));
}

void TestFileAccess::saveReplacesTheFileWithAShortTemporaryName()
{
    // The longest name a folder can hold: a temporary name made by adding to it would not fit.
    const QString folder = m_dir.filePath("long");
    QVERIFY(QDir().mkpath(folder));
    const QString name = QString(251, u'n') + ".txt";
    const QString path = folder + u'/' + name;
    QVERIFY(writeFile(path, "old"));
    const FileResult result = save(path, "new text");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(readFile(path), QByteArray("new text"));
    QCOMPARE(strayFiles(folder, {name}), QStringList());
}

void TestFileAccess::saveKeepsPermissionsLinksAndHardLinks()
{
    const QString folder = m_dir.filePath("keep");
    QVERIFY(QDir().mkpath(folder));

    const QString plain = folder + "/plain.txt";
    QVERIFY(writeFile(plain, "old"));
    QCOMPARE(::chmod(QFile::encodeName(plain).constData(), 0640), 0);
    QVERIFY(save(plain, "one").ok);
    QCOMPARE(statOf(plain).st_mode & 07777, mode_t(0640));
    QCOMPARE(readFile(plain), QByteArray("one"));

    // Both names of a file with two hard links see the new text: it is written in place.
    const QString second = folder + "/second.txt";
    QCOMPARE(::link(QFile::encodeName(plain).constData(), QFile::encodeName(second).constData()),
             0);
    const ino_t inode = statOf(plain).st_ino;
    QVERIFY(save(second, "two, a little longer").ok);
    QCOMPARE(readFile(plain), QByteArray("two, a little longer"));
    QVERIFY(save(second, "3").ok); // shorter: the rest goes
    QCOMPARE(readFile(plain), QByteArray("3"));
    QCOMPARE(statOf(second).st_ino, inode);
    QCOMPARE(statOf(plain).st_nlink, nlink_t(2));

    // A symbolic link stays a link; the file it points to gets the text.
    const QString link = folder + "/link.txt";
    QVERIFY(QFile::link(plain, link));
    QVERIFY(save(link, "through the link").ok);
    QVERIFY(S_ISLNK(statOf(link).st_mode));
    QCOMPARE(readFile(plain), QByteArray("through the link"));
    QCOMPARE(strayFiles(folder, {"plain.txt", "second.txt", "link.txt"}), QStringList());
}

void TestFileAccess::newFileTakesTheUsualPermissions()
{
    const QString path = m_dir.filePath("fresh.txt");
    QVERIFY(save(path, "x").ok);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QCOMPARE(statOf(path).st_mode & 07777, mode_t(0666 & ~mask));
}

void TestFileAccess::saveRefusesWhatIsNotAFile()
{
    // Replacing a pipe or a device by a file would break whatever uses it.
    const QString pipe = m_dir.filePath("savepipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const FileResult result = save(pipe, "x");
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QString("It is a named pipe."));
    QVERIFY(S_ISFIFO(statOf(pipe).st_mode));
}

void TestFileAccess::failedSaveLeavesTheOldFile()
{
    const QString folder = m_dir.filePath("fail");
    QVERIFY(QDir().mkpath(folder));
    const QString blocker = folder + "/blocker";
    QVERIFY(writeFile(blocker, "old"));
    const FileResult inside = save(blocker + "/inside.txt", "new");
    QVERIFY(!inside.ok);
    QCOMPARE(inside.error, QString("Not a directory"));

    // A disk that fills up half way through: the old file stays whole, nothing is left over.
    const QString path = folder + "/full.txt";
    QVERIFY(writeFile(path, "old contents"));
    FileResult full;
    {
        const FileSizeLimit limit(4096);
        full = save(path, QByteArray(100000, 'n'));
    }
    QVERIFY(!full.ok);
    QCOMPARE(full.error, QString("File too large"));
    QCOMPARE(readFile(path), QByteArray("old contents"));
    QCOMPARE(strayFiles(folder, {"blocker", "full.txt"}), QStringList());
}

void TestFileAccess::fullDiskInPlaceLeavesTheOldFile()
{
    // Written in place (two hard links): the space is taken before a byte is overwritten.
    const QString folder = m_dir.filePath("inplace");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/a.txt";
    QVERIFY(writeFile(path, "old contents"));
    QCOMPARE(::link(QFile::encodeName(path).constData(),
                    QFile::encodeName(folder + "/b.txt").constData()),
             0);
    FileResult full;
    {
        const FileSizeLimit limit(4096);
        full = save(path, QByteArray(100000, 'n'));
    }
    QVERIFY(!full.ok);
    QCOMPARE(readFile(path), QByteArray("old contents"));
}

// A link or a second name someone put where the file goes is replaced, and what it led to
// stays as it was.
void TestFileAccess::nameOnlyWritesTheNameAlone()
{
    QTemporaryDir dir;
    const QString other = dir.filePath("other.txt");
    const QString linked = dir.filePath("linked.txt");
    const QString named = dir.filePath("named.txt");
    QVERIFY(writeFile(other, "someone's file"));
    QVERIFY(QFile::link(other, linked));
    QVERIFY(::link(QFile::encodeName(other).constData(), QFile::encodeName(named).constData()) ==
            0);

    for (const QString& path : {linked, named}) {
        QVERIFY(save(path, "preview", SafeFileWriter::Target::NameOnly).ok);
        QCOMPARE(readFile(path), QByteArray("preview"));
        QVERIFY(S_ISREG(statOf(path).st_mode));
        QCOMPARE(statOf(path).st_nlink, nlink_t(1));
    }
    QCOMPARE(readFile(other), QByteArray("someone's file"));
    QCOMPARE(statOf(other).st_nlink, nlink_t(1));
    // A dangling link is replaced too, and nothing is made where it pointed.
    const QString dangling = dir.filePath("dangling.txt");
    QVERIFY(QFile::link(dir.filePath("nowhere.txt"), dangling));
    QVERIFY(save(dangling, "preview", SafeFileWriter::Target::NameOnly).ok);
    QVERIFY(!QFileInfo::exists(dir.filePath("nowhere.txt")));
    QCOMPARE(readFile(dangling), QByteArray("preview"));
}

QTEST_GUILESS_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
