// The desktop's recently-used list read and written through GLib, in a private data folder
// so that the user's own list is never read or changed.

#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// An entry as a GTK program records it.
QByteArray gtkEntry(const QByteArray& href)
{
    return "<bookmark href='" + href + "' added='2024-05-01T10:00:00Z'><info><metadata "
           "owner='http://freedesktop.org'><mime:mime-type type='text/plain'/><bookmark:"
           "applications><bookmark:application name='gedit' exec='gedit %u' count='1' "
           "modified='2024-05-01T10:00:00Z'/></bookmark:applications></metadata></info>"
           "</bookmark>\n";
}

} // namespace

class TestRecentDocuments : public QObject
{
    Q_OBJECT

public:
    explicit TestRecentDocuments(const QString& root) : m_root(root) {}

private Q_SLOTS:
    void init();
    void addedFilesAreListedOnceInOrder();
    void pathsSurviveTheRoundTrip_data();
    void pathsSurviveTheRoundTrip();
    void entriesOfOtherProgramsAreReadAndShared();
    void anUnreadableListIsLeftAlone();

private:
    QString dataFolder() const { return m_root.filePath(QStringLiteral("data")); }
    QString bookmarkFile() const { return dataFolder() + QStringLiteral("/recently-used.xbel"); }
    QString document(const QString& name) const { return m_root.filePath(name); }

    QDir m_root;
    DesktopShell m_shell;
};

// Every test starts where nothing was recorded yet, without even the data folder.
void TestRecentDocuments::init()
{
    QVERIFY(QDir(dataFolder()).removeRecursively());
}

void TestRecentDocuments::addedFilesAreListedOnceInOrder()
{
    m_shell.addToRecentDocuments(document("first.txt"));
    m_shell.addToRecentDocuments(document("second.txt"));
    m_shell.addToRecentDocuments(document("first.txt"));

    QVERIFY(QFile::exists(bookmarkFile()));
    QCOMPARE(m_shell.recentDocuments(),
             QStringList({document("first.txt"), document("second.txt")}));
}

void TestRecentDocuments::pathsSurviveTheRoundTrip_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("blanks") << "my notes 2.txt";
    QTest::newRow("non-ASCII") << QStringLiteral("café Ørsted ñ.txt");
    QTest::newRow("URI delimiters") << "a#b%c?d.txt";
    QTest::newRow("brackets and ampersand") << "[draft];v2 & more.txt";
}

void TestRecentDocuments::pathsSurviveTheRoundTrip()
{
    QFETCH(QString, name);

    m_shell.addToRecentDocuments(document(name));

    QCOMPARE(m_shell.recentDocuments(), QStringList({document(name)}));
}

// File URIs escaped as GLib does: the local files are listed in the file's order, and the
// same file recorded by Tavro keeps its one entry.
void TestRecentDocuments::entriesOfOtherProgramsAreReadAndShared()
{
    const QByteArray root = QUrl::fromLocalFile(m_root.path()).toEncoded();
    QVERIFY(QDir().mkpath(dataFolder()));
    QFile file(bookmarkFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<xbel version='1.0' "
               "xmlns:bookmark='http://www.freedesktop.org/standards/desktop-bookmarks' "
               "xmlns:mime='http://www.freedesktop.org/standards/shared-mime-info'>\n" +
               gtkEntry(root + "/zeta.txt") + gtkEntry("https://example.org/page.html") +
               gtkEntry(root + "/notes%20%5Bdraft%5D%3B1.txt") + "</xbel>\n");
    file.close();
    const QStringList listed{document("zeta.txt"), document("notes [draft];1.txt")};
    QCOMPARE(m_shell.recentDocuments(), listed);

    m_shell.addToRecentDocuments(document("notes [draft];1.txt"));

    QCOMPARE(m_shell.recentDocuments(), listed);
}

void TestRecentDocuments::anUnreadableListIsLeftAlone()
{
    QVERIFY(QDir().mkpath(dataFolder()));
    const QByteArray damaged = "<?xml version='1.0'?><xbel version='1.0'><bookmark href=";
    QFile list(bookmarkFile());
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(damaged);
    list.close();
    QFile file(document("note.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_shell.addToRecentDocuments(document("note.txt"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), damaged); // the other programs' history is not wiped
}

int main(int argc, char** argv)
{
    // GLib caches the data folder at its first call: the private folders are set first.
    QTemporaryDir root;
    if (!root.isValid() || !QDir().mkpath(root.filePath("home")))
        return 1;
    qputenv("HOME", QFile::encodeName(root.filePath("home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath("data")));

    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("tavro"));
    TestRecentDocuments test(root.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recentdocuments.moc"
