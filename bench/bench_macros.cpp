// Benchmark of a function-key macro of 10,000 statements (InsertText, MoveSelPosBy and
// FindDown in turn) run by its key on a 1 MB and on a 10 MB document in the same run. The
// 1 MB run is the baseline: the cost per statement should not grow with the document.
//
//   build/bench/bench_macros

#include "BenchPlatform.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "editing/Macros.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

constexpr int Statements = 10000;

// CR LF lines of about 60 characters; every fourth holds the word the macro looks for.
QByteArray documentOf(qint64 size)
{
    QByteArray text;
    const QByteArray plain = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do";
    const QByteArray found = "lorem ipsum needle sit amet consectetur adipiscing elit sed do";
    for (int line = 0; text.size() < size; ++line)
        text += (line % 4 == 3 ? found : plain) + "\r\n";
    return text;
}

QByteArray macro()
{
    QByteArray lines;
    for (int i = 0; i < Statements; ++i) {
        switch (i % 3) {
        case 0:
            lines += "InsertText(\"[%ROW%]\");\r\n";
            break;
        case 1:
            lines += "MoveSelPosBy(\"5\");\r\n";
            break;
        default:
            lines += "FindDown(\"needle\");\r\n";
        }
    }
    return lines;
}

struct Run {
    double milliseconds = 0;
    qsizetype inserted = 0; // the InsertText statements that ran
};

// Opens the file, presses F5 with the caret at the start, and times the press, painting
// included.
Run runMacroOn(TForm1& form1, const QString& path)
{
    form1.OpenFileInNewWindow(path);
    TScrollMemo* memo = form1.ActiveMemo();
    memo->SetWordWrap(false);
    memo->viewport()->repaint();
    memo->SetSelStart(0);
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QApplication::sendEvent(memo, &press);
    memo->viewport()->repaint();
    QCoreApplication::processEvents();
    const Run run{timer.nsecsElapsed() / 1e6, memo->FullText().count(u']')};
    memo->SetModifiedFlag(false);
    form1.CloseAll1Click();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    PrepareBenchEnvironment(dir.path());
    QApplication app(argc, argv);

    const QString small = dir.filePath("small.txt");
    const QString large = dir.filePath("large.txt");
    WriteBenchFile(small, documentOf(1 << 20));
    WriteBenchFile(large, documentOf(10 << 20));
    WriteBenchFile(dir.filePath(MacroFileName(5)), macro());

    BenchMainWindow bench;
    TForm1& form1 = bench.form1;

    const Run baseline = runMacroOn(form1, small);
    const Run ours = runMacroOn(form1, large);
    const qsizetype expected = (Statements + 2) / 3;
    QTextStream out(stdout);
    out << QString("10,000 statements, 1 MB document (baseline): %1 ms, %2 of %3 insertions\n")
               .arg(baseline.milliseconds, 0, 'f', 1)
               .arg(baseline.inserted)
               .arg(expected)
        << QString("10,000 statements, 10 MB document:           %1 ms, %2 of %3 insertions\n")
               .arg(ours.milliseconds, 0, 'f', 1)
               .arg(ours.inserted)
               .arg(expected)
        << QString("ratio 10 MB / 1 MB: %1 (target: about 1; under 2 s)\n")
               .arg(ours.milliseconds / baseline.milliseconds, 0, 'f', 2);
    const bool allRan = baseline.inserted == expected && ours.inserted == expected;
    return allRan && ours.milliseconds < 2000 ? 0 : 1;
}
