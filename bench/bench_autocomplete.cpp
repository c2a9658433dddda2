// Benchmark of Shift+Enter with 1,000 auto-complete entries in the middle of a 10 MB
// document: none applying, and only the last one applying. Every entry but the last holds the
// sample, so each is read twice from the editor. The baseline, measured in the same run on
// the same document, is a plain key press that types one letter.
//
//   build/bench/bench_autocomplete

#include "BenchPlatform.h"

#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "app/Unit1.h"
#include "editing/AutoComplete.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

namespace
{

constexpr int Entries = 1000;
constexpr int Presses = 50;
constexpr double TargetMilliseconds = 20;

QByteArray documentOf(qint64 size)
{
    QByteArray text;
    const QByteArray line = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do";
    while (text.size() < size)
        text += line + "\r\n";
    return text;
}

// Entries whose sample "fu" occurs but whose text before it was not typed; the last one
// applies to "fu" when applying is true.
QStringList entries(bool applying)
{
    QStringList list;
    for (int i = 1; i < Entries; ++i)
        list << MakeCompletionEntry(2, QStringLiteral("word%1function").arg(i));
    list << MakeCompletionEntry(2, applying ? QStringLiteral("function") : QStringLiteral("zzz"));
    return list;
}

void press(TScrollMemo* memo, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(memo, &event);
    memo->viewport()->repaint();
    QCoreApplication::processEvents();
}

// The mean time of a key press, painting included; before each one " fu" is typed untimed.
double millisecondsPerPress(TScrollMemo* memo, const std::function<void()>& keyPress)
{
    qint64 nanoseconds = 0;
    for (int i = 0; i < Presses; ++i) {
        memo->ReplaceSelection(QStringLiteral(" fu"));
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        keyPress();
        nanoseconds += timer.nsecsElapsed();
    }
    return nanoseconds / 1e6 / Presses;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    PrepareBenchEnvironment(dir.path());
    QApplication app(argc, argv);
    const QString path = dir.filePath("large.txt");
    WriteBenchFile(path, documentOf(10 << 20));

    BenchMainWindow bench;
    TForm1& form1 = bench.form1;
    form1.OpenFileInNewWindow(path);
    TScrollMemo* memo = form1.ActiveMemo();
    memo->SetWordWrap(false);
    memo->SetSelStart(memo->TextLength() / 2);
    memo->ScrollCaretIntoView();
    memo->viewport()->repaint();

    const auto typeLetter = [memo] { press(memo, Qt::Key_X, Qt::NoModifier, "x"); };
    const auto shiftEnter = [memo] { press(memo, Qt::Key_Return, Qt::ShiftModifier, "\r"); };
    const double baseline = millisecondsPerPress(memo, typeLetter);
    form1.autocomp->SetStrings(entries(false));
    const int before = memo->TextLength();
    const double none = millisecondsPerPress(memo, shiftEnter);
    const bool noneInserted = memo->TextLength() == before + Presses * 3;
    form1.autocomp->SetStrings(entries(true));
    const int beforeLast = memo->TextLength();
    const double last = millisecondsPerPress(memo, shiftEnter);
    const bool lastInserted = memo->TextLength() == beforeLast + Presses * (3 + 6);

    QTextStream out(stdout);
    out << QString("typing one letter, 10 MB document (baseline): %1 ms per press\n")
               .arg(baseline, 0, 'f', 2)
        << QString("Shift+Enter, 1,000 entries, none applying:    %1 ms per press (%2x)%3\n")
               .arg(none, 0, 'f', 2)
               .arg(none / baseline, 0, 'f', 1)
               .arg(noneInserted ? "" : ", but text was inserted")
        << QString("Shift+Enter, 1,000 entries, the last applying: %1 ms per press (%2x)%3\n")
               .arg(last, 0, 'f', 2)
               .arg(last / baseline, 0, 'f', 1)
               .arg(lastInserted ? "" : ", but the completions are missing")
        << QString("target: under %1 ms per press\n").arg(TargetMilliseconds);
    memo->SetModifiedFlag(false);
    const bool fast = none < TargetMilliseconds && last < TargetMilliseconds;
    return fast && noneInserted && lastInserted ? 0 : 1;
}
