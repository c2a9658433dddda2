// Plain text logic: colour ranges, file chunks and line breaks, list-file lines, case
// folding, program arguments, dialog filters, captions and window places.

#include "app/ColorRanges.h"
#include "app/ScreenFit.h"
#include "app/Strset.h"
#include "app/TextCompare.h"
#include "app/TextFile.h"
#include "app/Unit1.h"
#include "platform/Prompts.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

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
    void mixedLineBreaksAreListed();
    void listLinesKeepWhatWasTyped_data();
    void listLinesKeepWhatWasTyped();
    void listLinesWrittenEarlierReadAsBefore_data();
    void listLinesWrittenEarlierReadAsBefore();
    void caseFoldingChangesOnlyAsciiLetters();
    void programArgumentsAreFileNamesOnly();
    void allFilesFilterListsNamesWithoutDot();
    void captionPathsAreAbsoluteAndClean();
    void windowPlacesStayOnTheScreens();
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

void TestTextLogic::mixedLineBreaksAreListed()
{
    using LB = LineBreak;
    QCOMPARE(mixedLineBreaks("a\r\nb\nc\rd"), (std::vector<LB>{LB::CrLf, LB::Lf, LB::Cr}));
    QCOMPARE(mixedLineBreaks("\n\r\n\r"), (std::vector<LB>{LB::Lf, LB::CrLf, LB::Cr}));
    QVERIFY(mixedLineBreaks("a\r\nb\r\n").empty()); // all of one kind
    QVERIFY(mixedLineBreaks("a\rb\r").empty());
    QVERIFY(mixedLineBreaks("abc").empty());
}

void TestTextLogic::listLinesKeepWhatWasTyped_data()
{
    QTest::addColumn<QString>("line");
    const QString sep = ListFieldSeparator();
    QTest::newRow("Latin-1 letters that make valid UTF-8 as bytes")
        << QString::fromUtf8("Stra\u00df\u00a0Nr");
    QTest::newRow("text that looks like UTF-8 read as bytes") << QString::fromUtf8("\u00c3\u00a9");
    QTest::newRow("sample size and completion")
        << "2" + sep + QString::fromUtf8("fonction \u00e9l\u00e9gante");
    QTest::newRow("separator bytes inside a character") << QString::fromUtf8("\u0924") + sep + "x";
    QTest::newRow("character with separator bytes after it")
        << "2" + sep + QString::fromUtf8("\u0924\u0924");
    QTest::newRow("more than one separator") << "a" + sep + "b" + sep + "c";
    QTest::newRow("currency signs around a separator") << QString(QChar(0xA4)) + sep + QChar(0xA4);
    QTest::newRow("beyond 16 bits") << QString::fromUtf8("\U0001F600") + sep + "smile";
    QTest::newRow("empty fields") << sep;
}

void TestTextLogic::listLinesKeepWhatWasTyped()
{
    QFETCH(QString, line);
    const QByteArray bytes = EncodeListLine(line);
    QCOMPARE(DecodeListLine(bytes), line);
    // Only the first separator is written as the two raw bytes.
    const qsizetype at = line.indexOf(ListFieldSeparator());
    if (at >= 0)
        QCOMPARE(bytes.mid(line.left(at).toUtf8().size(), 2), QByteArray("\xa4\xa4"));

    // And through a whole file, as the settings and lists are kept.
    QTemporaryDir dir;
    TStrSet set;
    set.SetStrings({line, "plain", line});
    QVERIFY(set.SaveToFile(dir.filePath("list.ini")).ok);
    TStrSet copy;
    QVERIFY(copy.LoadFromFile(dir.filePath("list.ini")).ok);
    QCOMPARE(copy.Strings(), set.Strings());
}

void TestTextLogic::listLinesWrittenEarlierReadAsBefore_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    const QString sep = ListFieldSeparator();
    QTest::newRow("one byte a character")
        << QByteArray("caf\xe9") << QString::fromUtf8("caf\u00e9");
    QTest::newRow("completion of one byte a character")
        << QByteArray("2\xa4\xa4"
                      "fonction \xe9l\xe9gante")
        << "2" + sep + QString::fromUtf8("fonction \u00e9l\u00e9gante");
    QTest::newRow("a-grave before the separator")
        << QByteArray("\xe0\xa4\xa4x") << QString::fromUtf8("\u00e0") + sep + "x";
    QTest::newRow("separator alone") << QByteArray("\xa4\xa4") << sep;
}

void TestTextLogic::listLinesWrittenEarlierReadAsBefore()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QCOMPARE(DecodeListLine(bytes), line);
}

void TestTextLogic::caseFoldingChangesOnlyAsciiLetters()
{
    QVERIFY(SameTextIgnoringAsciiCase(u"Hello World", u"hELLO wORLD"));
    QVERIFY(!SameTextIgnoringAsciiCase(u"\u00c9", u"\u00e9"));
    QVERIFY(!SameTextIgnoringAsciiCase(u"\u0131", u"I")); // dotless i
    QVERIFY(!SameTextIgnoringAsciiCase(u"stra\u00dfe", u"STRASSE"));
    QVERIFY(!SameTextIgnoringAsciiCase(u"ab", u"abc"));
    QCOMPARE(AsciiUpperCase(u"a.txt \u00e9\u00df\u0131"),
             QString::fromUtf16(u"A.TXT \u00e9\u00df\u0131"));
}

void TestTextLogic::programArgumentsAreFileNamesOnly()
{
    auto arguments = [](std::initializer_list<const char*> list) {
        const std::vector<const char*> argv(list);
        return ProgramArguments(int(argv.size()), argv.data());
    };
    QCOMPARE(arguments({"tavro"}), QStringList());
    QCOMPARE(arguments({"tavro", "-reverse"}), QStringList{"-reverse"});
    QCOMPARE(arguments({"tavro", "-style", "x.txt"}), (QStringList{"-style", "x.txt"}));
    QCOMPARE(arguments({"tavro", "--", "-style"}), QStringList{"-style"});
    QCOMPARE(arguments({"tavro", "a", "--"}), (QStringList{"a", "--"}));
    QCOMPARE(arguments({"tavro", "--", "--"}), QStringList{"--"});
    QCOMPARE(arguments({"tavro", "caf\xc3\xa9.txt"}),
             QStringList{QString::fromUtf8("caf\u00e9.txt")});
}

void TestTextLogic::allFilesFilterListsNamesWithoutDot()
{
    const QString filter = "All files (*.*)|*.*|Text documents|*.txt; *.text|HTML files|*.htm*";
    const QStringList filters = qtNameFilters(filter);
    QCOMPARE(filters, (QStringList{"All files (*.*) (*)", "Text documents (*.txt *.text)",
                                   "HTML files (*.htm*)"}));
    QVERIFY(QDir::match(QStringList{"*"}, "README"));

    // The dialog shows each description as written, without the patterns a second time.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    FileDialogRequest request;
    request.filter = filter;
    request.filterIndex = 2;
    SetUpFileDialog(dialog, request);
    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(types);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    QCOMPARE(shown, (QStringList{"All files (*.*)", "Text documents", "HTML files"}));
    QCOMPARE(types->currentIndex(), 1);

    // A name typed without an extension gets one when saving, never when opening (README).
    request.defaultSuffix = "txt";
    SetUpFileDialog(dialog, request);
    QCOMPARE(dialog.defaultSuffix(), QString());
    QFileDialog saveDialog;
    saveDialog.setAcceptMode(QFileDialog::AcceptSave);
    SetUpFileDialog(saveDialog, request);
    QCOMPARE(saveDialog.defaultSuffix(), QString("txt"));
}

void TestTextLogic::captionPathsAreAbsoluteAndClean()
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString root = QDir::currentPath();
    QCOMPARE(CaptionPath("Untitled.txt"), root + "/Untitled.txt");
    QCOMPARE(CaptionPath("./a/../b/./c.txt"), root + "/b/c.txt");
    QCOMPARE(CaptionPath("/x//y/../z.txt"), QString("/x/z.txt"));
    QVERIFY(QDir::setCurrent(before));
}

void TestTextLogic::windowPlacesStayOnTheScreens()
{
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 1024);
    const QSize size(800, 600);
    QCOMPARE(PlaceOnScreens(QPoint(2000, 100), size, {left, right}, left), QPoint(2000, 100));
    QCOMPARE(PlaceOnScreens(QPoint(-700, -500), size, {left, right}, left), QPoint(-700, -500));
    // Off every screen, or nowhere at all: centred on the primary screen.
    const QPoint centred(560, 240);
    QCOMPARE(PlaceOnScreens(QPoint(5000, 100), size, {left, right}, left), centred);
    QCOMPARE(PlaceOnScreens(std::nullopt, size, {left}, left), centred);
    QCOMPARE(PlaceOnScreens(QPoint(INT_MAX, INT_MAX), size, {left}, left), centred);
    QCOMPARE(PlaceOnScreens(QPoint(INT_MIN, INT_MIN), QSize(INT_MAX, INT_MAX), {left}, left).x(),
             ToCoordinate((1920 - qint64(INT_MAX)) / 2));
    QCOMPARE(ToCoordinate(qint64(INT_MAX) * 4), INT_MAX / 2);
    QCOMPARE(ToCoordinate(-qint64(INT_MAX) * 4), -(INT_MAX / 2));

    const QSize area = ScreensArea().size();
    QCOMPARE(LimitedToScreens(QSize(INT_MAX, INT_MAX), QSize(100, 60)), area);
    QCOMPARE(LimitedToScreens(QSize(-5, 0), QSize(100, 60)), QSize(100, 60));
    QCOMPARE(LimitedToScreens(QSize(300, 200), QSize(100, 60)), QSize(300, 200));
}

QTEST_MAIN(TestTextLogic)
#include "tst_textlogic.moc"
