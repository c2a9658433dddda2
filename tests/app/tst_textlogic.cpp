// Plain text logic under the editor control: colour ranges, file chunks and line breaks.

#include "app/ColorRanges.h"
#include "app/Strset.h"
#include "app/TextFile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb A = qRgb(255, 0, 0);
const QRgb B = qRgb(0, 0, 255);

QString describe(const ColorRanges& ranges)
{
    QStringList parts;
    for (const ColorRange& r : ranges.ranges())
        parts << QString("%1-%2%3").arg(r.start).arg(r.end).arg(r.color == A ? "a" : "b");
    return parts.join(' ');
}

} // namespace

class TestTextLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colorRangesSetSplitsAndMerges();
    void colorRangesFollowEdits();
    void chunkEndsNeverSplitBreaksOrCharacters();
    void lineBreaksAreNormalizedInOnePass();
    void strSetLoadsAnySeparatorAndSavesCrLf();
};

void TestTextLogic::colorRangesSetSplitsAndMerges()
{
    ColorRanges r;
    r.set(0, 10, A);
    r.set(3, 5, B);
    QCOMPARE(describe(r), QString("0-3a 3-5b 5-10a"));
    r.set(3, 5, A);
    QCOMPARE(describe(r), QString("0-10a"));
    r.set(2, 4, std::nullopt);
    QCOMPARE(describe(r), QString("0-2a 4-10a"));
    r.set(12, 14, B);
    r.set(1, 13, std::nullopt);
    QCOMPARE(describe(r), QString("0-1a 13-14b"));
    QCOMPARE(r.colorAt(0), std::optional<QRgb>(A));
    QCOMPARE(r.colorAt(1), std::optional<QRgb>());
    QCOMPARE(r.colorAt(13), std::optional<QRgb>(B));
    QCOMPARE(r.colorAt(14), std::optional<QRgb>());
    r.set(5, 5, A); // empty span: nothing
    QCOMPARE(describe(r), QString("0-1a 13-14b"));
}

void TestTextLogic::colorRangesFollowEdits()
{
    ColorRanges r;
    r.set(2, 4, A);
    r.set(6, 8, B);
    r.applyEdit(0, 0, 3, std::nullopt); // insert before everything
    QCOMPARE(describe(r), QString("5-7a 9-11b"));
    r.applyEdit(6, 0, 2, A); // typed inside the first range, in its colour
    QCOMPARE(describe(r), QString("5-9a 11-13b"));
    r.applyEdit(6, 0, 1, std::nullopt); // plain text inside splits it
    QCOMPARE(describe(r), QString("5-6a 7-10a 12-14b"));
    r.applyEdit(6, 1, 0, std::nullopt); // removing it joins the halves again
    QCOMPARE(describe(r), QString("5-9a 11-13b"));
    r.applyEdit(8, 4, 0, std::nullopt); // removal across a gap
    QCOMPARE(describe(r), QString("5-8a 8-9b"));
    r.applyEdit(0, 20, 2, B); // everything replaced
    QCOMPARE(describe(r), QString("0-2b"));
}

void TestTextLogic::chunkEndsNeverSplitBreaksOrCharacters()
{
    const QByteArray lines = "aaaa\r\nbbbb\r\ncccc";
    QCOMPARE(nextChunkEnd(lines, 0, 3), 6);    // after the first LF
    QCOMPARE(nextChunkEnd(lines, 0, 100), 16); // the rest
    const QByteArray crOnly = QByteArray(10, 'x') + "\r\n" + QByteArray(10, 'y');
    // No LF close enough to the target: cut at a character boundary, not between CR and LF.
    QCOMPARE(nextChunkEnd(crOnly, 0, 3), 3);
    QCOMPARE(nextChunkEnd(crOnly, 0, 11), 12);
    const QByteArray utf8 = "\xc3\xa9\xc3\xa9\xc3\xa9";
    QCOMPARE(nextChunkEnd(utf8, 0, 1), 2);
    QCOMPARE(nextChunkEnd(utf8, 0, 3), 4);

    QCOMPARE(detectLineBreak("a\rb\r\n"), LineBreak::Cr);
    QCOMPARE(detectLineBreak("a\r\nb\n"), LineBreak::CrLf);
    QCOMPARE(detectLineBreak("a\nb\r\n"), LineBreak::Lf);
    QCOMPARE(detectLineBreak("abc"), LineBreak::Lf);
    QCOMPARE(detectLineBreak("abc\r"), LineBreak::Cr);
}

void TestTextLogic::lineBreaksAreNormalizedInOnePass()
{
    QString text = "a\r\nb\rc\nd\r\r\n";
    normalizeLineBreaks(text);
    QCOMPARE(text, QString("a\nb\nc\nd\n\n"));
    QCOMPARE(latin1ToDocumentText("x\r\ny\xa4\r"), QString("x\ny") + QChar(0xA4) + "\n");
    QVERIFY(containsDocumentSeparators(QString("a") + QChar(0x2029)));
    QVERIFY(!containsDocumentSeparators(QString("a") + QChar(0x2028)));
    QVERIFY(fitsLatin1(QString("caf") + QChar(0xE9)));
    QVERIFY(!fitsLatin1(QString(QChar(0x20AC))));
}

void TestTextLogic::strSetLoadsAnySeparatorAndSavesCrLf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.ini");
    TStrSet set;
    QVERIFY(!set.LoadFromFile(dir.filePath("missing.ini")).ok);
    set.SetStrings({"one", QString("two") + QChar(0xA4) + QChar(0xA4) + "2", ""});
    QVERIFY(set.SaveToFile(path).ok);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("one\r\ntwo\xa4\xa4" "2\r\n\r\n"));
    TStrSet copy;
    QVERIFY(copy.LoadFromFile(path).ok);
    QCOMPARE(copy.Strings(), set.Strings());

    // A file of one line break holds one empty line; an empty file none.
    for (const auto& [bytes, lines] : {std::pair<QByteArray, QStringList>{"\r\n", {""}},
                                       {"", {}}, {"x", {"x"}}}) {
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::WriteOnly));
        raw.write(bytes);
        raw.close();
        QVERIFY(copy.LoadFromFile(path).ok);
        QCOMPARE(copy.Strings(), lines);
    }
}

QTEST_MAIN(TestTextLogic)
#include "tst_textlogic.moc"
