// The text store against a plain model of the same text (a string with '\n' breaks and the
// kind of each break): random files and random edits with tiny pieces, so that piece edges
// are crossed all the time, then the edge cases of loading.

#include "app/AsciiSearch.h"
#include "app/TextStore.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

namespace
{

// The text the store must behave as.
struct Model {
    QString text;
    std::vector<LineBreak> kinds;
    TextEncoding encoding = TextEncoding::Utf8;

    static Model fromBytes(const QByteArray& bytes)
    {
        Model model;
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        QString decoded = decoder.decode(bytes);
        const bool utf8 = QByteArrayView(bytes).isValidUtf8();
        if (!utf8) {
            model.encoding = TextEncoding::Latin1;
            decoded = QString::fromLatin1(bytes);
        }
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            const QChar c = decoded[i];
            if (c != u'\r' && c != u'\n') {
                model.text += c;
                continue;
            }
            const bool pair = c == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n';
            model.kinds.push_back(pair ? LineBreak::CrLf
                                       : (c == u'\r' ? LineBreak::Cr : LineBreak::Lf));
            model.text += u'\n';
            i += pair ? 1 : 0;
        }
        return model;
    }

    int breaksBefore(int pos) const { return int(QStringView(text).first(pos).count(u'\n')); }

    std::vector<LineBreak> kindsIn(int from, int to) const
    {
        return {kinds.begin() + breaksBefore(from), kinds.begin() + breaksBefore(to)};
    }

    void replace(int from, int to, const QString& with, LineBreak newBreak,
                 const std::vector<LineBreak>* given = nullptr)
    {
        std::vector<LineBreak> added(std::size_t(with.count(u'\n')), newBreak);
        for (std::size_t i = 0; given && i < given->size() && i < added.size(); ++i)
            added[i] = (*given)[i];
        const auto first = kinds.begin() + breaksBefore(from);
        const auto at = kinds.erase(first, kinds.begin() + breaksBefore(to));
        kinds.insert(at, added.begin(), added.end());
        text.replace(from, to - from, with);
    }

    QByteArray bytes(TextEncoding as) const
    {
        const QStringList lines = text.split(u'\n');
        QByteArray out;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            out += encodeText(lines[i], as);
            if (i + 1 < lines.size())
                out += lineBreakBytes(kinds[std::size_t(i)]);
        }
        return out;
    }

    // The bytes of the lines before line.
    QByteArray bytesBefore(int line, TextEncoding as) const
    {
        qsizetype start = 0;
        for (int i = 0; i < line; ++i)
            start = text.indexOf(u'\n', start) + 1;
        return Model{text.first(start), kinds, encoding}.bytes(as);
    }

    bool wholeWordAt(qsizetype at, qsizetype size) const
    {
        const auto word = [this](qsizetype i) {
            return i >= 0 && i < text.size() && (text[i].isLetterOrNumber() || text[i] == u'_');
        };
        return !word(at - 1) && !word(at + size);
    }

    int find(const QString& pattern, int from, int to, Qt::CaseSensitivity cs, bool wholeWord,
             bool backward) const
    {
        const qsizetype last = to - pattern.size();
        if (pattern.isEmpty() || last < from)
            return -1;
        for (qsizetype at = backward ? last : from; at >= from && at <= last;
             at += backward ? -1 : 1) {
            if (text.indexOf(pattern, at, cs) == at &&
                (!wholeWord || wholeWordAt(at, pattern.size())))
                return int(at);
        }
        return -1;
    }
};

// Characters of every UTF-8 length, a letter with case beyond U+FFFF, word and non-word
// characters.
const QStringList Characters = {"a",          "b",          "A",         "B",      "_",
                                " ",          "7",          "\u00e9",    "\u00c9", "\u20ac",
                                "\U0001F600", "\U00010400", "\U00010428"};
const int AsciiCharacters = 7;

QString randomText(QRandomGenerator& random, int maxLength, bool withBreaks)
{
    QString text;
    for (int n = random.bounded(maxLength + 1); n > 0; --n) {
        const bool lineBreak = withBreaks && random.bounded(5) == 0;
        text += lineBreak ? QStringLiteral("\n") : Characters[random.bounded(Characters.size())];
    }
    return text;
}

QByteArray randomFile(QRandomGenerator& random, int pieces)
{
    static const QList<QByteArray> breaks = {"\n", "\r\n", "\r"};
    QByteArray bytes = random.bounded(6) == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    // Plain ASCII files are searched in their bytes.
    const int characters = random.bounded(3) == 0 ? AsciiCharacters : int(Characters.size());
    for (int n = random.bounded(pieces * 60); n > 0; --n) {
        const int pick = random.bounded(10);
        if (pick < 3)
            bytes += breaks[random.bounded(3)];
        else
            bytes += Characters[random.bounded(characters)].toUtf8();
    }
    const int spoil = random.bounded(12);
    const qsizetype at = random.bounded(bytes.size() + 1);
    if (spoil == 0)
        bytes.insert(at, "\xFF");
    else if (spoil == 1)
        bytes.insert(at, "\xE2\x80\xA8\xEF\xBB\xBF\xEF\xBB\xBF"); // U+2028, two marks
    else if (spoil == 2)
        bytes.insert(at, "\x80");
    return bytes;
}

std::pair<int, int> randomRange(QRandomGenerator& random, int length)
{
    const int a = random.bounded(length + 1);
    const int b = random.bounded(length + 1);
    return {qMin(a, b), qMax(a, b)};
}

// How the store's text, lines and breaks differ from the model, or nothing.
QString differenceInText(const TextStore& store, const Model& model, QRandomGenerator& random)
{
    const int length = int(model.text.size());
    const QStringList lines = model.text.split(u'\n');
    if (store.length() != length || store.lineCount() != lines.size())
        return QString("size %1/%2").arg(store.length()).arg(store.lineCount());
    if (store.text(0, length) != model.text)
        return "text " + store.text(0, length);
    for (int pos = 0, line = 0; pos <= length; ++pos) {
        if (store.lineAt(pos) != line ||
            store.charAt(pos) != (pos < length ? model.text[pos] : QChar()))
            return QString("lineAt/charAt %1").arg(pos);
        line += pos < length && model.text[pos] == u'\n';
    }
    for (int line = 0, start = 0; line < lines.size(); start += lines[line++].size() + 1) {
        const QString& expected = lines[line];
        const int from = random.bounded(int(expected.size()) + 2);
        const int count = random.bounded(int(expected.size()) + 2);
        if (store.lineStart(line) != start || store.lineLength(line) != expected.size() ||
            store.lineText(line) != expected ||
            store.lineText(line, from, count) != expected.mid(from, count))
            return QString("line %1").arg(line);
        if (line + 1 < lines.size() && store.lineBreak(line) != model.kinds[std::size_t(line)])
            return QString("break %1").arg(line);
    }
    for (int n = 0; n < 4; ++n) {
        const auto [from, to] = randomRange(random, length);
        if (store.text(from, to) != model.text.mid(from, to - from) ||
            store.lineBreaks(from, to) != model.kindsIn(from, to))
            return QString("range %1-%2").arg(from).arg(to);
    }
    return {};
}

// How the bytes of the store differ from those of the model, in small slices (each ending
// with a whole line) and at once.
QString differenceInBytes(const TextStore& store, const Model& model, QRandomGenerator& random)
{
    for (TextEncoding as : {TextEncoding::Utf8, TextEncoding::Latin1}) {
        QByteArray joined;
        int next = 0;
        for (int first = 0; first >= 0; first = next) {
            joined += store.bytes(first, random.bounded(12), as, next);
            if (next >= 0 && (next <= first || joined != model.bytesBefore(next, as)))
                return QString("bytes up to line %1").arg(next);
        }
        if (joined != model.bytes(as) || store.bytes(0, 1 << 30, as, next) != joined || next != -1)
            return "bytes " + joined.toHex() + ", not " + model.bytes(as).toHex();
    }
    return {};
}

// A search whose result differs from that in the model, or nothing.
QString differenceInSearches(const TextStore& store, const Model& model, QRandomGenerator& random)
{
    const int length = int(model.text.size());
    for (int n = 0; n < 12; ++n) {
        const int start = random.bounded(length + 1);
        QString pattern = random.bounded(3) == 0 ? randomText(random, 3, true)
                                                 : model.text.mid(start, 1 + random.bounded(4));
        // Whole characters only, as the program looks for (half a pair folds differently
        // alone and beside its other half).
        while (!pattern.isEmpty() && pattern.front().isLowSurrogate())
            pattern.remove(0, 1);
        while (!pattern.isEmpty() && pattern.back().isHighSurrogate())
            pattern.chop(1);
        const auto [from, to] = randomRange(random, length);
        const auto cs = random.bounded(2) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const bool whole = random.bounded(3) == 0;
        const bool backward = random.bounded(2);
        const int expected = model.find(pattern, from, to, cs, whole, backward);
        const int found = store.find(pattern, from, to, cs, whole, backward);
        if (found != expected)
            return QString("find '%1' in %2-%3 cs %4 whole %5 backward %6: %7, not %8")
                .arg(pattern)
                .arg(from)
                .arg(to)
                .arg(int(cs))
                .arg(whole)
                .arg(backward)
                .arg(found)
                .arg(expected);
    }
    return {};
}

// The first way in which the store differs from the model, or nothing.
QString difference(const TextStore& store, const Model& model, QRandomGenerator& random)
{
    QString what = differenceInText(store, model, random);
    if (what.isEmpty())
        what = differenceInBytes(store, model, random);
    if (what.isEmpty())
        what = differenceInSearches(store, model, random);
    return what;
}

} // namespace

class TestTextStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomFilesAndEditsMatchThePlainText();
    void asciiSearchComparesAsIndexOf();
    void emptyFileAndOnlyBreaks();
    void breaksAtAndAcrossPieceEdges();
    void encodingFallsBackToOneByteACharacter();
    void oneVeryLongLine();
};

void TestTextStore::randomFilesAndEditsMatchThePlainText()
{
    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator random(seed);
        // Mostly tiny pieces; some files of a few pieces of some size.
        const bool tiny = random.bounded(4) != 0;
        const QByteArray original = randomFile(random, tiny ? 1 : 4);
        TextStore store(tiny ? 1 + random.bounded(9) : 40 + random.bounded(60));
        FileFormat format;
        QVERIFY(store.load(original, format));
        Model model = Model::fromBytes(original);
        QCOMPARE(format.encoding, model.encoding);
        QCOMPARE(format.lineBreak, detectLineBreak(original));
        QString lastFailure;
        const auto failure = [&](const QString& stage) {
            const QString what = difference(store, model, random);
            lastFailure = QString("seed %1 %2: %3").arg(seed).arg(stage, what);
            return what;
        };
        QVERIFY2(failure("load").isEmpty(), qPrintable(lastFailure));

        // Single edits, remembering how to take each back.
        struct Undo {
            int from;
            int to;
            QString text;
            std::vector<LineBreak> kinds;
        };
        std::vector<Undo> undos;
        for (int step = 0; step < 8; ++step) {
            const auto [from, to] = randomRange(random, int(model.text.size()));
            const QString with = randomText(random, 6, true);
            const auto kind = LineBreak(random.bounded(3));
            undos.push_back({from, from + int(with.size()), model.text.mid(from, to - from),
                             store.lineBreaks(from, to)});
            QVERIFY(store.replace(from, to, with, kind));
            model.replace(from, to, with, kind);
            const QString stage = QString("edit %1").arg(step);
            QVERIFY2(failure(stage).isEmpty(), qPrintable(lastFailure));
        }
        for (auto undo = undos.rbegin(); undo != undos.rend(); ++undo) {
            QVERIFY(store.replace(undo->from, undo->to, undo->text, LineBreak::Lf, &undo->kinds));
            model.replace(undo->from, undo->to, undo->text, LineBreak::Lf, &undo->kinds);
        }
        QVERIFY2(failure("undo").isEmpty(), qPrintable(lastFailure));
        int next = 0;
        QCOMPARE(store.bytes(0, 1 << 30, model.encoding, next), original);

        // A batch of edits, applied to the model from the last on.
        std::vector<TextStore::Edit> edits;
        for (int at = 0; at <= model.text.size(); at += 1 + random.bounded(6)) {
            const int to = qMin(int(model.text.size()), at + random.bounded(4));
            edits.push_back({at, to, randomText(random, 3, true)});
            at = to;
        }
        const auto kind = LineBreak(random.bounded(3));
        QVERIFY(store.replace(edits, kind));
        for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
            model.replace(edit->from, edit->to, edit->text, kind);
        QVERIFY2(failure("batch").isEmpty(), qPrintable(lastFailure));

        // Breaks set one by one, and a new text.
        for (int line = 0; line + 1 < store.lineCount(); line += 2) {
            store.setLineBreak(line, LineBreak::Cr);
            model.kinds[std::size_t(line)] = LineBreak::Cr;
        }
        QVERIFY2(failure("kinds").isEmpty(), qPrintable(lastFailure));
        QVERIFY(store.setText(model.text, LineBreak::CrLf));
        model.kinds.assign(model.kinds.size(), LineBreak::CrLf);
        QVERIFY2(failure("new text").isEmpty(), qPrintable(lastFailure));
    }
}

void TestTextStore::asciiSearchComparesAsIndexOf()
{
    QRandomGenerator random(11);
    const QString letters = QStringLiteral("aAbB_ \n@[`{");
    const auto randomAscii = [&](int size) {
        QString text;
        for (int i = 0; i < size; ++i)
            text += letters[random.bounded(letters.size())];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const QString text = randomAscii(random.bounded(300));
        const QString pattern = randomAscii(1 + random.bounded(4));
        const auto cs = random.bounded(2) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const qsizetype from = random.bounded(text.size() + 1);
        const auto finder = AsciiFinder::forPattern(pattern, cs);
        QVERIFY(finder);
        const QByteArray bytes = text.toLatin1();
        QCOMPARE(finder->indexIn(bytes, from), text.indexOf(pattern, from, cs));
        QCOMPARE(finder->lastIndexIn(bytes, from), text.lastIndexOf(pattern, from, cs));
    }
    QVERIFY(!AsciiFinder::forPattern(u"caf\u00e9", Qt::CaseSensitive));
}

void TestTextStore::emptyFileAndOnlyBreaks()
{
    TextStore store;
    FileFormat format{TextEncoding::Latin1, LineBreak::Cr};
    QVERIFY(store.load(QByteArray(), format));
    QCOMPARE(format.encoding, TextEncoding::Utf8);
    QCOMPARE(format.lineBreak, LineBreak::Lf);
    QCOMPARE(store.length(), 0);
    QCOMPARE(store.lineCount(), 1);
    QCOMPARE(store.lineStart(0), 0);
    QCOMPARE(store.lineLength(0), 0);
    QCOMPARE(store.lineAt(0), 0);
    QCOMPARE(store.charAt(0), QChar());
    QCOMPARE(store.find(u"a", 0, 0, Qt::CaseSensitive, false, false), -1);
    int next = 0;
    QCOMPARE(store.bytes(0, 100, TextEncoding::Utf8, next), QByteArray());
    QCOMPARE(next, -1);
    QVERIFY(store.replace(0, 0, u"x\ny", LineBreak::CrLf));
    QCOMPARE(store.bytes(0, 100, TextEncoding::Utf8, next), QByteArray("x\r\ny"));

    TextStore breaks(1);
    QVERIFY(breaks.load("\r\r\n\n", format));
    QCOMPARE(format.lineBreak, LineBreak::Cr);
    QCOMPARE(breaks.length(), 3);
    QCOMPARE(breaks.lineCount(), 4);
    QCOMPARE(breaks.lineStart(3), 3);
    QCOMPARE(breaks.lineText(1), QString());
    QCOMPARE(breaks.bytes(1, 1, TextEncoding::Utf8, next), QByteArray("\r\n"));
    QCOMPARE(next, 2);
}

void TestTextStore::breaksAtAndAcrossPieceEdges()
{
    // Pieces of three bytes would cut between CR and LF, and inside the four-byte character.
    TextStore store(3);
    FileFormat format;
    const QByteArray bytes = "ab\r\ncd\xF0\x9F\x98\x80\r\n\n\r\r\n\r";
    QVERIFY(store.load(bytes, format));
    QCOMPARE(format.lineBreak, LineBreak::CrLf);
    QCOMPARE(store.text(0, store.length()), QString("ab\ncd\U0001F600\n\n\n\n\n"));
    QCOMPARE(store.lineBreaks(0, store.length()),
             (std::vector<LineBreak>{LineBreak::CrLf, LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr,
                                     LineBreak::CrLf, LineBreak::Cr}));
    QCOMPARE(store.lineCount(), 7);
    QCOMPARE(store.lineLength(6), 0); // after the CR at the end
    QCOMPARE(store.find(u"d\U0001F600\n", 0, store.length(), Qt::CaseSensitive, false, false), 4);
    int next = 0;
    QCOMPARE(store.bytes(0, 1, TextEncoding::Utf8, next), QByteArray("ab\r\n"));
    QCOMPARE(next, 1);
    QCOMPARE(store.bytes(1, 1000, TextEncoding::Utf8, next), bytes.mid(4));
    QCOMPARE(next, -1);
}

void TestTextStore::encodingFallsBackToOneByteACharacter()
{
    TextStore store;
    FileFormat format;
    QVERIFY(store.load("\xEF\xBB\xBFok\n", format));
    QCOMPARE(format.encoding, TextEncoding::Utf8);
    QCOMPARE(store.lineText(0), QStringLiteral(u"\uFEFFok")); // the mark stays part of the text
    // Line and paragraph separators are characters like any other.
    QVERIFY(store.load("a\xE2\x80\xA9z\xE2\x80\xA8", format));
    QCOMPARE(format.encoding, TextEncoding::Utf8);
    QCOMPARE(store.lineText(0), QStringLiteral(u"a\u2029z\u2028"));
    const QList<QByteArray> notUtf8 = {"caf\xE9\r\n", "\xC0\xAF", "\xED\xA0\x80"};
    for (const QByteArray& bytes : notUtf8) {
        QVERIFY(store.load(bytes, format));
        QCOMPARE(format.encoding, TextEncoding::Latin1);
        QCOMPARE(store.length() + store.lineCount() - 1, bytes.size());
        int next = 0;
        QCOMPARE(store.bytes(0, 1000, TextEncoding::Latin1, next), bytes);
    }
    QCOMPARE(store.lineText(0), QString::fromLatin1("\xED\xA0\x80"));
}

void TestTextStore::oneVeryLongLine()
{
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += "w\xC3\xA9" + QByteArray::number(i % 10) + " ";
    bytes += "\nend";
    TextStore store(4096);
    FileFormat format;
    QVERIFY(store.load(bytes, format));
    QCOMPARE(store.lineCount(), 2);
    QCOMPARE(store.lineLength(0), 800000);
    QCOMPARE(store.lineText(0, 400002, 6), QStringLiteral(u"0 w\u00e91 "));
    QCOMPARE(store.lineAt(799999), 0);
    QCOMPARE(store.lineStart(1), 800001);
    QVERIFY(store.replace(400000, 400004, u"[\n]", LineBreak::Cr));
    QCOMPARE(store.lineText(1, 0, 3), QStringLiteral(u"]w\u00e9"));
    QCOMPARE(store.lineBreaks(0, store.length()),
             (std::vector<LineBreak>{LineBreak::Cr, LineBreak::Lf}));
    QCOMPARE(store.find(u"w\u00e99 [", 0, store.length(), Qt::CaseInsensitive, false, true),
             399996);
    QVERIFY(store.replace(400000, 400003, u"w\u00e90 ", LineBreak::Lf));
    int next = 0;
    QCOMPARE(store.bytes(0, 1, TextEncoding::Utf8, next), bytes.first(bytes.size() - 3));
    QCOMPARE(next, 1);
}

QTEST_MAIN(TestTextStore)
#include "tst_textstore.moc"
