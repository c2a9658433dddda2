// The editor control under random files and random edits, with fixed seeds: files come back
// byte for byte, each line keeps its own line break, and what is painted is the colour list.

#include "support/TestQueries.h"

#include "app/Scrlmemo.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Bytes rich in what files hold that is hard to keep: every kind of line break, bytes that
// are not UTF-8, and UTF-8 characters the document treats specially.
QByteArray randomFileBytes(QRandomGenerator& random)
{
    static const QByteArray pieces[] = {
        "\r",
        "\n",
        "\r\n",
        "a",
        "b",
        " ",
        "\t",
        "\xc3\xa9",
        "\xf0\x9f\x98\x80",
        "\xe2\x80\xa8", // line separator
        "\xe2\x80\xa9", // paragraph separator
        "\xef\xb7\x90", // U+FDD0
        "\xef\xbb\xbf", // byte-order mark
        "\xc2\xa0",     // no-break space
        QByteArray("\0", 1),
    };
    QByteArray bytes;
    const int length = random.bounded(200);
    for (int i = 0; i < length; ++i) {
        if (random.bounded(8) == 0)
            bytes += char(random.bounded(256)); // anything, often not UTF-8
        else
            bytes += pieces[random.bounded(int(std::size(pieces)))];
    }
    return bytes;
}

// A text as lines, each with the break that ends it (the last line has none).
struct Line {
    QString text;
    LineBreak end;
};

QByteArray encode(const QList<Line>& lines)
{
    QByteArray bytes;
    for (int i = 0; i < lines.size(); ++i) {
        bytes += lines[i].text.toUtf8();
        if (i + 1 < lines.size())
            bytes += lineBreakBytes(lines[i].end);
    }
    return bytes;
}

// The CR LF position of the start of line i.
int lineStart(const QList<Line>& lines, int i)
{
    int pos = 0;
    for (int k = 0; k < i; ++k)
        pos += int(lines[k].text.size()) + 2;
    return pos;
}

QString randomWord(QRandomGenerator& random)
{
    return QString(1 + random.bounded(3), QChar(u'p' + random.bounded(4)));
}

// The formats the control gives its view to paint on each line, as "line:offset+length"
// items, and the same worked out from the colour list.
QStringList paintedFormats(const TScrollMemo& memo)
{
    QStringList painted;
    const TextViewSource* lines = memo.source();
    for (int line = 0; line < lines->lineCount(); ++line) {
        for (const QTextLayout::FormatRange& range :
             lines->lineFormats(line, 0, lines->lineLength(line)))
            painted << QStringLiteral("%1:%2+%3 %4")
                           .arg(line)
                           .arg(range.start)
                           .arg(range.length)
                           .arg(range.format.foreground().color().name());
    }
    return painted;
}

QStringList listedFormats(const TScrollMemo& memo)
{
    QStringList listed;
    const TextViewSource* lines = memo.source();
    for (int line = 0; line < lines->lineCount(); ++line) {
        const int start = lines->lineStart(line);
        const int end = start + lines->lineLength(line);
        for (const ColorRange& range : memo.Colors().ranges()) {
            const int from = qMax(range.start, start);
            const int to = qMin(range.end, end);
            if (to > from)
                listed << QStringLiteral("%1:%2+%3 %4")
                              .arg(line)
                              .arg(from - start)
                              .arg(to - from)
                              .arg(QColor::fromRgb(range.color).name());
        }
    }
    return listed;
}

} // namespace

class TestMemoFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomFilesComeBackByteForByte();
    void eachLineKeepsItsLineBreakThroughEdits();
    void undoBackToTheSavedTextGivesItsLineBreaksBack();
    void paintedColoursAreTheColourList();

private:
    QTemporaryDir m_dir;
};

void TestMemoFuzz::randomFilesComeBackByteForByte()
{
    QRandomGenerator random(20261208);
    const QString in = m_dir.filePath("in.bin");
    const QString out = m_dir.filePath("out.bin");
    TScrollMemo memo;
    for (int round = 0; round < 1500; ++round) {
        const QByteArray bytes = randomFileBytes(random);
        QVERIFY(writeFile(in, bytes));
        QVERIFY(memo.LoadLinesFromFile(in).ok);
        QVERIFY(memo.SaveLinesToFile(out).ok);
        const QByteArray saved = readFile(out);
        if (saved != bytes)
            QFAIL(qPrintable(QStringLiteral("round %1: %2 came back as %3")
                                 .arg(round)
                                 .arg(QString::fromLatin1(bytes.toHex()))
                                 .arg(QString::fromLatin1(saved.toHex()))));
    }
}

void TestMemoFuzz::eachLineKeepsItsLineBreakThroughEdits()
{
    QRandomGenerator random(4242);
    const QString path = m_dir.filePath("lines.txt");
    const LineBreak kinds[] = {LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr};
    for (int round = 0; round < 150; ++round) {
        QList<Line> lines;
        const int count = 2 + random.bounded(8);
        for (int i = 0; i < count; ++i)
            lines << Line{randomWord(random), kinds[random.bounded(3)]};
        QVERIFY(writeFile(path, encode(lines)));
        TScrollMemo memo;
        QVERIFY(memo.LoadLinesFromFile(path).ok);
        const LineBreak typed = memo.Format().lineBreak; // that of the first break
        QCOMPARE(typed, lines[0].end);

        for (int step = 0; step < 12; ++step) {
            const int i = random.bounded(int(lines.size()));
            const int a = random.bounded(int(lines[i].text.size()) + 1);
            QString operation;
            switch (random.bounded(5)) {
            case 0: { // typing inside a line
                const QString word = randomWord(random);
                memo.SetSelStart(lineStart(lines, i) + a);
                memo.ReplaceSelection(word);
                lines[i].text.insert(a, word);
                operation = "type";
                break;
            }
            case 1: { // Enter: the first part ends with a new break, the rest as the line did
                memo.SetSelStart(lineStart(lines, i) + a);
                memo.ReplaceSelection("\r\n");
                const Line rest{lines[i].text.mid(a), lines[i].end};
                lines[i] = Line{lines[i].text.left(a), typed};
                lines.insert(i + 1, rest);
                operation = "enter";
                break;
            }
            case 2:   // a stretch from inside line i to inside a later line, replaced
            case 3: { // by text with or without breaks
                if (i + 1 >= lines.size())
                    continue;
                const int j = i + 1 + random.bounded(int(lines.size()) - i - 1);
                const int b = random.bounded(int(lines[j].text.size()) + 1);
                const bool twoLines = random.bounded(2) == 0;
                memo.SetSelStart(lineStart(lines, i) + a);
                memo.SetSelLength(lineStart(lines, j) + b - lineStart(lines, i) - a);
                memo.ReplaceSelection(twoLines ? "P\r\nQ" : "R");
                const QString head = lines[i].text.left(a);
                const Line tail{lines[j].text.mid(b), lines[j].end};
                lines.erase(lines.begin() + i, lines.begin() + j + 1);
                if (twoLines) {
                    lines.insert(i, Line{"Q" + tail.text, tail.end});
                    lines.insert(i, Line{head + "P", typed});
                } else {
                    lines.insert(i, Line{head + "R" + tail.text, tail.end});
                }
                operation = "replace across lines";
                break;
            }
            case 4: { // one replacement in each of several lines at once
                QList<int> positions;
                for (int k = 0; k < lines.size(); ++k) {
                    if (!lines[k].text.isEmpty() && random.bounded(2) == 0) {
                        positions << lineStart(lines, k);
                        lines[k].text.replace(0, 1, "Z");
                    }
                }
                memo.ReplaceMatches(positions, 1, "Z");
                operation = "replace in many lines";
                break;
            }
            }
            QVERIFY(memo.SaveLinesToFile(path).ok);
            const QByteArray expected = encode(lines);
            if (readFile(path) != expected)
                QFAIL(qPrintable(QStringLiteral("round %1 step %2 (%3): %4 instead of %5")
                                     .arg(round)
                                     .arg(step)
                                     .arg(operation)
                                     .arg(QString::fromLatin1(readFile(path).toHex()))
                                     .arg(QString::fromLatin1(expected.toHex()))));
        }
    }
}

void TestMemoFuzz::undoBackToTheSavedTextGivesItsLineBreaksBack()
{
    QRandomGenerator random(777);
    const QString path = m_dir.filePath("undo.txt");
    for (int round = 0; round < 100; ++round) {
        QByteArray bytes;
        for (int i = 0; i < 12; ++i)
            bytes += "line" + QByteArray::number(i) +
                     QByteArray(i % 3 == 0 ? "\r\n" : (i % 3 == 1 ? "\n" : "\r"));
        QVERIFY(writeFile(path, bytes));
        TScrollMemo memo;
        QVERIFY(memo.LoadLinesFromFile(path).ok);
        // Edits that take breaks away and put new ones in, each its own undo step.
        const int edits = 1 + random.bounded(6);
        for (int k = 0; k < edits; ++k) {
            const int start = random.bounded(memo.TextLength());
            memo.SetSelStart(start);
            memo.SetSelLength(random.bounded(qMin(30, memo.TextLength() - memo.SelStart()) + 1));
            memo.ReplaceSelection(random.bounded(2) ? "x\r\ny" : "");
        }
        while (memo.CanUndo() && memo.ModifiedFlag())
            memo.UndoLast();
        QVERIFY(!memo.ModifiedFlag());
        QVERIFY(memo.SaveLinesToFile(path).ok);
        QCOMPARE(readFile(path), bytes);
    }
}

void TestMemoFuzz::paintedColoursAreTheColourList()
{
    QRandomGenerator random(99);
    const QColor colors[] = {QColor(255, 0, 0), QColor(0, 0, 128)};
    const QString pieces[] = {"ab", "c", " ", "\r\n", "de\r\nf", "\r\n\r\n"};
    int checks = 0;
    for (int round = 0; round < 1000; ++round) {
        TScrollMemo memo;
        memo.SetEditorFont(QFont("DejaVu Sans Mono", 9), Qt::black);
        memo.SetFullText("hello world\r\nsecond line\r\nthird");
        for (int step = 0; step < 15; ++step) {
            const int length = memo.TextLength();
            const int start = random.bounded(length + 1);
            const int span = random.bounded(qMin(12, length - start) + 1);
            QString operation;
            switch (random.bounded(7)) {
            case 0:
            case 1: // colour a stretch, also an empty one
                memo.SetRangeColor(start, span, colors[random.bounded(2)]);
                operation = "colour";
                break;
            case 2:
                memo.SetRangeColor(start, span, Qt::black);
                operation = "uncolour";
                break;
            case 3: // typing, also right after coloured text
                memo.SetSelStart(start);
                QTest::keyClicks(&memo, "xy");
                operation = "type";
                break;
            case 4: // replacing a selection, with line breaks or none
                memo.SetSelStart(start);
                memo.SetSelLength(span);
                memo.ReplaceSelection(pieces[random.bounded(int(std::size(pieces)))]);
                operation = "replace";
                break;
            case 5:
                memo.UndoLast();
                operation = "undo";
                break;
            case 6: // colours set while repainting waits
                memo.BeginBulkUpdate();
                memo.SetRangeColor(start, span, colors[0]);
                memo.SetSelStart(start);
                memo.ReplaceSelection(pieces[random.bounded(int(std::size(pieces)))]);
                memo.EndBulkUpdate();
                operation = "bulk";
                break;
            }
            ++checks;
            const QStringList painted = paintedFormats(memo);
            const QStringList listed = listedFormats(memo);
            if (painted != listed)
                QFAIL(qPrintable(QStringLiteral("round %1 step %2 (%3) in \"%4\": painted %5, "
                                                "listed %6")
                                     .arg(round)
                                     .arg(step)
                                     .arg(operation, memo.FullText().replace("\r\n", "|"),
                                          painted.join(", "), listed.join(", "))));
        }
    }
    QCOMPARE(checks, 15000);
}

QTEST_MAIN(TestMemoFuzz)
#include "tst_memofuzz.moc"
