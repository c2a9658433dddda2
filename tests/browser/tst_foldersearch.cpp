// Find in Files, one file at a time: what counts as found, reading in blocks, refusals.

#include "support/TestQueries.h"

#include "app/TextCompare.h"
#include "app/TextFile.h"
#include "browser/FolderSearch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// What a document opened from the bytes shows, its lines each ended by CR LF, built the
// slow and obvious way.
QString documentLines(const QByteArray& bytes)
{
    QString text = QString::fromLatin1(bytes);
    if (bytes.isValidUtf8()) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        const QString decoded = utf8.decode(bytes);
        if (!containsDocumentSeparators(decoded))
            text = decoded;
    }
    QString lines = crLfLineBreaks(text);
    if (!lines.isEmpty() && !lines.endsWith(QStringLiteral("\r\n")))
        lines += QStringLiteral("\r\n");
    return lines;
}

// Half of a character pair stands for no character of its own.
bool obviouslyContains(const QByteArray& bytes, const QString& text)
{
    return !text.isEmpty() && text.isValidUtf16() &&
           AsciiUpperCase(documentLines(bytes)).contains(AsciiUpperCase(text));
}

// Block sizes that put block boundaries everywhere, and a larger one.
const qint64 Everywhere[] = {1, 2, 3, 5, 16, 4096};

QByteArray utf8(const char16_t* text)
{
    return QString::fromUtf16(text).toUtf8();
}

} // namespace

class TestFolderSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foundComparingOnlyAsciiLettersAlike_data();
    void foundComparingOnlyAsciiLettersAlike();
    void linesAreJoinedByCrLf_data();
    void linesAreJoinedByCrLf();
    void sameAnswerAsTheDocumentsText();
    void matchAcrossTheFirstBlockBoundary();
    void repetitiveTextsStayLinear_data();
    void repetitiveTextsStayLinear();
    void keepGoingFalseStops();
    void whatCannotBeReadIsReported_data();
    void whatCannotBeReadIsReported();
    void namedPipeIsRefusedWithoutWaiting();

private:
    void checkRows(const QString& name, const QByteArray& content, const QString& text, bool found);
    QTemporaryDir m_dir;
    int m_files = 0;
};

void TestFolderSearch::checkRows(const QString& name, const QByteArray& content,
                                 const QString& text, bool found)
{
    const QString path = m_dir.filePath(QString("file%1").arg(++m_files));
    QVERIFY(writeFile(path, content));
    // The obvious way agrees, so the rows also check it.
    QCOMPARE(obviouslyContains(content, text), found);
    const FileSearchResult usual = FileContainsText(path, text);
    QVERIFY2(usual.read.ok, qPrintable(usual.read.error));
    QVERIFY2(usual.found == found, qPrintable(name));
    for (const qint64 blockSize : Everywhere) {
        const FileSearchResult result = FileContainsTextInBlocks(path, text, blockSize);
        QVERIFY(result.read.ok);
        QVERIFY2(result.found == found, qPrintable(QString("%1 blocks").arg(blockSize)));
    }
}

void TestFolderSearch::foundComparingOnlyAsciiLettersAlike_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    const QString eAcute = QString::fromUtf16(u"é");
    const QByteArray invalid("\xFF");
    QTest::newRow("ABC for abc") << QByteArray("xx ABC yy") << "abc" << true;
    QTest::newRow("xabcx for abc") << QByteArray("xabcx") << "abc" << true;
    QTest::newRow("mixed case both ways") << QByteArray("hay aBc hay") << "AbC" << true;
    QTest::newRow("abc only in pieces") << QByteArray("ab c a bc") << "abc" << false;
    QTest::newRow("empty text") << QByteArray("anything") << "" << false;
    QTest::newRow("whole file") << QByteArray("Q") << "q" << true;
    QTest::newRow("empty file") << QByteArray() << "a" << false;
    // Bytes one case bit apart that are not letters: @ [ \ ] ^ _ against ` { | } ~ DEL.
    QTest::newRow("@[\\]^_ are not `{|}~") << QByteArray("@[\\]^_") << "`{|}~\x7f" << false;
    QTest::newRow("`{|}~ are not @[\\]^") << QByteArray("`{|}~") << "@[\\]^" << false;
    // É is C3 89 and é C3 A9 in UTF-8: they differ by the case bit in the second byte.
    QTest::newRow("É is not é") << utf8(u"CAFÉ") << "café" << false;
    QTest::newRow("é is not É") << utf8(u"café") << QString::fromUtf16(u"CAFÉ") << false;
    QTest::newRow("ASCII letters around é") << utf8(u"CAFé") << "café" << true;
    QTest::newRow("straße is not STRASSE") << QByteArray("STRASSE") << "straße" << false;
    QTest::newRow("STRAßE") << utf8(u"STRAßE") << "straße" << true;
    QTest::newRow("Latin-1 É is not é") << QByteArray("caf\xC9") << eAcute << false;
    QTest::newRow("Latin-1 é") << QByteArray("caf\xE9") << eAcute << true;
    // A file that is not UTF-8 shows one byte a character: C3 A9 is "Ã©" there.
    QTest::newRow("UTF-8 é in a valid file") << utf8(u"café") << eAcute << true;
    QTest::newRow("UTF-8 é in an invalid file") << utf8(u"café") + invalid << eAcute << false;
    QTest::newRow("Ã© in an invalid file")
        << utf8(u"café") + invalid << QString::fromUtf16(u"Ã©") << true;
    QTest::newRow("Ã© in a valid file") << utf8(u"café") << QString::fromUtf16(u"Ã©") << false;
    QTest::newRow("Ã© where the file goes invalid much later")
        << utf8(u"café") + QByteArray(5000, 'z') + invalid << QString::fromUtf16(u"Ã©") << true;
    QTest::newRow("é where the file goes invalid much later")
        << utf8(u"café") + QByteArray(5000, 'z') + invalid << eAcute << false;
    QTest::newRow("Latin-1 é before UTF-8 é") << QByteArray("\xE9 ") + utf8(u"é") << eAcute << true;
    QTest::newRow("character cut short at the end")
        << utf8(u"café") + QByteArray("\xE2\x82") << eAcute << false;
    for (const char* overlong : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF"})
        QTest::newRow(QByteArray("overlong ") + QByteArray(overlong).toHex(' '))
            << utf8(u"café") + overlong << eAcute << false;
    QTest::newRow("surrogate") << utf8(u"café") + QByteArray("\xED\xA0\x80") << eAcute << false;
    QTest::newRow("past U+10FFFF")
        << utf8(u"café") + QByteArray("\xF4\x90\x80\x80") << eAcute << false;
    // A document cannot hold U+2029 as itself, so such a file is read one byte a character.
    QTest::newRow("paragraph separator") << utf8(u"café\u2029") << eAcute << false;
    QTest::newRow("U+FDD0") << utf8(u"café\uFDD0") << eAcute << false;
    QTest::newRow("not Latin-1 in a valid file")
        << utf8(u"5 €") << QString::fromUtf16(u"€") << true;
    QTest::newRow("not Latin-1 in an invalid file")
        << utf8(u"5 €") + invalid << QString::fromUtf16(u"€") << false;
    QTest::newRow("beyond the basic plane") << utf8(u"x😀y") << QString::fromUtf16(u"X😀Y") << true;
    QTest::newRow("half of a pair") << utf8(u"x😀y") << QString(QChar(0xD83D)) << false;
    QTest::newRow("byte order mark kept") << QByteArray("\xEF\xBB\xBF"
                                                        "abc")
                                          << QString::fromUtf16(u"\uFEFFABC") << true;
}

void TestFolderSearch::foundComparingOnlyAsciiLettersAlike()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(bool, found);
    checkRows(QTest::currentDataTag(), content, text, found);
}

void TestFolderSearch::linesAreJoinedByCrLf_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    for (const char* lineBreak : {"\r\n", "\n", "\r"}) {
        const QByteArray file = QByteArray("one") + lineBreak + "two";
        const QByteArray kind = QByteArray(lineBreak).replace('\r', "CR ").replace('\n', "LF ");
        QTest::newRow(kind + "between lines") << file << "ONE\r\ntwo" << true;
        QTest::newRow(kind + "last line ended") << file << "two\r\n" << true;
        QTest::newRow(kind + "only the CR") << file << "one\r" << true;
        QTest::newRow(kind + "no break before the first") << file << "\r\none" << false;
        QTest::newRow(kind + "a lone LF is in no text") << file << "one\ntwo" << false;
    }
    QTest::newRow("empty line") << QByteArray("a\n\nb") << "a\r\n\r\nb" << true;
    QTest::newRow("one break is not two") << QByteArray("a\r\nb") << "\r\n\r\n" << false;
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << "a\r\n\r\nb" << true;
    QTest::newRow("LF then CR") << QByteArray("a\n\rb") << "a\r\n\r\nb" << true;
    QTest::newRow("end already broken") << QByteArray("a\r\n") << "a\r\n\r\n" << false;
    QTest::newRow("empty line at the end") << QByteArray("a\n\n") << "a\r\n\r\n" << true;
    QTest::newRow("a break alone") << QByteArray("\n") << "\r\n" << true;
    QTest::newRow("no break in a file without text") << QByteArray() << "\r\n" << false;
    QTest::newRow("a line without a break") << QByteArray("a") << "\r\n" << true;
    QTest::newRow("non-ASCII across lines")
        << utf8(u"café\nbar") << QString::fromUtf16(u"É\r\nBAR\r\n") << false;
    QTest::newRow("non-ASCII across lines, matching case")
        << utf8(u"café\nbar") << QString::fromUtf16(u"é\r\nBAR\r\n") << true;
    QTest::newRow("Latin-1 across lines")
        << QByteArray("caf\xE9\rbar") << QString::fromUtf16(u"é\r\nb") << true;
}

void TestFolderSearch::linesAreJoinedByCrLf()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(bool, found);
    checkRows(QTest::currentDataTag(), content, text, found);
}

// Random files of words, non-ASCII characters, stray bytes and line breaks of every kind,
// against the obvious search of the document's text, with blocks of every size.
void TestFolderSearch::sameAnswerAsTheDocumentsText()
{
    QRandomGenerator random(20240611);
    // Characters, line breaks, and (in some files only) what is not UTF-8 or not for a
    // document: bytes alone, cut characters, overlong forms, surrogates, values past
    // U+10FFFF, U+2029.
    const QList<QByteArray> pieces =
        QByteArray("abc|ABC|aBc|x| |\r|\n|\r\n|\xC3\xA9|\xC3\x89|\xE2\x82\xAC|\xF0\x9F\x98\x80|"
                   "GRO\xC3\x9F|\xE9|\xC9|\xC3|\x80|\xFF|\xA9|\xE2\x80\xA9|\xE0\x80\x80|\xC1\xBF|"
                   "\xED\xA0\x80|\xF4\x90\x80\x80|\xF0\x8F\xBF\xBF|\xF0\x9F\x98")
            .split('|');
    const QString path = m_dir.filePath("random");
    int found = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray content;
        const int count = random.bounded(40);
        // Mostly UTF-8 files: a stray byte only now and then.
        const bool strays = random.bounded(3) == 0;
        while (content.size() < count * 2) {
            const QByteArray& piece = pieces[random.bounded(pieces.size())];
            const bool stray = !piece.isValidUtf8() || piece == "\xE2\x80\xA9";
            if (!stray || (strays && random.bounded(4) == 0))
                content += piece;
        }
        QVERIFY(writeFile(path, content));
        const QString lines = documentLines(content);
        for (int probe = 0; probe < 6; ++probe) {
            QString text;
            if (probe % 2 == 0 && !lines.isEmpty()) {
                const int start = random.bounded(int(lines.size()));
                text = lines.mid(start, 1 + random.bounded(8));
                if (random.bounded(2))
                    text = AsciiUpperCase(text);
            } else {
                const QStringList words = {"abc", "c", "é", "É",  "€",  "\r\n", "Ã",
                                           "©",   "B", "ß", "\r", "\n", "x ",   "😀"};
                for (int n = 1 + random.bounded(3); n > 0; --n)
                    text += words[random.bounded(words.size())];
            }
            const bool expected = obviouslyContains(content, text);
            found += expected ? 1 : 0;
            const qint64 blockSize = 1 + random.bounded(12);
            const FileSearchResult result = FileContainsTextInBlocks(path, text, blockSize);
            const QString failure = QString("file %1, text %2, blocks of %3")
                                        .arg(QString::fromLatin1(content.toHex()),
                                             QString::fromLatin1(text.toUtf8().toHex()))
                                        .arg(blockSize);
            QVERIFY2(result.read.ok && result.found == expected, qPrintable(failure));
            QVERIFY2(FileContainsText(path, text).found == expected, qPrintable(failure));
        }
    }
    // Both answers came up often.
    QVERIFY(found > 300);
    QVERIFY(found < 2100);
}

void TestFolderSearch::matchAcrossTheFirstBlockBoundary()
{
    // Files of blocks as large as the usual ones, with the text ending at every place around
    // the first boundary.
    QByteArray content;
    while (content.size() < (1 << 20))
        content += "The quick brown fox jumps over the lazy dog.\n";
    const QString path = m_dir.filePath("boundary");
    const qsizetype block = qsizetype(256) << 10;
    for (qsizetype end = block - 2; end <= block + 8; ++end) {
        QByteArray file = content;
        file.replace(end - 6, 6, "Needle");
        QVERIFY(writeFile(path, file));
        QVERIFY2(FileContainsTextInBlocks(path, "nEEDLE", block).found,
                 qPrintable(QString::number(end)));
        QVERIFY(FileContainsTextInBlocks(path, "needle\r\n", block).found == (file[end] == '\n'));
        QVERIFY(FileContainsText(path, "nEEDLE").found);
    }
    QVERIFY(writeFile(path, content));
    QVERIFY(!FileContainsText(path, "needle").found);
}

void TestFolderSearch::repetitiveTextsStayLinear_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("blockSize");
    QTest::addColumn<bool>("found");
    const qsizetype size = 8 << 20;
    const qint64 usual = 256 << 10;
    QTest::newRow("aaa...ab in a's")
        << QByteArray(size, 'a') << QString(999, u'a') + "b" << usual << false;
    QTest::newRow("bbb...ba in B's")
        << QByteArray(size, 'B') << QString(999, u'b') + "a" << usual << false;
    // Runs one shorter than the text: it nearly matches at every place.
    const QByteArray runs = (QByteArray(999, 'b') + 'a').repeated(size / 1000);
    const QByteArray run(1000, 'b');
    const QString text(1000, u'B');
    QTest::newRow("b x 1000 in runs of 999") << runs << text << usual << false;
    QTest::newRow("b x 1000 at the end") << runs + run << text << usual << true;
    QTest::newRow("b x 1000 in the middle") << runs + run + runs << text << usual << true;
    QTest::newRow("blocks shorter than the text")
        << runs + run + runs << text << qint64(777) << true;
    QTest::newRow("50,000 characters in runs of 49,999")
        << (QByteArray(49999, 'b') + 'a').repeated(size / 50000) << QString(50000, u'b') << usual
        << false;
    QTest::newRow("abab...abb in abab...") << QByteArray("ab").repeated(size / 2)
                                           << QString("aB").repeated(500) + "b" << usual << false;
    QTest::newRow("abab...abb at the end")
        << QByteArray("ab").repeated(size / 2) + QByteArray("ab").repeated(500) + "b"
        << QString("aB").repeated(500) + "b" << usual << true;
    QTest::newRow("non-ASCII, repetitive")
        << utf8(u"é").repeated(size / 2) << QString(999, u'é') + "a" << usual << false;
}

void TestFolderSearch::repetitiveTextsStayLinear()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(qint64, blockSize);
    QFETCH(bool, found);
    const QString path = m_dir.filePath("repetitive");
    QVERIFY(writeFile(path, content));
    QElapsedTimer timer;
    timer.start();
    const FileSearchResult result = FileContainsTextInBlocks(path, text, blockSize);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(result.read.ok);
    QCOMPARE(result.found, found);
    // Linear work takes some tens of milliseconds; comparing the 50,000 characters at every
    // place would take seconds.
    QVERIFY2(elapsed < 1000, qPrintable(QString("%1 ms").arg(elapsed)));
}

void TestFolderSearch::keepGoingFalseStops()
{
    const QString path = m_dir.filePath("stop");
    for (const QString& text : {QString("needle"), QString::fromUtf16(u"néedle")}) {
        // 16 blocks, the text in the last one.
        const QByteArray bytes = text.toUtf8();
        QVERIFY(writeFile(path, QByteArray((1 << 20) - bytes.size(), 'x') + bytes));
        int asked = 0;
        const auto askedTimes = [&](int times) {
            asked = 0;
            return FileContainsTextInBlocks(path, text, 64 << 10, [&] {
                ++asked;
                return asked < times;
            });
        };
        const FileSearchResult stopped = askedTimes(1);
        QVERIFY(stopped.read.ok);
        QVERIFY(!stopped.found);
        QCOMPARE(asked, 1);
        QVERIFY(!askedTimes(15).found);
        QCOMPARE(asked, 15);
        // Asked between blocks only.
        QVERIFY(askedTimes(1000).found);
        QCOMPARE(asked, 15);
        asked = 0;
        QVERIFY(FileContainsTextInBlocks(path, text, 2 << 20, [&] {
                    ++asked;
                    return false;
                }).found);
        QCOMPARE(asked, 0);
    }
}

void TestFolderSearch::whatCannotBeReadIsReported_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QVERIFY(QDir().mkpath(m_dir.filePath("folder")));
    QTest::newRow("folder") << m_dir.filePath("folder") << "It is a folder.";
    QTest::newRow("device") << "/dev/null"
                            << "It is a device.";
    QTest::newRow("endless device") << "/dev/zero"
                                    << "It is a device.";
    QTest::newRow("missing") << m_dir.filePath("none") << "No such file or directory";
    // A regular file that no one can read from its start, root included.
    QTest::newRow("read error") << "/proc/self/mem"
                                << "Input/output error";
}

void TestFolderSearch::whatCannotBeReadIsReported()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const FileSearchResult result = FileContainsText(path, "a");
    QVERIFY(!result.found);
    QVERIFY(!result.read.ok);
    QCOMPARE(result.read.error, reason);
}

void TestFolderSearch::namedPipeIsRefusedWithoutWaiting()
{
    const QString pipe = m_dir.filePath("pipe");
    const QByteArray name = QFile::encodeName(pipe);
    QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    auto search = std::async(std::launch::async, [&] { return FileContainsText(pipe, "a"); });
    if (search.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // A reader waits for a writer: be one, so that the test can end.
        const int fd = ::open(name.constData(), O_WRONLY);
        ::close(fd);
        QFAIL("the search waited on the named pipe");
    }
    const FileSearchResult result = search.get();
    QVERIFY(!result.found);
    QVERIFY(!result.read.ok);
    QCOMPARE(result.read.error, QString("It is a named pipe."));
}

QTEST_GUILESS_MAIN(TestFolderSearch)
#include "tst_foldersearch.moc"
