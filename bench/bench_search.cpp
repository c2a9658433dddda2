// Benchmark of find, replace and highlight on a 10 MB document with 100,000 occurrences of
// a word, through the main window's own commands, beside sed and grep doing the same work
// on the same file in the same run.
//
//   build/bench/bench_search

#include "BenchPlatform.h"
#include "BenchTiming.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "editing/FindDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{

constexpr int Occurrences = 100000;
const QString Word = QStringLiteral("needle");

double shellMilliseconds(const QString& command)
{
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    return timer.nsecsElapsed() / 1e6;
}

// About 10 MB in 150,000 CR LF lines; the word stands in two lines of every three; the
// first line is found nowhere else.
QByteArray testText()
{
    QByteArray text = "the very first line\r\n";
    const QByteArray filler = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do";
    for (int line = 0, placed = 0; line < 150000; ++line) {
        QByteArray row = filler;
        if (line % 3 != 2 && placed < Occurrences) {
            row.insert((line * 7) % 40, Word.toLatin1() + ' ');
            ++placed;
        }
        text += row + "\r\n";
    }
    return text;
}

void paint(TScrollMemo* memo)
{
    memo->viewport()->repaint();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    PrepareBenchEnvironment(dir.path());
    QApplication app(argc, argv);

    const QString path = dir.filePath("haystack.txt");
    WriteBenchFile(path, testText());

    BenchMainWindow bench;
    TForm1& form1 = bench.form1;
    form1.OpenFileInNewWindow(path);
    TScrollMemo* memo = form1.ActiveMemo();
    memo->SetWordWrap(false);
    paint(memo);
    const QString original = memo->FullText();
    QList<BaselineFigure> figures;

    // F3 from the start to the last occurrence, one press at a time.
    form1.FindDialog1->SetFindText(Word);
    form1.FindDialog1->SetDown(true);
    memo->SetSelStart(0);
    QVector<double> presses;
    for (int i = 0; i < Occurrences; ++i)
        presses << millisecondsOf([&] { form1.Findnext1Click(); });
    paint(memo);
    std::sort(presses.begin(), presses.end());
    const double grepFirst = shellMilliseconds("grep -m1 -b -o needle '" + path + "' >/dev/null");
    figures << BaselineFigure{"F3, median of 100,000 presses", presses[presses.size() / 2],
                              grepFirst, "grep, first match", "< 50 ms each"}
            << BaselineFigure{"F3, slowest press", presses.last(), grepFirst, "grep, first match",
                              "< 50 ms each"};

    // Find upwards from the end: the nearest occurrence, and the farthest one.
    form1.FindDialog1->SetDown(false);
    memo->SetSelStart(memo->TextLength());
    const double upNear = millisecondsOf([&] { form1.Findnext1Click(); });
    form1.FindDialog1->SetFindText(QStringLiteral("the very first line"));
    memo->SetSelStart(memo->TextLength());
    const double upFar = millisecondsOf([&] { form1.Findnext1Click(); });
    const double tacNear = shellMilliseconds("tac '" + path + "' | grep -m1 needle >/dev/null");
    const double tacFar =
        shellMilliseconds("tac '" + path + "' | grep -m1 'the very first line' >/dev/null");
    const bool foundFirst = memo->SelStart() == 0;
    figures << BaselineFigure{"Search up from the end, nearest match", upNear, tacNear,
                              "tac | grep -m1", "< 100 ms"}
            << BaselineFigure{QString("Search up from the end to the first line (%1)")
                                  .arg(foundFirst ? "found" : "NOT FOUND"),
                              upFar, tacFar, "tac | grep -m1", "< 100 ms"};

    // Find and Highlight of every occurrence, painted.
    memo->SetSelStart(0);
    const double highlight = millisecondsOf([&] {
        form1.HighlightAllOccurrences(memo, Word, false);
        paint(memo);
    });
    const double grepAll = shellMilliseconds("grep -o needle '" + path + "' | wc -l >/dev/null");
    figures << BaselineFigure{"Highlight all 100,000 occurrences", highlight, grepAll,
                              "grep -o | wc -l", "< 500 ms"};

    // Replace All from the start, painted, then one Undo.
    form1.ReplaceDialog1->SetFindText(Word);
    form1.ReplaceDialog1->SetReplaceText(QStringLiteral("pin"));
    memo->SetSelStart(0);
    const double replaceAll = millisecondsOf([&] {
        form1.ReplaceStep(memo, true);
        paint(memo);
    });
    const int replaced = int(memo->FullText().count(QStringLiteral("pin ")));
    const double undo = millisecondsOf([&] {
        form1.Undo1Click();
        paint(memo);
    });
    const bool restored = memo->FullText() == original;
    const double sed =
        shellMilliseconds("sed 's/needle/pin/g' '" + path + "' > '" + path + ".sed'");
    figures << BaselineFigure{QString("Replace All (%1 replaced)").arg(replaced), replaceAll, sed,
                              "sed s///g", "< 1000 ms"}
            << BaselineFigure{QString("Undo of Replace All (%1)")
                                  .arg(restored ? "text restored" : "NOT RESTORED"),
                              undo, sed, "sed s///g", "one Undo"};

    printBaselineTable(figures);
    form1.ActiveMemo()->SetModifiedFlag(false);
    return restored && replaced == Occurrences ? 0 : 1;
}
