// Benchmark of the text store on a large text held in memory: loading, reading lines,
// saving, searching and editing, beside baselines doing comparable work on the same bytes
// in the same run.
//
//   build/bench/bench_textstore [megabytes]   (100 when not given)

#include "BenchTiming.h"
#include "app/TextStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstring>
#include <functional>

namespace
{

// Lines of 20 to 100 characters, breaks of the kind given; nonAscii puts a two-byte letter
// in every word.
QByteArray testText(qsizetype size, const QByteArray& lineBreak, bool nonAscii)
{
    QByteArray text;
    text.reserve(size + 200);
    QRandomGenerator random(7);
    const QByteArray word = nonAscii ? "d\xC3\xA9jà " : "lorem ";
    while (text.size() < size) {
        for (int n = 20 + random.bounded(80); n > 0; n -= int(word.size()))
            text += word;
        text += lineBreak;
    }
    return text;
}

// Every slice written one after another into memory, as a save writes them to a file.
// Every slice written one after another into memory already in use, as a save writes them
// to a file.
void saveAll(const TextStore& store, TextEncoding encoding, QByteArray& into)
{
    qsizetype written = 0;
    for (int line = 0, next = 0; line >= 0; line = next) {
        const QByteArray slice = store.bytes(line, 1 << 20, encoding, next);
        if (written + slice.size() > into.size())
            into.resize(written + slice.size());
        std::memcpy(into.data() + written, slice.constData(), std::size_t(slice.size()));
        written += slice.size();
    }
    into.truncate(written);
}

// The same from the bytes themselves.
void copyAll(const QByteArray& bytes, QByteArray& into)
{
    for (qsizetype from = 0; from < bytes.size(); from += 1 << 20) {
        const QByteArray slice = bytes.mid(from, 1 << 20);
        std::memcpy(into.data() + from, slice.constData(), std::size_t(slice.size()));
    }
}

double decodingTime(const QByteArray& bytes)
{
    QString decoded;
    return millisecondsOf([&] { decoded = QString::fromUtf8(bytes); });
}

// Searches for text that is not there: with a rare letter, with letters found all over the
// text, and across a line break; each forward and backward, in either case mode.
void addSearches(const TextStore& store, const QByteArray& bytes, QList<BaselineFigure>& figures)
{
    const QStringList patterns = {QStringLiteral("not in the text"), QStringLiteral("lorem  lorem"),
                                  QStringLiteral("lorem\nipsum")};
    for (const QString& pattern : patterns) {
        const QByteArray latin1 = pattern.toLatin1();
        qsizetype at = 0;
        const double baseline = millisecondsOf([&] { at = QByteArrayView(bytes).indexOf(latin1); });
        if (at != -1)
            qFatal("the baseline found what is not there");
        for (auto cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            for (bool backward : {false, true}) {
                int found = 0;
                const double ours = millisecondsOf(
                    [&] { found = store.find(pattern, 0, store.length(), cs, false, backward); });
                if (found != -1)
                    qFatal("found what is not there");
                const QString name = QString("Find \"%1\", %2%3")
                                         .arg(QString(pattern).replace("\n", "\\n"),
                                              cs == Qt::CaseSensitive ? "match case" : "any case",
                                              backward ? ", up" : "");
                figures << BaselineFigure{name, ours, baseline, "QByteArrayView::indexOf",
                                          "1 GB/s"};
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const QString mb = QString::number(megabytes) + " MB";
    QList<BaselineFigure> figures;

    QByteArray bytes = testText(megabytes << 20, "\r\n", false);
    QByteArray saved(bytes.size() * 2, '\0'); // in use before any writing is timed
    const double copyTime = millisecondsOf([&] { copyAll(bytes, saved); });
    double decodeTime = decodingTime(bytes);

    TextStore store;
    FileFormat format;
    bool loaded = false;
    figures << BaselineFigure{"Load " + mb + " ASCII, CR LF",
                              millisecondsOf([&] { loaded = store.load(bytes, format); }),
                              decodeTime, "QString::fromUtf8", "1 GB < 1 s"};
    if (!loaded)
        qFatal("not loaded");
    figures << BaselineFigure{"Save " + mb + " unedited (1 MB slices)",
                              millisecondsOf([&] { saveAll(store, TextEncoding::Utf8, saved); }),
                              copyTime, "memcpy of 1 MB slices", "about memcpy"};
    if (saved != bytes)
        qFatal("saved bytes differ");

    const int lines = store.lineCount();
    QRandomGenerator random(1);
    qint64 total = 0;
    figures << BaselineFigure{"10,000 lines read, here and there", millisecondsOf([&] {
                                  for (int i = 0; i < 10000; ++i)
                                      total += store.lineText(int(random.bounded(lines))).size();
                              }),
                              0, "-", "< 0.1 ms each"};
    figures << BaselineFigure{"5,000 lines read on from the middle", millisecondsOf([&] {
                                  for (int i = 0; i < 5000; ++i)
                                      total += store.lineText(lines / 2 + i).size();
                              }),
                              0, "-", "scrolling"};
    addSearches(store, bytes, figures);

    const int middle = store.lineStart(lines / 2);
    figures << BaselineFigure{"Type 1,000 characters in the middle", millisecondsOf([&] {
                                  for (int i = 0; i < 1000; ++i)
                                      store.replace(middle + i, middle + i, u"x", LineBreak::CrLf);
                              }),
                              0, "-", "< 1 ms each"};
    std::vector<TextStore::Edit> edits;
    const int step = qMax(1, store.length() / 100000);
    for (int pos = 0; pos + 5 < store.length() && edits.size() < 100000; pos += step)
        edits.push_back({pos, pos + 5, QStringLiteral("ipsum")});
    figures << BaselineFigure{"Replace 100,000 stretches at once",
                              millisecondsOf([&] { store.replace(edits, LineBreak::CrLf); }),
                              decodeTime, "QString::fromUtf8", "about one pass"};
    figures << BaselineFigure{"Save " + mb + " after that",
                              millisecondsOf([&] { saveAll(store, TextEncoding::Utf8, saved); }),
                              copyTime, "memcpy of 1 MB slices", "-"};
    saved = QByteArray();

    bytes = testText(megabytes << 20, "\n", true);
    decodeTime = decodingTime(bytes);
    figures << BaselineFigure{"Load " + mb + " UTF-8 (2-byte letters), LF",
                              millisecondsOf([&] { store.load(bytes, format); }), decodeTime,
                              "QString::fromUtf8", "-"};
    for (auto cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        figures << BaselineFigure{
            QString("Find in UTF-8 text, ") + (cs == Qt::CaseSensitive ? "match case" : "any case"),
            millisecondsOf(
                [&] { store.find(u"not in the text", 0, store.length(), cs, false, false); }),
            decodeTime, "QString::fromUtf8", "-"};
    }
    // One line of 50 MB: a part of it read, and a letter typed in it.
    bytes = QByteArray(50 << 20, 'w');
    store.load(bytes, format);
    QString part;
    figures << BaselineFigure{"Line of 50 MB: 100 characters of its middle read",
                              millisecondsOf([&] { part = store.lineText(0, 25 << 20, 100); }), 0,
                              "-", "about one piece"};
    figures << BaselineFigure{"Line of 50 MB: a letter typed in its middle", millisecondsOf([&] {
                                  store.replace(25 << 20, 25 << 20, u"x", LineBreak::Lf);
                              }),
                              0, "-", "about one piece"};
    total += part.size();
    printBaselineTable(figures);
    return total > 0 ? 0 : 1;
}
