#pragma once

// How long a piece of work takes, and a table of such figures beside their baselines.

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTextStream>

#include <functional>

inline double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// One figure in milliseconds beside a baseline made by another program or function.
struct BaselineFigure {
    QString what;
    double ours;
    double baseline;
    QString baselineName;
    QString target;
};

inline void printBaselineTable(const QList<BaselineFigure>& figures)
{
    QTextStream out(stdout);
    out << QString("%1 %2 %3  %4\n")
               .arg("measure", -46)
               .arg("ours", 12)
               .arg("baseline", -40)
               .arg("target");
    for (const BaselineFigure& f : figures) {
        out << QString("%1 %2 %3  %4\n")
                   .arg(f.what, -46)
                   .arg(QString::number(f.ours, 'f', 2) + " ms", 12)
                   .arg(QString::number(f.baseline, 'f', 2) + " ms (" + f.baselineName + ")", -40)
                   .arg(f.target);
    }
    out.flush();
}
