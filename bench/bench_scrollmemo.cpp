// Benchmark of the editor control against a bare QPlainTextEdit measured in the same run.
//
//   build/bench/bench_scrollmemo [--quick] [--huge]
//
// Prints one table: each figure beside its baseline and the ratio. Loads run in child
// processes of this program so that each peak memory figure is its own.

#include "BenchTiming.h"
#include "app/Scrlmemo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace
{

struct Figure {
    QString what;
    double ours;
    double baseline;
    QString unit;
    QString target;
};

// Peak resident memory of this process so far, in MB.
double peakMemoryMb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// A text of about the given size in lines of varying length, with the given line break.
void writeTestFile(const QString& path, qint64 bytes, int lines, const QByteArray& lineBreak)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    const int average = int(bytes / lines) - int(lineBreak.size());
    static const char words[] = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do "
                                "eiusmod tempor incididunt ut labore et dolore magna aliqua ";
    const int wordsLength = int(sizeof(words)) - 1;
    QByteArray chunk;
    QRandomGenerator random(42);
    for (int i = 0; i < lines; ++i) {
        const int length = qMax(0, average - 20 + int(random.bounded(41)));
        const int offset = int(random.bounded(wordsLength - 1));
        QByteArray line;
        while (line.size() < length)
            line += QByteArray(words + offset, wordsLength - offset);
        line.truncate(length);
        chunk += line + lineBreak;
        if (chunk.size() > (8 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

void showSized(QWidget& widget)
{
    widget.resize(800, 600);
    widget.show();
    QCoreApplication::processEvents();
}

void paintNow(QAbstractScrollArea& area)
{
    area.viewport()->repaint();
    QCoreApplication::processEvents();
}

void loadShownAndPainted(TScrollMemo& memo, const QString& path)
{
    showSized(memo);
    if (!memo.LoadLinesFromFile(path).ok)
        qFatal("cannot load %s", qPrintable(path));
    paintNow(memo);
}

void loadShownAndPainted(QPlainTextEdit& edit, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    edit.setPlainText(QString::fromUtf8(file.readAll()));
    showSized(edit);
    paintNow(edit);
}

// ---- Child process cases: print "<milliseconds> <peak MB>" -----------------------------

int loadOurs(const QString& path)
{
    TScrollMemo memo;
    memo.SetScrollBars(ScrollBarsMode::Both);
    const double ms = millisecondsOf([&] {
        showSized(memo);
        if (!memo.LoadLinesFromFile(path).ok)
            qFatal("load failed");
        paintNow(memo);
    });
    std::printf("%.1f %.1f\n", ms, peakMemoryMb());
    return 0;
}

int loadBaseline(const QString& path)
{
    QPlainTextEdit edit;
    const double ms = millisecondsOf([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read");
        edit.setPlainText(QString::fromUtf8(file.readAll()));
        showSized(edit);
        paintNow(edit);
    });
    std::printf("%.1f %.1f\n", ms, peakMemoryMb());
    return 0;
}

// ---- In-process cases ------------------------------------------------------------------

void placeCaret(QPlainTextEdit& edit, int docPos)
{
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(docPos);
    edit.setTextCursor(cursor);
}

void placeCaret(TScrollMemo& memo, int docPos)
{
    memo.SetSelStart(memo.fromDocPos(docPos));
    memo.ScrollCaretIntoView();
}

// Time of one key typed at a position and painted, as the median of a few keystrokes.
template <typename Edit> double keystrokeMs(Edit& edit, int docPos)
{
    QVector<double> times;
    for (int i = 0; i < 5; ++i) {
        placeCaret(edit, docPos);
        paintNow(edit);
        times << millisecondsOf([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x");
            QApplication::sendEvent(&edit, &press);
            QApplication::sendEvent(&edit, &release);
            paintNow(edit);
        });
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct ChildResult {
    double ms = 0;
    double mb = 0;
};

ChildResult runChild(const QString& which, const QString& path)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--child", which, path});
    if (!child.waitForFinished(10 * 60 * 1000) || child.exitCode() != 0)
        qFatal("child %s failed", qPrintable(which));
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    return {parts.value(0).toDouble(), parts.value(1).toDouble()};
}

void loadFigures(QList<Figure>& figures, const QString& path, const QString& style)
{
    const ChildResult ours = runChild("load-ours", path);
    const ChildResult base = runChild("load-baseline", path);
    figures << Figure{"load " + style + ", time", ours.ms, base.ms, "ms", "<= 0.08 x"}
            << Figure{"load " + style + ", peak memory", ours.mb, base.mb, "MB", "<= 0.3 x"};
}

void editingFigures(QList<Figure>& figures, const QString& path)
{
    TScrollMemo memo;
    loadShownAndPainted(memo, path);
    QPlainTextEdit bare;
    loadShownAndPainted(bare, path);

    const int end = memo.toDocPos(memo.TextLength());
    const QList<QPair<QString, int>> places = {{"start", 0}, {"middle", end / 2}, {"end", end}};
    for (const auto& [name, pos] : places) {
        figures << Figure{"keystroke at " + name, keystrokeMs(memo, pos), keystrokeMs(bare, pos),
                          "ms", "< 5 ms"};
    }

    // Conversions each way over random positions; the baseline is the document's own
    // block lookup that both rest on.
    const int count = 1000000;
    const int specEnd = memo.TextLength();
    QVector<int> positions(count);
    QRandomGenerator random(7);
    for (int& p : positions)
        p = int(random.bounded(specEnd + 1));
    volatile int sink = 0;
    const double toDoc = millisecondsOf([&] {
        for (int p : positions)
            sink = sink + memo.toDocPos(p);
    });
    const double fromDoc = millisecondsOf([&] {
        for (int p : positions)
            sink = sink + memo.fromDocPos(qMin(p, end));
    });
    const double findBlock = millisecondsOf([&] {
        for (int p : positions)
            sink = sink + bare.document()->findBlock(qMin(p, end)).blockNumber();
    });
    figures << Figure{"CR LF position -> document (per call)", toDoc * 1000 / count,
                      findBlock * 1000 / count, "us", "< 5 us"}
            << Figure{"document -> CR LF position (per call)", fromDoc * 1000 / count,
                      findBlock * 1000 / count, "us", "< 5 us"};

    // One untimed call each first: the first touch of a few hundred fresh megabytes costs
    // this virtual machine more than the copy itself, and would hit whichever runs first.
    QString fullText = memo.FullText();
    fullText = bare.toPlainText();
    fullText.clear();
    const double ours = millisecondsOf([&] { fullText = memo.FullText(); });
    const int length = int(fullText.size());
    fullText.clear();
    const double base = millisecondsOf([&] { fullText = bare.toPlainText(); });
    figures << Figure{QString("FullText (%1 M characters)").arg(length / 1e6, 0, 'f', 1), ours,
                      base, "ms", "< 1000 ms"};
}

void colourFigures(QList<Figure>& figures, const QString& path)
{
    const int ranges = 100000;
    TScrollMemo memo;
    loadShownAndPainted(memo, path);
    const int step = memo.TextLength() / ranges;
    const double plainPaint = millisecondsOf([&] { paintNow(memo); });
    const double colour = millisecondsOf([&] {
        memo.BeginBulkUpdate();
        for (int i = 0; i < ranges; ++i) {
            memo.SetSelStart(i * step);
            memo.SetSelLength(5);
            memo.SetSelectionColor(Qt::red);
        }
        memo.SetSelStart(0);
        memo.EndBulkUpdate();
        paintNow(memo);
    });
    const double colouredPaint = millisecondsOf([&] { paintNow(memo); });

    // Baseline: character formats in one edit block, as a rich-text editor would colour.
    QPlainTextEdit bare;
    loadShownAndPainted(bare, path);
    const int bareStep = (bare.document()->characterCount() - 1) / ranges;
    const double bareColour = millisecondsOf([&] {
        QTextCharFormat red;
        red.setForeground(Qt::red);
        QTextCursor cursor(bare.document());
        cursor.beginEditBlock();
        for (int i = 0; i < ranges; ++i) {
            cursor.setPosition(i * bareStep);
            cursor.setPosition(i * bareStep + 5, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(red);
        }
        cursor.endEditBlock();
        paintNow(bare);
    });
    const double barePaint = millisecondsOf([&] { paintNow(bare); });
    figures << Figure{"colour 100,000 ranges in 10 MB and paint", colour, bareColour, "ms",
                      "< 300 ms"}
            << Figure{"paint with 100,000 ranges (without: " + QString::number(plainPaint, 'f', 1) +
                          " ms)",
                      colouredPaint, barePaint, "ms", "unaffected"};
}

// Median time of a key pressed and the view painted, a few presses in a row.
double keyStepMs(TScrollMemo& memo, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QVector<double> times;
    for (int i = 0; i < 5; ++i) {
        times << millisecondsOf([&] {
            QKeyEvent press(QEvent::KeyPress, key, modifiers);
            QApplication::sendEvent(&memo, &press);
            paintNow(memo);
        });
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A file of about a gigabyte and one line of 50 MB. The bare widget takes minutes on these
// (and 26 s a keystroke on the long line), so the figures stand against fixed targets.
void hugeFigures(QList<Figure>& figures, const QString& gigabyte, const QString& longLine)
{
    const ChildResult load = runChild("load-ours", gigabyte);
    const double size = QFileInfo(gigabyte).size() / 1e6;
    figures << Figure{"1 GB: load, time", load.ms, 0, "ms", "< 3000 ms"}
            << Figure{QString("1 GB: load, peak memory (file %1 MB)").arg(size, 0, 'f', 0), load.mb,
                      0, "MB", "< 1.3 x file"};
    {
        TScrollMemo memo;
        loadShownAndPainted(memo, gigabyte);
        memo.SetSelStart(0);
        figures << Figure{"1 GB: page down", keyStepMs(memo, Qt::Key_PageDown), 0, "ms", "< 50 ms"}
                << Figure{"1 GB: to the end (Ctrl+End)",
                          keyStepMs(memo, Qt::Key_End, Qt::ControlModifier), 0, "ms", "< 50 ms"}
                << Figure{"1 GB: keystroke at the end",
                          keystrokeMs(memo, memo.toDocPos(memo.TextLength())), 0, "ms", "< 50 ms"};
        const double search =
            millisecondsOf([&] { memo.FindTextRange("no such words", 0, -1, true, false); });
        const double folded =
            millisecondsOf([&] { memo.FindTextRange("No Such Words", 0, -1, false, false); });
        figures << Figure{"1 GB: search, no match (GB/s)", size / search, 0, "GB/s", ">= 1"}
                << Figure{"1 GB: search ignoring case, no match (GB/s)", size / folded, 0, "GB/s",
                          ""};
        const QString saved = gigabyte + ".saved";
        const double save = millisecondsOf([&] { memo.SaveLinesToFile(saved); });
        QFile::remove(saved);
        figures << Figure{"1 GB: save after an edit", save, 0, "ms", ""};
    }

    const ChildResult line = runChild("load-ours", longLine);
    figures << Figure{"one 50 MB line: load, time", line.ms, 0, "ms", "< 3000 ms"};
    TScrollMemo memo;
    loadShownAndPainted(memo, longLine);
    const int middle = memo.TextLength() / 2;
    figures << Figure{"one 50 MB line: keystroke in the middle", keystrokeMs(memo, middle), 0, "ms",
                      "< 50 ms"};
    memo.SetWordWrap(true);
    paintNow(memo);
    figures << Figure{"one 50 MB line, word wrap: keystroke in the middle",
                      keystrokeMs(memo, middle), 0, "ms", "< 50 ms"};
}

void printTable(const QList<Figure>& figures)
{
    QTextStream out(stdout);
    out << QString("%1 %2 %3 %4  %5\n")
               .arg("measure", -52)
               .arg("ours", 10)
               .arg("baseline", 10)
               .arg("ratio", 7)
               .arg("target");
    for (const Figure& f : figures) {
        out << QString("%1 %2 %3 %4  %5\n")
                   .arg(f.what, -52)
                   .arg(QString::number(f.ours, 'f', 2) + " " + f.unit, 10)
                   .arg(QString::number(f.baseline, 'f', 2) + " " + f.unit, 10)
                   .arg(f.baseline > 0 ? QString::number(f.ours / f.baseline, 'f', 2) : "-", 7)
                   .arg(f.target);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == "--child") {
        const QString which = args.value(2);
        return which == "load-ours" ? loadOurs(args.value(3)) : loadBaseline(args.value(3));
    }

    const bool quick = args.contains("--quick");
    const qint64 bigBytes = quick ? 10'000'000 : 100'000'000;
    const int bigLines = quick ? 150'000 : 1'500'000;
    QTemporaryDir dir;
    const QString crlf = dir.filePath("big-crlf.txt");
    const QString lf = dir.filePath("big-lf.txt");
    const QString small = dir.filePath("ten-mb.txt");
    std::fprintf(stderr, "generating test files in %s\n", qPrintable(dir.path()));
    writeTestFile(crlf, bigBytes, bigLines, "\r\n");
    writeTestFile(lf, bigBytes, bigLines, "\n");
    writeTestFile(small, 10'000'000, 150'000, "\r\n");

    QList<Figure> figures;
    std::fprintf(stderr, "loading\n");
    loadFigures(figures, crlf, "CR LF");
    loadFigures(figures, lf, "LF");
    std::fprintf(stderr, "editing\n");
    editingFigures(figures, crlf);
    std::fprintf(stderr, "colouring\n");
    colourFigures(figures, small);
    if (args.contains("--huge")) {
        std::fprintf(stderr, "generating a 1 GB file and a 50 MB line\n");
        const QString gigabyte = dir.filePath("one-gb.txt");
        const QString longLine = dir.filePath("long-line.txt");
        writeTestFile(gigabyte, 1'000'000'000, 15'000'000, "\n");
        writeTestFile(longLine, 50'000'000, 1, "");
        hugeFigures(figures, gigabyte, longLine);
    }
    printTable(figures);
    return 0;
}
