// Benchmark of Replace Special through its dialog: 20 documents of 1 MB with 10,000
// replacements each, one document of 50 MB with 500,000, and the 'ab' -> 'a' chain on
// lines of 'abbb...' (every replacement forms the next occurrence) at 1 MB and 2 MB. Beside each,
// sed doing one pass of the same replacement over the same files in the same run.
//
//   build/bench/bench_replace

#include "BenchPlatform.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "editing/Unit9.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

// CR LF lines of about 100 characters; every line holds the word "needle" once.
QByteArray documentOf(qint64 size)
{
    const QByteArray line = "lorem ipsum dolor sit amet needle consectetur adipiscing elit sed "
                            "do eiusmod tempor incididunt ut\r\n";
    QByteArray text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    return text;
}

double shellMilliseconds(const QString& command)
{
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    return timer.nsecsElapsed() / 1e6;
}

struct Run {
    double milliseconds = 0;
    qsizetype left = 0; // occurrences left afterwards
};

// Opens the files, replaces through the dialog, and closes them unsaved.
Run replaceIn(TForm1& form1, TForm9& dialog, const QStringList& paths, const QString& find,
              const QString& replacement)
{
    for (const QString& path : paths)
        form1.OpenFileInNewWindow(path);
    QCoreApplication::processEvents();
    dialog.Memo1->SetFullText(find);
    dialog.Memo2->SetFullText(replacement);
    // Until the closing message and the active document drawn anew; the word-wrap layout
    // of the changed lines goes on afterwards in slices between the user's input.
    QElapsedTimer timer;
    timer.start();
    dialog.Button1Click();
    form1.ActiveMemo()->viewport()->repaint();
    Run run{timer.nsecsElapsed() / 1e6, 0};
    for (QMdiSubWindow* window : form1.DocumentWindows()) {
        TScrollMemo* memo = TForm1::MemoOf(window);
        run.left += memo->FullText().count(find);
        memo->SetModifiedFlag(false);
    }
    form1.CloseAll1Click();
    QCoreApplication::processEvents();
    return run;
}

QString figure(double ours, double sed)
{
    return QString("%1 ms (sed one pass %2 ms, ratio %3)")
        .arg(ours, 0, 'f', 0)
        .arg(sed, 0, 'f', 0)
        .arg(ours / sed, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    PrepareBenchEnvironment(dir.path());
    QApplication app(argc, argv);

    QStringList small;
    const QByteArray megabyte = documentOf(1 << 20);
    for (int i = 0; i < 20; ++i) {
        small << dir.filePath(QString("small%1.txt").arg(i));
        WriteBenchFile(small.last(), megabyte);
    }
    const QString large = dir.filePath("large.txt");
    WriteBenchFile(large, documentOf(50 << 20));
    const QString chain1 = dir.filePath("chain1.txt");
    const QString chain2 = dir.filePath("chain2.txt");
    // Lines of 1 KB ("a" and then b's), so that the layout of one huge line does not count.
    const QByteArray chainLine = "a" + QByteArray(1021, 'b') + "\r\n";
    WriteBenchFile(chain1, chainLine.repeated(1 << 10));
    WriteBenchFile(chain2, chainLine.repeated(2 << 10));

    BenchMainWindow bench;
    TForm1& form1 = bench.form1;
    auto* dialog = new TForm9(form1);

    auto sed = [&](const QString& expression, const QStringList& paths) {
        return shellMilliseconds("sed '" + expression + "' '" + paths.join("' '") + "' >/dev/null");
    };
    const Run many = replaceIn(form1, *dialog, small, "needle", "pin");
    const double manySed = sed("s/needle/pin/g", small);
    const Run one = replaceIn(form1, *dialog, {large}, "needle", "pin");
    const double oneSed = sed("s/needle/pin/g", {large});
    const Run chainSmall = replaceIn(form1, *dialog, {chain1}, "ab", "a");
    const Run chainLarge = replaceIn(form1, *dialog, {chain2}, "ab", "a");
    const double chainSed = sed("s/ab/a/g", {chain1});

    QTextStream out(stdout);
    out << "20 x 1 MB, 10,000 replacements each: " << figure(many.milliseconds, manySed)
        << "; target < 1000 ms\n"
        << "50 MB, 500,000 replacements:         " << figure(one.milliseconds, oneSed)
        << "; target < 2000 ms\n"
        << "'ab' -> 'a' on 1 MB of 'abbb...':    " << figure(chainSmall.milliseconds, chainSed)
        << "\n"
        << "'ab' -> 'a' on 2 MB of 'abbb...':    "
        << QString("%1 ms, ratio to 1 MB %2 (linear: about 2)\n")
               .arg(chainLarge.milliseconds, 0, 'f', 0)
               .arg(chainLarge.milliseconds / chainSmall.milliseconds, 0, 'f', 2);
    const bool allReplaced =
        many.left == 0 && one.left == 0 && chainSmall.left == 0 && chainLarge.left == 0;
    if (!allReplaced)
        out << "occurrences left: not every one was replaced\n";
    return allReplaced && many.milliseconds < 1000 && one.milliseconds < 2000 ? 0 : 1;
}
