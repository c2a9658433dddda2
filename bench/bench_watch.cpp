// Watching the files of open documents costs nothing while nothing changes: the processor
// time of the idle main window with 200 open files beside that with none, in the same run;
// and the time from another program's change of one of them to its bar.

#include "BenchPlatform.h"

#include "app/Scrlmemo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QTextStream>
#include <QTimer>

#include <ctime>

namespace
{

constexpr int Files = 200;
constexpr int IdleMs = 5000;

// Milliseconds of processor time the process spends while the event loop idles.
double idleCpuMs()
{
    const std::clock_t before = std::clock();
    QEventLoop idle;
    QTimer::singleShot(IdleMs, &idle, &QEventLoop::quit);
    idle.exec();
    return double(std::clock() - before) * 1000.0 / CLOCKS_PER_SEC;
}

} // namespace

int main(int argc, char** argv)
{
    BenchRun run(argc, argv);

    const double baseline = idleCpuMs();
    QList<TScrollMemo*> memos;
    for (int i = 0; i < Files; ++i) {
        const QString path = run.folder.filePath(QStringLiteral("file%1.txt").arg(i));
        WriteBenchFile(path, QByteArray("line of file ") + QByteArray::number(i) + "\n");
        memos << TForm1::MemoOf(run.bench.form1.OpenFileInNewWindow(path));
    }
    idleCpuMs(); // the windows finish what they do after opening
    const double watching = idleCpuMs();
    run.out << QString(
                   "idle for %1 s: %2 ms of processor time with %3 open files, %4 ms with none\n")
                   .arg(IdleMs / 1000)
                   .arg(watching, 0, 'f', 0)
                   .arg(Files)
                   .arg(baseline, 0, 'f', 0);

    QElapsedTimer noticed;
    noticed.start();
    WriteBenchFile(run.folder.filePath("file100.txt"), "changed by another program\n");
    while (!memos.at(100)->MessageBar() && noticed.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.out << QString("a change to one of them shown in its window after %1 ms\n")
                   .arg(noticed.nsecsElapsed() / 1e6, 0, 'f', 1);
    for (TScrollMemo* memo : memos)
        memo->SetModifiedFlag(false);
    return 0;
}
