// The store's text as the rest of the program sees it: every line break as CR LF.

#include "app/TextStore.h"

// The line n holding pos is the last one whose start, lineStart(n) + n, is <= pos. With n
// known the document position is pos - n, so n is a fixed point of n -> lineAt(pos - n);
// from a first guess the iteration settles in a step or two, else a search finds it.
int TextStore::fromCrLfPos(int pos) const
{
    const int total = length();
    auto lineFor = [this, total](qint64 docPos) {
        return lineAt(int(qBound<qint64>(0, docPos, qint64(total))));
    };
    auto startOf = [this](int line) { return qint64(lineStart(line)) + line; };
    int n = lineFor(pos);
    int line = -1;
    for (int round = 0; round < 4 && line < 0; ++round) {
        const int m = lineFor(qint64(pos) - n);
        if (qAbs(m - n) <= 1)
            line = qMin(m, n);
        n = m;
    }
    if (line < 0) {
        int lo = 0;
        int hi = lineFor(pos);
        while (lo < hi) {
            const int mid = lo + (hi - lo + 1) / 2;
            if (startOf(mid) <= pos)
                lo = mid;
            else
                hi = mid - 1;
        }
        line = lo;
    }
    while (line > 0 && startOf(line) > pos)
        --line;
    while (line + 1 < lineCount() && startOf(line + 1) <= pos)
        ++line;
    // A position between the CR and the LF of a break means the end of the line.
    return lineStart(line) + int(qMin<qint64>(pos - startOf(line), lineLength(line)));
}
