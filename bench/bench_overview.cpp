// The Overview on long documents: the time until the picture is drawn, the longest time the
// user's input waits meanwhile, and a click mapped on the picture. The baseline is Qt laying
// out the same text once in a QTextDocument as wide as the overview's page, in the same run.

#include "BenchPlatform.h"

#include "app/Scrlmemo.h"
#include "tools/OverviewLayout.h"
#include "tools/Unit10.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace
{

// Lines of program text and prose between 0 and about 300 characters (some wrap on the page).
QString documentText(int lines, quint32 seed)
{
    QRandomGenerator random(seed);
    static const QStringList words = {"overview", "if", "(x)", "return", "the", "picture",
                                      "{",        "}",  "=",   "chunk",  "of",  "lines"};
    QStringList result;
    for (int i = 0; i < lines; ++i) {
        const int count = random.bounded(100) < 5 ? 50 : int(random.bounded(12));
        QString line(int(random.bounded(4)) * 4, u' ');
        for (int w = 0; w < count; ++w)
            line += words.at(int(random.bounded(words.size()))) + u' ';
        result << line;
    }
    return result.join(QStringLiteral("\r\n"));
}

double baselineSeconds(const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    QTextDocument document;
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(15);
    document.setDefaultFont(font);
    document.setPlainText(text);
    document.setTextWidth(Overview::PageWidth);
    document.documentLayout()->documentSize();
    return timer.nsecsElapsed() / 1e9;
}

struct DrawingFigures {
    double seconds = 0;
    double longestStallMs = 0;
    int progressSteps = 0;
};

// Refresh until the picture is shown and its first screen painted; a timer that fires
// whenever the event loop runs measures how long input waited.
DrawingFigures drawOverview(TForm10& overview)
{
    DrawingFigures figures;
    QElapsedTimer sinceTick;
    QSet<int> progressValues;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.longestStallMs = qMax(figures.longestStallMs, sinceTick.nsecsElapsed() / 1e6);
        progressValues << overview.ProgressBar1->value();
        sinceTick.start();
    });
    QElapsedTimer timer;
    timer.start();
    sinceTick.start();
    ticker.start();
    overview.ToolButton1Click();
    while (overview.Drawing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    // The wait that ended the drawing, which the ticker did not see.
    figures.longestStallMs = qMax(figures.longestStallMs, sinceTick.nsecsElapsed() / 1e6);
    overview.ScrollBox1->viewport()->repaint();
    figures.seconds = timer.nsecsElapsed() / 1e9;
    figures.progressSteps = int(progressValues.size());
    return figures;
}

double medianClickMs(TForm10& overview, int row)
{
    QList<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        overview.Image2MouseUp(row);
        times << timer.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char** argv)
{
    BenchRun run(argc, argv);
    SilentPrompts prompts;

    for (const auto& [lines, target] : {std::pair{10000, 1.0}, std::pair{100000, 10.0}}) {
        const QString text = documentText(lines, quint32(lines));
        const double baseline = baselineSeconds(text);
        run.bench.form1.New1Click();
        TScrollMemo* memo = run.bench.form1.ActiveMemo();
        memo->SetFullText(text);
        // A window of its own for each size: nothing laid out before.
        auto* overview = new TForm10(run.bench.form1, prompts);
        overview->show();
        QCoreApplication::processEvents();

        const DrawingFigures first = drawOverview(*overview);
        const DrawingFigures again = drawOverview(*overview);
        const double middleClick = medianClickMs(*overview, overview->OverviewHeight / 2);
        const double lastClick = medianClickMs(*overview, overview->OverviewHeight - 2);
        // A line more at the top: every chunk below changes, the lines do not.
        memo->SetSelStart(0);
        memo->ReplaceSelection(QStringLiteral("a new first line\r\n"));
        QElapsedTimer afterEdit;
        afterEdit.start();
        overview->Image2MouseUp(overview->OverviewHeight / 2);
        const double editedClick = afterEdit.nsecsElapsed() / 1e6;
        run.out << QString("%1 lines (%2 MB): drawn in %3 s (target < %4 s), baseline %5 s, ratio "
                           "%6; longest wait for input %7 ms, %8 progress steps seen; Refresh "
                           "again %9 s\n")
                       .arg(lines)
                       .arg(text.size() * 2 / 1e6, 0, 'f', 1)
                       .arg(first.seconds, 0, 'f', 2)
                       .arg(target, 0, 'f', 0)
                       .arg(baseline, 0, 'f', 2)
                       .arg(first.seconds / baseline, 0, 'f', 2)
                       .arg(first.longestStallMs, 0, 'f', 0)
                       .arg(first.progressSteps)
                       .arg(again.seconds, 0, 'f', 2);
        run.out << QString(
                       "  click mapping: middle %1 ms, end %2 ms, after an edit at the top %3 ms "
                       "(target < 50 ms)\n")
                       .arg(middleClick, 0, 'f', 1)
                       .arg(lastClick, 0, 'f', 1)
                       .arg(editedClick, 0, 'f', 1);
        run.out.flush();
        delete overview;
        memo->SetModifiedFlag(false);
        run.bench.form1.ActiveDocumentWindow()->close();
        QCoreApplication::processEvents();
    }

    // One line of 1.5 million characters, as a minified file has.
    QString longLine;
    while (longLine.size() < 1500000)
        longLine += QStringLiteral("var picture=chunk(of,lines);if(x){return overview} ");
    const double baseline = baselineSeconds(longLine);
    run.bench.form1.New1Click();
    run.bench.form1.ActiveMemo()->SetFullText(longLine);
    auto* overview = new TForm10(run.bench.form1, prompts);
    overview->show();
    QCoreApplication::processEvents();
    const DrawingFigures drawn = drawOverview(*overview);
    overview->ScrollBox1->verticalScrollBar()->setValue(overview->OverviewHeight / 2);
    QElapsedTimer repaint;
    repaint.start();
    overview->ScrollBox1->viewport()->repaint();
    run.out << QString(
                   "one line of 1.5 M characters: drawn in %1 s, baseline %2 s, ratio %3; longest "
                   "wait for input %4 ms; a screen of it in the middle painted in %5 ms\n")
                   .arg(drawn.seconds, 0, 'f', 2)
                   .arg(baseline, 0, 'f', 2)
                   .arg(drawn.seconds / baseline, 0, 'f', 2)
                   .arg(drawn.longestStallMs, 0, 'f', 0)
                   .arg(repaint.nsecsElapsed() / 1e6, 0, 'f', 1);
    run.bench.form1.ActiveMemo()->SetModifiedFlag(false);
    return 0;
}
