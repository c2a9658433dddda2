#include "app/TextView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QBasicTimer>
#include <QClipboard>
#include <QDrag>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace
{

constexpr int Margin = 4;            // around the text, as QPlainTextEdit's document margin
constexpr int LongLine = 16384;      // longer lines are laid out in segments
constexpr int SegmentLength = 4096;  // characters of a segment of a long line
constexpr int BlankSearch = 256;     // characters before a segment's end searched for a blank
constexpr int LayoutSliceMs = 20;    // longest stretch of counting screen lines in one go
constexpr int CacheLimit = 256;      // layouts kept before those off screen are dropped
constexpr int WordWindow = 1024;     // characters around a position that word moves look at
constexpr int SurroundingText = 512; // characters either side of the caret an input method sees
constexpr int HorizontalStep = 20;
constexpr int AutoScrollMs = 50;
constexpr qreal NoWrapWidth = qreal(INT_MAX / 256); // the widest a QTextLine can be

bool isLowSurrogateAt(QStringView text, qsizetype i)
{
    return i >= 0 && i < text.size() && text[i].isLowSurrogate();
}

// Text a key gives that goes into the text, as QPlainTextEdit takes it.
bool isTypedText(QStringView text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text[0];
    return c.isPrint() || c.category() == QChar::Other_Format ||
           c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

bool isPrintableAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

} // namespace

// ---- Private ---------------------------------------------------------------------------

struct TextView::Private {
    explicit Private(TextView* view) : q(view) {}

    TextView* q;

    // A piece of a line laid out on its own: the whole line, or a few thousand characters of
    // a long one. Its measures stay when its layout is dropped.
    struct Segment {
        Segment() = default;
        Segment(int from, int count) : start(from), length(count) {}
        int start = 0;
        int length = 0;
        std::unique_ptr<QTextLayout> layout;
        qreal width = -1; // natural width, -1 until laid out
        int lines = -1;   // screen lines under word wrap, -1 until laid out
        int end() const { return start + length; }
    };
    struct Line {
        std::vector<Segment> segments;
        int length() const { return segments.back().end(); }
    };
    // A segment's layout as it shows on screen: origin of the layout, and the rows shown.
    struct Piece {
        int line = 0;
        int segment = 0;
        QPointF origin;
        qreal top = 0;
        qreal bottom = 0;
    };
    struct Spot {
        int line = 0;
        int column = 0;
    };
    // A screen line: the line and the number of the screen line within it.
    struct Row {
        int line = 0;
        int sub = 0;
    };

    std::map<int, Line> cache;
    std::set<std::pair<int, int>> shown; // (line, segment) painted last

    // Under word wrap: firstRow[i] is the number of screen lines above line i, known for the
    // lines laid out from line 0 on (firstRow.size() - 1 of them).
    std::vector<int> firstRow{0};
    int countTarget = 0;
    QBasicTimer countTimer;

    int topSub = 0; // screen lines of the top line above the view, under word wrap
    bool settingTop = false;
    qreal widest = 0;
    int widestLine = -1;

    QTextOption option;
    qreal lineHeight = 14;
    qreal charWidth = 7;
    qreal asciiMaxWidth = 7;

    QBasicTimer blinkTimer;
    bool caretShown = false;
    qreal desiredX = -1; // kept over moves up and down

    enum class Mouse { None, Select, SelectWords, DragPending };
    Mouse mouse = Mouse::None;
    QPoint pressPos;
    QPoint mousePos;
    int wordStart = 0; // the word a double click selected
    int wordEnd = 0;
    QBasicTimer tripleClickTimer; // runs after a double click: one more click takes the line
    QPoint doubleClickPos;
    QBasicTimer autoScrollTimer;
    int dropPos = -1;

    QString preedit;
    int preeditCursor = 0;
    bool preeditCursorVisible = true;
    QList<QTextLayout::FormatRange> preeditFormats;

    // The edit the view has asked for while the subclass makes it: a long line changed in
    // place keeps the segments the edit did not touch.
    struct PendingEdit {
        int line = -1;
        int from = 0; // columns of the line
        int to = 0;
    };
    PendingEdit pending;

    // ---- The source ----
    const TextViewSource* src() const { return q->m_source; }
    int length() const { return src() ? src()->length() : 0; }
    int lineCount() const { return src() ? src()->lineCount() : 1; }
    int lineStart(int line) const { return src() ? src()->lineStart(line) : 0; }
    int lineLength(int line) const { return src() ? src()->lineLength(line) : 0; }
    int lineAt(int pos) const { return src() ? src()->lineAt(qBound(0, pos, length())) : 0; }
    QString lineText(int line, int from, int count) const
    {
        return src() ? src()->lineText(line, from, count) : QString();
    }
    Spot spotOf(int pos) const
    {
        pos = qBound(0, pos, length());
        const int line = lineAt(pos);
        return {line, pos - lineStart(line)};
    }
    int posOf(Spot spot) const { return lineStart(spot.line) + spot.column; }
    QString text(int from, int to) const;

    // ---- Layout ----
    void updateFontMetrics();
    qreal availableWidth() const
    {
        return q->m_wordWrap ? qMax<qreal>(1, q->viewport()->width() - 2 * Margin) : NoWrapWidth;
    }
    std::vector<Segment> cut(int line, int from, int count) const;
    Line& entry(int line);
    std::unique_ptr<QTextLayout> makeLayout(int line, const Segment& segment,
                                            bool withFormats) const;
    void layOutLines(QTextLayout& layout) const;
    QTextLayout* layoutOf(int line, Line& entry, int segment);
    void measure(Segment& segment, const QTextLayout& layout) const;
    int segmentLines(int line, Segment& segment) const;
    qreal segmentWidth(const Segment& segment) const
    {
        return segment.width >= 0 ? segment.width : segment.length * charWidth;
    }
    qreal lineWidth(const Line& entry) const;
    static int segmentAt(const Line& entry, int column);
    void noteWidth(int line, qreal width);
    void widestLinesReplaced(int first, int oldCount, int newCount);
    void dropLayouts();
    void dropLayoutAt(int pos);
    void dropCounts(int fromLine);
    void trimCache();
    bool spliceLongLine(Line& entry, int line);
    void shiftCache(int first, int oldCount, int newCount);

    // ---- Screen lines ----
    int screenLinesIn(int line, QDeadlineTimer deadline = QDeadlineTimer::Forever);
    int estimatedScreenLines(int line);
    bool countUpTo(int line, QDeadlineTimer deadline);
    void countInSlices();
    Row rowOf(Spot spot, int* segment = nullptr, QTextLine* textLine = nullptr);
    Row step(Row row, int count);
    bool before(Row a, Row b) const
    {
        return a.line < b.line || (a.line == b.line && a.sub < b.sub);
    }
    int distance(Row from, Row to, int cap);
    qreal xOf(Spot spot, int preeditOffset = 0);
    int columnAt(Row row, qreal x);
    QTextLine textLineOf(Row row, int* segment);

    // ---- View ----
    int top() const { return q->verticalScrollBar()->value(); }
    Row topRow() const { return {top(), topSub}; }
    int topMargin() const { return top() == 0 && topSub == 0 ? Margin : 0; }
    void setTop(Row row);
    int linesThatFit() const;
    int maxTop();
    void updateScrollBars();
    void updateHorizontalRange();
    std::vector<Piece> pieces();
    int hitTest(QPointF point);
    QRectF rectOf(int pos);
    void ensureVisible(int pos);
    void scrollScreenLines(int count);
    QPalette::ColorGroup colorGroup() const;
    void paint(QPainter& painter, const QRect& area);
    QList<QTextLayout::FormatRange> selectionFormats(const Piece& piece, const Line& entry) const;

    // ---- Caret ----
    bool caretDrawn() const { return q->hasFocus() && !q->m_readOnly; }
    void restartBlink();
    void moveTo(int pos, bool select);
    void caretMoved();
    void updateSelectionClipboard();
    int nextCharacter(int pos);
    int previousCharacter(int pos);
    int previousCodePoint(int pos) const;
    int nextWord(int pos);
    int previousWord(int pos);
    struct Window {
        QString text;
        int from = 0; // column of the text's first character
    };
    Window windowAround(Spot spot, int before, int after) const;
    std::pair<int, int> wordAt(int pos) const;
    void selectLine(int pos);
    int verticalMove(int count);
    int pageMove(bool down);
    int lineEdge(bool end);

    // ---- Editing ----
    void edit(int from, int to, const QString& text, EditKind kind);
    void insertTyped(const QString& text);
    void deleteRange(int from, int to, EditKind kind);
    bool handleKey(QKeyEvent* event);
    bool handleMoveKey(QKeyEvent* event);
    bool handleEditKey(QKeyEvent* event);
    static bool overridesShortcut(const QKeyEvent* event);

    // ---- Mouse and drag and drop ----
    void startDrag();
    void extendMouseSelection(const QPoint& point);
    void autoScroll();
    void pasteSelectionClipboard(const QPoint& point);
    bool canDrop(const QDropEvent* event) const;
    void drop(QDropEvent* event);

    // ---- Accessibility ----
    void notifyAccessibleCaret();
};

QString TextView::Private::text(int from, int to) const
{
    QString result;
    if (from >= to)
        return result;
    const Spot first = spotOf(from);
    const Spot last = spotOf(to);
    for (int line = first.line; line <= last.line; ++line) {
        const int begin = line == first.line ? first.column : 0;
        const int end = line == last.line ? last.column : lineLength(line);
        result += lineText(line, begin, end - begin);
        if (line < last.line)
            result += u'\n';
    }
    return result;
}

// ---- Layout ----------------------------------------------------------------------------

void TextView::Private::updateFontMetrics()
{
    const QFont font = q->font();
    const QFontMetricsF metrics(font);
    option = QTextOption();
    option.setTabStopDistance(8 * metrics.horizontalAdvance(u' '));
    option.setWrapMode(q->m_wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                     : QTextOption::NoWrap);
    charWidth = qMax<qreal>(1, metrics.averageCharWidth());
    asciiMaxWidth = metrics.maxWidth();
    QTextLayout sample(QStringLiteral("X"), font);
    layOutLines(sample);
    lineHeight = qMax<qreal>(1, sample.lineAt(0).height());
}

// Segments of [from, from + count) of a line, each cut between whole characters.
std::vector<TextView::Private::Segment> TextView::Private::cut(int line, int from, int count) const
{
    std::vector<Segment> segments;
    const int end = from + count;
    if (count <= LongLine && from == 0) {
        segments.push_back({0, count});
        return segments;
    }
    for (int start = from; start < end || segments.empty();) {
        int stop = qMin(end, start + SegmentLength);
        // After a blank near the end when there is one, so that no word wraps in two parts;
        // never inside a character.
        if (stop < end) {
            const QString tail = lineText(line, stop - BlankSearch, BlankSearch);
            const qsizetype blank = qMax(tail.lastIndexOf(u' '), tail.lastIndexOf(u'\t'));
            if (blank >= 0)
                stop -= BlankSearch - int(blank) - 1;
            else if (isLowSurrogateAt(lineText(line, stop, 1), 0))
                --stop;
        }
        segments.push_back({start, stop - start});
        start = stop;
    }
    return segments;
}

TextView::Private::Line& TextView::Private::entry(int line)
{
    auto it = cache.find(line);
    if (it == cache.end()) {
        Line fresh;
        fresh.segments = cut(line, 0, lineLength(line));
        it = cache.emplace(line, std::move(fresh)).first;
    }
    return it->second;
}

void TextView::Private::layOutLines(QTextLayout& layout) const
{
    const qreal width = availableWidth();
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

std::unique_ptr<QTextLayout> TextView::Private::makeLayout(int line, const Segment& segment,
                                                           bool withFormats) const
{
    auto layout =
        std::make_unique<QTextLayout>(lineText(line, segment.start, segment.length), q->font());
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (withFormats && src()) {
        QList<QTextLayout::FormatRange> formats =
            src()->lineFormats(line, segment.start, segment.length);
        const Spot caret = spotOf(q->m_position);
        if (!preedit.isEmpty() && caret.line == line && caret.column >= segment.start &&
            caret.column <= segment.end()) {
            const int at = caret.column - segment.start;
            layout->setPreeditArea(at, preedit);
            for (QTextLayout::FormatRange range : preeditFormats) {
                range.start += at;
                formats.append(range);
            }
        }
        layout->setFormats(formats);
    }
    layOutLines(*layout);
    return layout;
}

void TextView::Private::measure(Segment& segment, const QTextLayout& layout) const
{
    qreal width = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        width = qMax(width, layout.lineAt(i).naturalTextWidth());
    segment.width = width;
    segment.lines = layout.lineCount();
}

QTextLayout* TextView::Private::layoutOf(int line, Line& entry, int segment)
{
    Segment& piece = entry.segments[segment];
    if (!piece.layout) {
        piece.layout = makeLayout(line, piece, true);
        measure(piece, *piece.layout);
        if (!q->m_wordWrap)
            noteWidth(line, lineWidth(entry));
    }
    return piece.layout.get();
}

int TextView::Private::segmentLines(int line, Segment& segment) const
{
    if (segment.lines < 0) {
        if (segment.layout)
            measure(segment, *segment.layout);
        else
            measure(segment, *makeLayout(line, segment, false));
    }
    return segment.lines;
}

qreal TextView::Private::lineWidth(const Line& entry) const
{
    qreal width = 0;
    for (const Segment& segment : entry.segments)
        width += segmentWidth(segment);
    return width;
}

// The segment holding column; a column where one segment ends and the next begins belongs
// to the next.
int TextView::Private::segmentAt(const Line& entry, int column)
{
    const auto& segments = entry.segments;
    auto it = std::upper_bound(segments.begin(), segments.end(), column,
                               [](int c, const Segment& s) { return c < s.start; });
    return int(qMax<std::ptrdiff_t>(0, it - segments.begin() - 1));
}

void TextView::Private::noteWidth(int line, qreal width)
{
    if (width <= widest)
        return;
    widest = width;
    widestLine = line;
    updateHorizontalRange();
}

// When the widest line is among those replaced, the horizontal range becomes that of the
// widest line kept; the lines laid out later widen it again as they need.
void TextView::Private::widestLinesReplaced(int first, int oldCount, int newCount)
{
    if (widestLine >= first + oldCount) {
        widestLine += newCount - oldCount;
        return;
    }
    if (widestLine < first || q->m_wordWrap)
        return;
    widest = 0;
    widestLine = -1;
    for (const auto& [line, entry] : cache) {
        const qreal width = lineWidth(entry);
        if (width > widest) {
            widest = width;
            widestLine = line;
        }
    }
    updateHorizontalRange();
}

void TextView::Private::dropLayouts()
{
    cache.clear();
    shown.clear();
}

// The layout of the segment holding pos goes; its measures stay.
void TextView::Private::dropLayoutAt(int pos)
{
    const Spot spot = spotOf(pos);
    const auto it = cache.find(spot.line);
    if (it == cache.end())
        return;
    Segment& segment = it->second.segments[segmentAt(it->second, spot.column)];
    segment = Segment(segment.start, segment.length);
}

void TextView::Private::dropCounts(int fromLine)
{
    if (fromLine + 1 < int(firstRow.size()))
        firstRow.resize(fromLine + 1);
}

// Keeps the layouts painted last. Long lines keep the measures of all their segments but
// the layouts of those on screen only; other lines go when there are many.
void TextView::Private::trimCache()
{
    const bool full = int(cache.size()) > CacheLimit;
    for (auto it = cache.begin(); it != cache.end();) {
        auto& segments = it->second.segments;
        if (segments.size() == 1) {
            it = full && !shown.count({it->first, 0}) ? cache.erase(it) : std::next(it);
            continue;
        }
        for (int i = 0; i < int(segments.size()); ++i) {
            if (!shown.count({it->first, i}))
                segments[i].layout.reset();
        }
        ++it;
    }
}

// A long line that the view's own edit changed in place: the segments before and after
// the edit keep their layouts and measures, those it touched become one new segment.
bool TextView::Private::spliceLongLine(Line& entry, int line)
{
    const int newLength = lineLength(line);
    const int removed = pending.to - pending.from;
    const int added = newLength - entry.length() + removed;
    if (entry.segments.size() < 2 || newLength <= LongLine || added < 0 ||
        pending.to > entry.length())
        return false;
    auto& segments = entry.segments;
    const int first = segmentAt(entry, pending.from);
    int last = first;
    while (last + 1 < int(segments.size()) && segments[last + 1].start < pending.to)
        ++last;
    const int start = segments[first].start;
    const int count = segments[last].end() - start + added - removed;
    for (auto it = segments.begin() + last + 1; it != segments.end(); ++it)
        it->start += added - removed;
    std::vector<Segment> fresh = count > 0 ? cut(line, start, count) : std::vector<Segment>();
    if (count > 0 && count <= LongLine && fresh.size() > 1) {
        // Short enough to stay one segment, however long.
        fresh.resize(1);
        fresh[0] = Segment{start, count};
    }
    segments.erase(segments.begin() + first, segments.begin() + last + 1);
    segments.insert(segments.begin() + first, std::make_move_iterator(fresh.begin()),
                    std::make_move_iterator(fresh.end()));
    if (segments.empty())
        return false;
    shown.clear();
    return true;
}

// Lines [first, first + oldCount) became newCount lines: the layouts after them move along.
void TextView::Private::shiftCache(int first, int oldCount, int newCount)
{
    const bool keepFirst = pending.line == first && oldCount == 1 && newCount == 1 &&
                           cache.count(first) && spliceLongLine(cache[first], first);
    std::map<int, Line> moved;
    for (auto it = cache.lower_bound(first); it != cache.end();) {
        if (it->first >= first + oldCount)
            moved.emplace(it->first + newCount - oldCount, std::move(it->second));
        else if (keepFirst && it->first == first)
            moved.emplace(first, std::move(it->second));
        it = cache.erase(it);
    }
    cache.merge(moved);
    shown.clear();
}

// ---- Screen lines ----------------------------------------------------------------------

// The screen lines of a line; -1 when the deadline comes before a long line's segments are
// all laid out (they keep their counts for the next try).
int TextView::Private::screenLinesIn(int line, QDeadlineTimer deadline)
{
    if (!q->m_wordWrap)
        return 1;
    auto it = cache.find(line);
    if (it == cache.end()) {
        const int count = lineLength(line);
        if (count > LongLine) {
            entry(line); // its segments keep their screen lines
            return screenLinesIn(line, deadline);
        }
        // A line of plain ASCII that fits even in the widest characters is one screen line.
        const QString text = lineText(line, 0, count);
        if (isPrintableAscii(text) && count * asciiMaxWidth <= availableWidth())
            return 1;
        Segment whole{0, count};
        return segmentLines(line, whole);
    }
    int lines = 0;
    for (Segment& segment : it->second.segments) {
        if (segment.lines < 0 && deadline.hasExpired())
            return -1;
        lines += segmentLines(line, segment);
    }
    return lines;
}

// Screen lines of a line without laying out the parts of a long line never laid out.
int TextView::Private::estimatedScreenLines(int line)
{
    if (!q->m_wordWrap)
        return 1;
    if (lineLength(line) <= LongLine)
        return screenLinesIn(line);
    const qreal width = availableWidth();
    int lines = 0;
    for (const Segment& segment : entry(line).segments)
        lines += segment.lines >= 0 ? segment.lines
                                    : qMax(1, int(std::ceil(segment.length * charWidth / width)));
    return lines;
}

// Counts the screen lines of the lines up to line; false when the deadline came first.
bool TextView::Private::countUpTo(int line, QDeadlineTimer deadline)
{
    line = qMin(line, lineCount() - 1);
    int counted = 0;
    while (int(firstRow.size()) - 1 <= line) {
        const int next = int(firstRow.size()) - 1;
        const int lines = screenLinesIn(next, deadline);
        if (lines < 0)
            return false;
        firstRow.push_back(firstRow.back() + lines);
        if (++counted % 64 == 0 && deadline.hasExpired())
            return int(firstRow.size()) - 1 > line;
    }
    return true;
}

void TextView::Private::countInSlices()
{
    if (!q->m_wordWrap)
        return;
    if (!countUpTo(countTarget, QDeadlineTimer(LayoutSliceMs))) {
        countTimer.start(0, q);
        return;
    }
    Q_EMIT q->screenLinesKnown();
}

TextView::Private::Row TextView::Private::rowOf(Spot spot, int* segment, QTextLine* textLine)
{
    Line& line = entry(spot.line);
    const int index = segmentAt(line, spot.column);
    const QTextLayout* layout = layoutOf(spot.line, line, index);
    QTextLine found = layout->lineForTextPosition(spot.column - line.segments[index].start);
    if (!found.isValid())
        found = layout->lineAt(layout->lineCount() - 1);
    if (segment)
        *segment = index;
    if (textLine)
        *textLine = found;
    if (!q->m_wordWrap)
        return {spot.line, 0};
    int sub = found.lineNumber();
    for (int i = 0; i < index; ++i)
        sub += segmentLines(spot.line, line.segments[i]);
    return {spot.line, sub};
}

// The screen line count screen lines below row (above for a negative count), as far as
// there are lines.
TextView::Private::Row TextView::Private::step(Row row, int count)
{
    while (count > 0) {
        const int rest = screenLinesIn(row.line) - 1 - row.sub;
        if (count <= rest)
            return {row.line, row.sub + count};
        if (row.line + 1 >= lineCount())
            return {row.line, row.sub + rest};
        count -= rest + 1;
        row = {row.line + 1, 0};
    }
    while (count < 0) {
        if (-count <= row.sub)
            return {row.line, row.sub + count};
        if (row.line == 0)
            return {0, 0};
        count += row.sub + 1;
        row = {row.line - 1, screenLinesIn(row.line - 1) - 1};
    }
    return row;
}

// Screen lines from one row down to another, up to cap.
int TextView::Private::distance(Row from, Row to, int cap)
{
    if (!q->m_wordWrap)
        return qMin(cap, to.line - from.line);
    int rows = -from.sub;
    for (int line = from.line; line < to.line && rows < cap; ++line)
        rows += screenLinesIn(line);
    return qMin(cap, rows + to.sub);
}

// The x of a position within the text, without margin and scrolling; with an offset into
// the text being composed there.
qreal TextView::Private::xOf(Spot spot, int preeditOffset)
{
    int index = 0;
    QTextLine textLine;
    rowOf(spot, &index, &textLine);
    Line& line = entry(spot.line);
    qreal x = textLine.cursorToX(spot.column - line.segments[index].start + preeditOffset);
    if (!q->m_wordWrap) {
        for (int i = 0; i < index; ++i)
            x += segmentWidth(line.segments[i]);
    }
    return x;
}

QTextLine TextView::Private::textLineOf(Row row, int* segment)
{
    Line& line = entry(row.line);
    int index = 0;
    int sub = row.sub;
    if (q->m_wordWrap) {
        for (; index + 1 < int(line.segments.size()); ++index) {
            const int lines = segmentLines(row.line, line.segments[index]);
            if (sub < lines)
                break;
            sub -= lines;
        }
    }
    const QTextLayout* layout = layoutOf(row.line, line, index);
    *segment = index;
    return layout->lineAt(qBound(0, sub, layout->lineCount() - 1));
}

// The column nearest to x (without margin and scrolling) on a screen line.
int TextView::Private::columnAt(Row row, qreal x)
{
    Line& line = entry(row.line);
    if (q->m_wordWrap) {
        int index = 0;
        const QTextLine textLine = textLineOf(row, &index);
        return line.segments[index].start + textLine.xToCursor(x);
    }
    qreal left = 0;
    for (int i = 0; i < int(line.segments.size()); ++i) {
        const qreal width = segmentWidth(line.segments[i]);
        if (x < left + width || i + 1 == int(line.segments.size())) {
            const QTextLayout* layout = layoutOf(row.line, line, i);
            return line.segments[i].start + layout->lineAt(0).xToCursor(x - left);
        }
        left += width;
    }
    return 0;
}

// ---- View ------------------------------------------------------------------------------

void TextView::Private::setTop(Row row)
{
    topSub = q->m_wordWrap ? row.sub : 0;
    settingTop = true;
    q->verticalScrollBar()->setValue(row.line);
    settingTop = false;
    q->viewport()->update();
}

// As QPlainTextEdit counts them: the last line keeps a margin below it, and one pixel more.
int TextView::Private::linesThatFit() const
{
    return qMax(1, int((q->viewport()->height() - 2 * Margin - 1) / lineHeight));
}

// The highest top line: the last lines fill the view from it on.
int TextView::Private::maxTop()
{
    const int fit = linesThatFit();
    int rows = 0;
    int line = lineCount() - 1;
    while (line > 0) {
        rows += estimatedScreenLines(line);
        // The line that overfills the view goes when the lines after it fill it.
        if (rows >= fit)
            return rows > fit && line + 1 < lineCount() ? line + 1 : line;
        --line;
    }
    return 0;
}

void TextView::Private::updateScrollBars()
{
    QScrollBar* bar = q->verticalScrollBar();
    const int fit = linesThatFit();
    const int highest = q->m_wordWrap ? maxTop() : qMax(0, lineCount() - fit);
    const int keep = top();
    settingTop = true;
    bar->setRange(0, highest);
    bar->setPageStep(fit);
    bar->setSingleStep(1);
    bar->setValue(qMin(keep, highest));
    settingTop = false;
    updateHorizontalRange();
}

void TextView::Private::updateHorizontalRange()
{
    QScrollBar* bar = q->horizontalScrollBar();
    const int width = q->viewport()->width();
    const int range = q->m_wordWrap ? 0 : qMax(0, int(std::ceil(widest)) + 2 * Margin - width);
    bar->setRange(0, range);
    bar->setPageStep(width);
    bar->setSingleStep(HorizontalStep);
}

// The layouts in view, from the top: under word wrap each segment's rows one after another,
// otherwise the segments of a line side by side (only those in view horizontally).
std::vector<TextView::Private::Piece> TextView::Private::pieces()
{
    std::vector<Piece> result;
    const qreal height = q->viewport()->height();
    const qreal width = q->viewport()->width();
    const qreal left = Margin - (q->m_wordWrap ? 0 : q->horizontalScrollBar()->value());
    qreal y = topMargin();
    int skip = topSub;
    for (int number = top(); number < lineCount() && y < height; ++number) {
        Line& line = entry(number);
        const int segments = int(line.segments.size());
        if (q->m_wordWrap) {
            for (int i = 0; i < segments && y < height; ++i) {
                const int lines = segmentLines(number, line.segments[i]);
                if (skip >= lines) {
                    skip -= lines;
                    continue;
                }
                const QTextLayout* layout = layoutOf(number, line, i);
                const QTextLine first = layout->lineAt(skip);
                const QTextLine last = layout->lineAt(layout->lineCount() - 1);
                const qreal originY = y - first.y();
                result.push_back(
                    {number, i, QPointF(left, originY), y, originY + last.y() + last.height()});
                y = result.back().bottom;
                skip = 0;
            }
            continue;
        }
        const std::size_t firstPiece = result.size();
        qreal x = 0;
        for (int i = 0; i < segments && left + x < width; ++i) {
            const bool visible = left + x + segmentWidth(line.segments[i]) >= 0;
            if (visible || i + 1 == segments) {
                const QTextLayout* layout = layoutOf(number, line, i);
                result.push_back(
                    {number, i, QPointF(left + x, y), y, y + layout->lineAt(0).height()});
            }
            x += segmentWidth(line.segments[i]);
        }
        qreal bottom = y + lineHeight;
        for (std::size_t i = firstPiece; i < result.size(); ++i)
            bottom = i == firstPiece ? result[i].bottom : qMax(bottom, result[i].bottom);
        for (std::size_t i = firstPiece; i < result.size(); ++i)
            result[i].bottom = bottom;
        y = bottom;
    }
    return result;
}

int TextView::Private::hitTest(QPointF point)
{
    const std::vector<Piece> inView = pieces();
    if (inView.empty())
        return 0;
    const qreal y = qBound(inView.front().top, point.y(), inView.back().bottom - 1);
    const Piece* hit = &inView.back();
    for (const Piece& piece : inView) {
        if (y >= piece.top && y < piece.bottom) {
            hit = &piece;
            break;
        }
    }
    if (!q->m_wordWrap) {
        // The segment of that line under x: the line's x runs over all its segments.
        const Line& line = entry(hit->line);
        const qreal left = hit->origin.x() - [&] {
            qreal x = 0;
            for (int i = 0; i < hit->segment; ++i)
                x += segmentWidth(line.segments[i]);
            return x;
        }();
        return posOf({hit->line, columnAt({hit->line, 0}, point.x() - left)});
    }
    Line& line = entry(hit->line);
    const QTextLayout* layout = layoutOf(hit->line, line, hit->segment);
    QTextLine textLine = layout->lineAt(layout->lineCount() - 1);
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine candidate = layout->lineAt(i);
        if (y < hit->origin.y() + candidate.y() + candidate.height()) {
            textLine = candidate;
            break;
        }
    }
    const int column = textLine.xToCursor(point.x() - hit->origin.x());
    return posOf({hit->line, line.segments[hit->segment].start + column});
}

// Where a position shows in the viewport; off screen above or below when it is not in view.
QRectF TextView::Private::rectOf(int pos)
{
    const Spot spot = spotOf(pos);
    int index = 0;
    QTextLine textLine;
    const Row row = rowOf(spot, &index, &textLine);
    const qreal left = Margin - (q->m_wordWrap ? 0 : q->horizontalScrollBar()->value());
    // The caret of the text being composed is where the input method's window goes.
    const bool composing = pos == q->m_position && !preedit.isEmpty();
    const qreal x = left + xOf(spot, composing ? preeditCursor : 0);
    if (before(row, topRow()))
        return QRectF(x, -lineHeight, 1, lineHeight);
    for (const Piece& piece : pieces()) {
        if (piece.line != spot.line || (q->m_wordWrap && piece.segment != index))
            continue;
        const qreal y = piece.origin.y() + textLine.y();
        if (y >= piece.top - 0.5 && y < piece.bottom)
            return QRectF(x, y, 1, textLine.height());
    }
    return QRectF(x, q->viewport()->height(), 1, lineHeight);
}

void TextView::Private::ensureVisible(int pos)
{
    const Spot spot = spotOf(pos);
    const Row row = rowOf(spot);
    // The row shows whole: above, it becomes the top; below, the bottom.
    const int whole = qMax(1, int(q->viewport()->height() / lineHeight));
    const int room = int((q->viewport()->height() - topMargin()) / lineHeight);
    if (before(row, topRow()))
        setTop(row);
    else if (distance(topRow(), row, room) >= room)
        setTop(step(row, -(whole - 1)));
    if (q->m_wordWrap)
        return;
    const Line& line = entry(spot.line);
    noteWidth(spot.line, lineWidth(line));
    QScrollBar* bar = q->horizontalScrollBar();
    const int x = int(Margin + xOf(spot));
    const int width = q->viewport()->width();
    if (x < bar->value() + Margin)
        bar->setValue(x - Margin);
    else if (x + 1 > bar->value() + width - Margin)
        bar->setValue(x + 1 - width + Margin);
}

void TextView::Private::scrollScreenLines(int count)
{
    Row row = step(topRow(), count);
    if (row.line > q->verticalScrollBar()->maximum())
        row = {q->verticalScrollBar()->maximum(), 0};
    setTop(row);
}

QPalette::ColorGroup TextView::Private::colorGroup() const
{
    if (!q->isEnabled())
        return QPalette::Disabled;
    return q->hasFocus() ? q->palette().currentColorGroup() : QPalette::Inactive;
}

QList<QTextLayout::FormatRange> TextView::Private::selectionFormats(const Piece& piece,
                                                                    const Line& entry) const
{
    QList<QTextLayout::FormatRange> formats;
    const Segment& segment = entry.segments[piece.segment];
    const int lineBegin = lineStart(piece.line);
    const int from = q->selectionStart() - lineBegin - segment.start;
    const int to = q->selectionEnd() - lineBegin - segment.start;
    // A selected line break shows as a little selected room after the line.
    const bool lastSegment = piece.segment + 1 == int(entry.segments.size());
    const int end = segment.length + (lastSegment ? 1 : 0);
    const int start = qMax(0, from);
    const int stop = qMin(end, to);
    if (!q->hasSelection() || stop <= start)
        return formats;
    QTextLayout::FormatRange range;
    range.start = start;
    range.length = stop - start;
    const QPalette::ColorGroup group = colorGroup();
    range.format.setBackground(q->palette().brush(group, QPalette::Highlight));
    range.format.setForeground(q->palette().brush(group, QPalette::HighlightedText));
    // A selection going on past the line is drawn to the edge of the view.
    if (to > segment.length && (lastSegment || q->m_wordWrap))
        range.format.setProperty(QTextFormat::FullWidthSelection, true);
    formats.append(range);
    return formats;
}

void TextView::Private::paint(QPainter& painter, const QRect& area)
{
    const QPalette::ColorGroup group = colorGroup();
    painter.setPen(q->palette().color(group, QPalette::Text));
    const Spot caret = spotOf(q->m_position);
    const Spot dropAt = spotOf(dropPos);
    shown.clear();
    for (const Piece& piece : pieces()) {
        shown.insert({piece.line, piece.segment});
        Line& line = entry(piece.line);
        QTextLayout* layout = layoutOf(piece.line, line, piece.segment);
        const QRectF clip = QRectF(area).intersected(
            QRectF(0, piece.top, q->viewport()->width(), piece.bottom - piece.top));
        painter.save();
        painter.setClipRect(clip);
        layout->draw(&painter, piece.origin, selectionFormats(piece, line), clip);
        const Segment& segment = line.segments[piece.segment];
        auto inPiece = [&](Spot spot) {
            return spot.line == piece.line && segmentAt(line, spot.column) == piece.segment;
        };
        if (caretShown && caretDrawn() && inPiece(caret)) {
            const int at = caret.column - segment.start + (preedit.isEmpty() ? 0 : preeditCursor);
            if (preedit.isEmpty() || preeditCursorVisible)
                layout->drawCursor(&painter, piece.origin, at, 1);
        }
        if (dropPos >= 0 && inPiece(dropAt))
            layout->drawCursor(&painter, piece.origin, dropAt.column - segment.start, 1);
        painter.restore();
    }
    trimCache();
}

// ---- Caret -----------------------------------------------------------------------------

void TextView::Private::restartBlink()
{
    const int flash = QApplication::cursorFlashTime();
    caretShown = true;
    if (caretDrawn() && flash > 1)
        blinkTimer.start(flash / 2, q);
    else
        blinkTimer.stop();
    q->viewport()->update();
}

void TextView::Private::moveTo(int pos, bool extend)
{
    q->setSelection(extend ? q->m_anchor : pos, pos);
    q->ensureCaretVisible();
    if (extend)
        updateSelectionClipboard();
}

void TextView::Private::caretMoved()
{
    restartBlink();
    if (q->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    notifyAccessibleCaret();
}

void TextView::Private::updateSelectionClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!q->hasSelection() || !clipboard->supportsSelection())
        return;
    if (QMimeData* data = q->createMimeDataFromSelection())
        clipboard->setMimeData(data, QClipboard::Selection);
}

TextView::Private::Window TextView::Private::windowAround(Spot spot, int before, int after) const
{
    const int length = lineLength(spot.line);
    int from = qMax(0, spot.column - before);
    if (from > 0 && isLowSurrogateAt(lineText(spot.line, from, 1), 0))
        --from;
    const int to = qMin(length, spot.column + after);
    return {lineText(spot.line, from, to - from), from};
}

int TextView::Private::nextCharacter(int pos)
{
    const Spot spot = spotOf(pos);
    if (spot.column >= lineLength(spot.line))
        return spot.line + 1 < lineCount() ? lineStart(spot.line + 1) : pos;
    const Window window = windowAround(spot, 0, WordWindow);
    QTextLayout layout(window.text, q->font());
    return posOf({spot.line, window.from + layout.nextCursorPosition(spot.column - window.from)});
}

int TextView::Private::previousCharacter(int pos)
{
    const Spot spot = spotOf(pos);
    if (spot.column == 0)
        return spot.line > 0 ? pos - 1 : pos;
    const Window window = windowAround(spot, WordWindow, 0);
    QTextLayout layout(window.text, q->font());
    return posOf(
        {spot.line, window.from + layout.previousCursorPosition(spot.column - window.from)});
}

// Backspace takes one character, a surrogate pair whole, but not a whole cluster of marks.
int TextView::Private::previousCodePoint(int pos) const
{
    if (pos <= 0)
        return 0;
    const QString before = text(qMax(0, pos - 2), pos);
    return before.size() == 2 && before[1].isLowSurrogate() && before[0].isHighSurrogate()
               ? pos - 2
               : pos - 1;
}

// Word moves as QTextCursor's NextWord and PreviousWord: over a line break, else to the
// next word start the layout finds.
int TextView::Private::nextWord(int pos)
{
    const Spot spot = spotOf(pos);
    if (spot.column >= lineLength(spot.line))
        return nextCharacter(pos);
    const Window window = windowAround(spot, 0, WordWindow);
    QTextLayout layout(window.text, q->font());
    const int column =
        window.from + layout.nextCursorPosition(spot.column - window.from, QTextLayout::SkipWords);
    return posOf({spot.line, column});
}

int TextView::Private::previousWord(int pos)
{
    const Spot spot = spotOf(pos);
    if (spot.column == 0)
        return previousCharacter(pos);
    const Window window = windowAround(spot, WordWindow, 0);
    QTextLayout layout(window.text, q->font());
    const int column = window.from + layout.previousCursorPosition(spot.column - window.from,
                                                                   QTextLayout::SkipWords);
    return posOf({spot.line, column});
}

// The word (or run of blanks or one other character) at pos.
std::pair<int, int> TextView::Private::wordAt(int pos) const
{
    const Spot spot = spotOf(pos);
    const Window window = windowAround(spot, WordWindow, WordWindow);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, window.text);
    const int at = spot.column - window.from;
    finder.setPosition(at);
    int start = at;
    if (!finder.isAtBoundary() || at == window.text.size())
        start = int(qMax<qsizetype>(0, finder.toPreviousBoundary()));
    finder.setPosition(start);
    const int end = int(qMax<qsizetype>(start, finder.toNextBoundary()));
    const int lineBegin = lineStart(spot.line);
    return {lineBegin + window.from + start, lineBegin + window.from + end};
}

// The line at pos with its break, as a triple click takes it.
void TextView::Private::selectLine(int pos)
{
    const int line = lineAt(pos);
    const int end = line + 1 < lineCount() ? lineStart(line + 1) : length();
    mouse = Mouse::None;
    q->setSelection(lineStart(line), end);
    updateSelectionClipboard();
}

// The caret count screen lines down (up when negative), keeping its x.
int TextView::Private::verticalMove(int count)
{
    const Spot spot = spotOf(q->m_position);
    if (desiredX < 0)
        desiredX = xOf(spot);
    const Row from = rowOf(spot);
    const Row to = step(from, count);
    if (to.line == from.line && to.sub == from.sub)
        return q->m_position;
    return posOf({to.line, columnAt(to, desiredX)});
}

// Page Down and Page Up as QPlainTextEdit has them: the view moves on by the rows it shows
// whole (down, the row cut at the bottom comes to the top; up, a view's height), and the
// caret keeps its place on screen and its x. Down with the end in view goes to the last row.
int TextView::Private::pageMove(bool down)
{
    ensureVisible(q->m_position);
    const Spot spot = spotOf(q->m_position);
    if (desiredX < 0)
        desiredX = xOf(spot);
    const Row caret = rowOf(spot);
    const qreal height = q->viewport()->height();
    const qreal caretY = topMargin() + distance(topRow(), caret, INT_MAX) * lineHeight;
    Row target;
    if (down) {
        const int whole = int((height - topMargin()) / lineHeight);
        const int lastLine = lineCount() - 1;
        const Row last{lastLine, screenLinesIn(lastLine) - 1};
        if (distance(topRow(), last, whole) < whole) {
            target = last;
        } else {
            setTop(step(topRow(), whole));
            target = step(topRow(), int(std::ceil(caretY / lineHeight)));
        }
    } else if (topMargin() > 0) {
        target = {0, 0};
    } else {
        setTop(step(topRow(), -int(height / lineHeight)));
        target = step(topRow(), qMax(0, int((caretY - topMargin()) / lineHeight)));
    }
    return posOf({target.line, columnAt(target, desiredX)});
}

// Start or end of the caret's screen line. A wrapped line's end stays before the blank
// where it wraps, as QTextCursor's EndOfLine does.
int TextView::Private::lineEdge(bool end)
{
    const Spot spot = spotOf(q->m_position);
    if (!q->m_wordWrap)
        return posOf({spot.line, end ? lineLength(spot.line) : 0});
    int index = 0;
    QTextLine textLine;
    rowOf(spot, &index, &textLine);
    const Line& line = entry(spot.line);
    const int start = line.segments[index].start + textLine.textStart();
    if (!end)
        return posOf({spot.line, start});
    int column = start + textLine.textLength();
    const bool lastRow = index + 1 == int(line.segments.size()) &&
                         textLine.lineNumber() + 1 == line.segments[index].layout->lineCount();
    if (!lastRow && column > start && lineText(spot.line, column - 1, 1).at(0).isSpace())
        --column;
    return posOf({spot.line, column});
}

// ---- Editing ---------------------------------------------------------------------------

void TextView::Private::edit(int from, int to, const QString& inserted, EditKind kind)
{
    if (q->m_readOnly)
        return;
    from = qBound(0, from, length());
    to = qBound(from, to, length());
    const bool accessible = QAccessible::isActive();
    const QString removed = accessible ? text(from, to) : QString();
    q->aboutToReplace(from, to);
    q->editText(from, to, inserted, kind);
    desiredX = -1;
    q->ensureCaretVisible();
    if (accessible) {
        QAccessibleTextUpdateEvent event(q, from, removed, inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void TextView::Private::insertTyped(const QString& typed)
{
    edit(q->selectionStart(), q->selectionEnd(), typed, EditKind::Typing);
}

// The selection goes instead when there is one, as a step of its own; so does a word.
// Characters deleted one by one join, for undo.
void TextView::Private::deleteRange(int from, int to, EditKind kind)
{
    if (q->hasSelection())
        edit(q->selectionStart(), q->selectionEnd(), QString(), EditKind::Other);
    else if (from != to)
        edit(qMin(from, to), qMax(from, to), QString(), kind);
}

bool TextView::Private::handleMoveKey(QKeyEvent* event)
{
    using Key = QKeySequence::StandardKey;
    struct Move {
        Key move;
        Key select;
        std::function<int()> target;
        bool vertical;
    };
    const int pos = q->m_position;
    const std::vector<Move> moves = {
        {Key::MoveToNextChar, Key::SelectNextChar, [&] { return nextCharacter(pos); }, false},
        {Key::MoveToPreviousChar, Key::SelectPreviousChar, [&] { return previousCharacter(pos); },
         false},
        {Key::MoveToNextWord, Key::SelectNextWord, [&] { return nextWord(pos); }, false},
        {Key::MoveToPreviousWord, Key::SelectPreviousWord, [&] { return previousWord(pos); },
         false},
        {Key::MoveToNextLine, Key::SelectNextLine, [&] { return verticalMove(1); }, true},
        {Key::MoveToPreviousLine, Key::SelectPreviousLine, [&] { return verticalMove(-1); }, true},
        {Key::MoveToNextPage, Key::SelectNextPage, [&] { return pageMove(true); }, true},
        {Key::MoveToPreviousPage, Key::SelectPreviousPage, [&] { return pageMove(false); }, true},
        {Key::MoveToStartOfLine, Key::SelectStartOfLine, [&] { return lineEdge(false); }, false},
        {Key::MoveToEndOfLine, Key::SelectEndOfLine, [&] { return lineEdge(true); }, false},
        {Key::MoveToStartOfBlock, Key::SelectStartOfBlock,
         [&] { return lineStart(spotOf(pos).line); }, false},
        {Key::MoveToEndOfBlock, Key::SelectEndOfBlock,
         [&] {
             const int line = spotOf(pos).line;
             return lineStart(line) + lineLength(line);
         },
         false},
        {Key::MoveToStartOfDocument, Key::SelectStartOfDocument, [] { return 0; }, false},
        {Key::MoveToEndOfDocument, Key::SelectEndOfDocument, [&] { return length(); }, false},
    };
    for (const Move& move : moves) {
        const bool extend = event->matches(move.select);
        if (!extend && !event->matches(move.move))
            continue;
        const qreal keptX = desiredX;
        int target = 0;
        // Left and Right with a selection go to its start or end.
        if (!extend && q->hasSelection() && move.move == Key::MoveToPreviousChar)
            target = q->selectionStart();
        else if (!extend && q->hasSelection() && move.move == Key::MoveToNextChar)
            target = q->selectionEnd();
        else
            target = move.target();
        // Up on the first screen line and Down on the last: with Shift to the start or the
        // end of the text, else nothing moves and the selection stays.
        const bool down = move.move == Key::MoveToNextLine;
        if (target == pos && (down || move.move == Key::MoveToPreviousLine)) {
            if (!extend)
                return true;
            target = down ? length() : 0;
        }
        const qreal x = desiredX;
        moveTo(target, extend);
        desiredX = move.vertical ? (keptX >= 0 ? keptX : x) : -1;
        return true;
    }
    if (event->matches(Key::SelectAll)) {
        q->setSelection(0, length());
        updateSelectionClipboard();
        return true;
    }
    return false;
}

bool TextView::Private::handleEditKey(QKeyEvent* event)
{
    using Key = QKeySequence::StandardKey;
    const int pos = q->m_position;
    if (event->matches(Key::Copy)) {
        q->copy();
    } else if (event->matches(Key::Cut)) {
        q->cut();
    } else if (event->matches(Key::Paste)) {
        q->paste();
    } else if (event->matches(Key::Undo)) {
        if (!q->m_readOnly)
            q->undo();
    } else if (q->m_readOnly) {
        return false;
    } else if (event->matches(Key::Backspace) ||
               (event->key() == Qt::Key_Backspace &&
                !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))) {
        deleteRange(previousCodePoint(pos), pos, EditKind::Deleting);
    } else if (event->matches(Key::Delete)) {
        deleteRange(pos, nextCharacter(pos), EditKind::Deleting);
    } else if (event->matches(Key::DeleteStartOfWord)) {
        deleteRange(previousWord(pos), pos, EditKind::Other);
    } else if (event->matches(Key::DeleteEndOfWord)) {
        deleteRange(pos, nextWord(pos), EditKind::Other);
    } else if (event->matches(Key::InsertParagraphSeparator) ||
               event->matches(Key::InsertLineSeparator)) {
        insertTyped(QStringLiteral("\n"));
    } else if (event->key() == Qt::Key_Tab && !(event->modifiers() & ~Qt::KeypadModifier)) {
        insertTyped(QStringLiteral("\t"));
    } else {
        const QString typed = event->text();
        const bool command =
            event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (command || !isTypedText(typed))
            return false;
        insertTyped(typed);
    }
    return true;
}

bool TextView::Private::handleKey(QKeyEvent* event)
{
    return handleMoveKey(event) || handleEditKey(event);
}

// The keys a focused text edit keeps from the window's shortcuts, as QWidgetTextControl.
bool TextView::Private::overridesShortcut(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
        modifiers == Qt::KeypadModifier) {
        if (event->key() < Qt::Key_Escape)
            return true;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Delete:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Backspace:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Tab:
            return true;
        default:
            return false;
        }
    }
    using Key = QKeySequence::StandardKey;
    for (Key key :
         {Key::Copy, Key::Paste, Key::Cut, Key::Undo, Key::MoveToNextWord, Key::MoveToPreviousWord,
          Key::MoveToStartOfDocument, Key::MoveToEndOfDocument, Key::SelectNextWord,
          Key::SelectPreviousWord, Key::SelectStartOfLine, Key::SelectEndOfLine,
          Key::SelectStartOfBlock, Key::SelectEndOfBlock, Key::SelectStartOfDocument,
          Key::SelectEndOfDocument, Key::SelectAll, Key::DeleteStartOfWord, Key::DeleteEndOfWord}) {
        if (event->matches(key))
            return true;
    }
    return false;
}

// ---- Mouse and drag and drop ------------------------------------------------------------

void TextView::Private::startDrag()
{
    mouse = Mouse::None;
    QMimeData* data = q->createMimeDataFromSelection();
    if (!data)
        return;
    const int start = q->selectionStart();
    const int end = q->selectionEnd();
    auto* drag = new QDrag(q);
    drag->setMimeData(data);
    const Qt::DropActions actions =
        q->m_readOnly ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
    const Qt::DropAction action = drag->exec(actions, Qt::MoveAction);
    // A move into another widget takes the text away from here; one within the view has
    // moved it already.
    const QObject* target = drag->target();
    if (action == Qt::MoveAction && target != q && target != q->viewport())
        edit(start, end, QString(), EditKind::Other);
    drag->deleteLater();
}

void TextView::Private::extendMouseSelection(const QPoint& point)
{
    const int pos = hitTest(point);
    if (mouse == Mouse::SelectWords) {
        const auto [start, end] = wordAt(pos);
        if (pos < wordStart)
            q->setSelection(wordEnd, start);
        else
            q->setSelection(wordStart, qMax(end, wordEnd));
    } else {
        q->setSelection(q->m_anchor, pos);
    }
    q->ensureCaretVisible();
}

void TextView::Private::autoScroll()
{
    const QRect area = q->viewport()->rect();
    if (mouse != Mouse::Select && mouse != Mouse::SelectWords) {
        autoScrollTimer.stop();
        return;
    }
    if (mousePos.y() < area.top())
        scrollScreenLines(-1);
    else if (mousePos.y() > area.bottom())
        scrollScreenLines(1);
    QScrollBar* bar = q->horizontalScrollBar();
    if (mousePos.x() < area.left())
        bar->setValue(bar->value() - HorizontalStep);
    else if (mousePos.x() > area.right())
        bar->setValue(bar->value() + HorizontalStep);
    const QPoint inside(qBound(area.left(), mousePos.x(), area.right()),
                        qBound(area.top(), mousePos.y(), area.bottom()));
    const int pos = hitTest(inside);
    q->setSelection(mouse == Mouse::SelectWords && pos < wordStart ? wordEnd : q->m_anchor, pos);
    q->ensureCaretVisible();
    if (area.contains(mousePos))
        autoScrollTimer.stop();
}

void TextView::Private::pasteSelectionClipboard(const QPoint& point)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (q->m_readOnly || !clipboard->supportsSelection())
        return;
    const QMimeData* data = clipboard->mimeData(QClipboard::Selection);
    if (!data || !q->canInsertFromMimeData(data))
        return;
    const int pos = hitTest(point);
    q->setSelection(pos, pos);
    q->insertFromMimeData(data);
    q->ensureCaretVisible();
}

bool TextView::Private::canDrop(const QDropEvent* event) const
{
    return !q->m_readOnly && event->mimeData() && q->canInsertFromMimeData(event->mimeData());
}

// A drop from elsewhere goes in at the drop point; one of the view's own drags moves (or
// with Ctrl copies) the selection there, and the text dropped ends up selected.
void TextView::Private::drop(QDropEvent* event)
{
    const int pos = hitTest(event->position());
    const bool own = event->source() == q;
    const bool move = own && !(event->modifiers() & Qt::ControlModifier) &&
                      (event->possibleActions() & Qt::MoveAction);
    const int start = q->selectionStart();
    const int end = q->selectionEnd();
    if (own && pos >= start && pos <= end) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        return;
    }
    const int before = length();
    if (move)
        q->beginEditGroup();
    q->setSelection(pos, pos);
    q->insertFromMimeData(event->mimeData());
    const int inserted = length() - before;
    int dropped = pos;
    if (move && inserted > 0) {
        const int shift = pos < start ? inserted : 0;
        edit(start + shift, end + shift, QString(), EditKind::Other);
        if (pos > end)
            dropped -= end - start;
    }
    if (move)
        q->endEditGroup();
    if (move && inserted == 0) {
        // Nothing came in: the text stays where it was.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        return;
    }
    q->setSelection(dropped, dropped + inserted);
    q->ensureCaretVisible();
    event->setDropAction(move ? Qt::MoveAction : own ? Qt::CopyAction : event->proposedAction());
    event->accept();
}

// ---- Accessibility -----------------------------------------------------------------------

void TextView::Private::notifyAccessibleCaret()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent cursor(q, q->m_position);
    QAccessible::updateAccessibility(&cursor);
    QAccessibleTextSelectionEvent selection(q, q->selectionStart(), q->selectionEnd());
    selection.setCursorPosition(q->m_position);
    QAccessible::updateAccessibility(&selection);
}

// The accessible face of a TextView: its text, caret and selection, and where characters
// show on screen.
class TextViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TextViewAccessible(TextView* view) : QAccessibleWidget(view, QAccessible::EditableText)
    {
    }

    static QAccessibleInterface* factory(const QString&, QObject* object)
    {
        auto* view = qobject_cast<TextView*>(object);
        return view ? new TextViewAccessible(view) : nullptr;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.readOnly = view()->isReadOnly();
        s.editable = !view()->isReadOnly();
        s.focusable = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return text(0, characterCount());
        return QAccessibleWidget::text(type);
    }

    // QAccessibleTextInterface
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index == 0 && view()->hasSelection()) {
            *start = view()->selectionStart();
            *end = view()->selectionEnd();
        }
    }
    int selectionCount() const override { return view()->hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            view()->setSelection(view()->position(), view()->position());
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0)
            view()->setSelection(clamp(start), clamp(end));
    }
    int cursorPosition() const override { return view()->position(); }
    void setCursorPosition(int position) override
    {
        view()->setSelection(clamp(position), clamp(position));
    }
    QString text(int start, int end) const override
    {
        return view()->d->text(clamp(start), clamp(end));
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override
    {
        const auto [from, to] = unitAt(offset, type);
        if (from <= 0)
            return none(start, end);
        return unit(unitAt(from - 1, type), start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override
    {
        const auto [from, to] = unitAt(offset, type);
        if (to >= characterCount() || to <= from)
            return none(start, end);
        return unit(unitAt(to, type), start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override
    {
        if (offset < 0 || offset > characterCount())
            return none(start, end);
        return unit(unitAt(offset, type), start, end);
    }
    int characterCount() const override { return view()->d->length(); }
    QRect characterRect(int offset) const override
    {
        TextView* v = view();
        const QRectF caret = v->d->rectOf(clamp(offset));
        const QRectF next = v->d->rectOf(qMin(characterCount(), clamp(offset) + 1));
        QRect rect = caret.toRect();
        if (next.top() == caret.top() && next.left() > caret.left())
            rect.setRight(int(next.left()) - 1);
        return QRect(v->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        if (!view()->viewport()->rect().contains(local))
            return -1;
        return view()->d->hitTest(local);
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        view()->d->ensureVisible(clamp(endIndex));
        view()->d->ensureVisible(clamp(startIndex));
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    TextView* view() const { return static_cast<TextView*>(widget()); }
    int clamp(int pos) const { return qBound(0, pos, characterCount()); }

    // The unit of text holding offset: a character, a word (or the blanks between words),
    // a line with its break, or everything.
    std::pair<int, int> unitAt(int offset, QAccessible::TextBoundaryType type) const
    {
        TextView::Private* d = view()->d.get();
        offset = clamp(offset);
        const int count = characterCount();
        switch (type) {
        case QAccessible::CharBoundary:
            return {offset, offset < count ? d->nextCharacter(offset) : offset};
        case QAccessible::WordBoundary:
            return d->wordAt(offset);
        case QAccessible::LineBoundary:
        case QAccessible::SentenceBoundary:
        case QAccessible::ParagraphBoundary: {
            const int line = d->lineAt(offset);
            const int start = d->lineStart(line);
            const int end = start + d->lineLength(line);
            return {start, line + 1 < d->lineCount() ? end + 1 : end};
        }
        case QAccessible::NoBoundary:
            return {0, count};
        }
        return {offset, offset};
    }
    QString unit(std::pair<int, int> range, int* start, int* end) const
    {
        *start = range.first;
        *end = range.second;
        return text(range.first, range.second);
    }
    static QString none(int* start, int* end)
    {
        *start = *end = -1;
        return QString();
    }
};

// ---- TextView ----------------------------------------------------------------------------

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent), d(new Private(this))
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&TextViewAccessible::factory);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression, false);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    d->updateFontMetrics();
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        // Under word wrap the arrows of the bar move by screen lines, not whole lines.
        const bool down = action == QAbstractSlider::SliderSingleStepAdd;
        if (!m_wordWrap || (!down && action != QAbstractSlider::SliderSingleStepSub))
            return;
        verticalScrollBar()->setSliderPosition(verticalScrollBar()->value());
        d->scrollScreenLines(down ? 1 : -1);
    });
    d->updateScrollBars();
}

TextView::~TextView() = default;

void TextView::setSource(const TextViewSource* source)
{
    m_source = source;
    textReset();
}

void TextView::setSelection(int anchor, int position)
{
    const int length = d->length();
    anchor = qBound(0, anchor, length);
    position = qBound(0, position, length);
    if (anchor == m_anchor && position == m_position)
        return;
    const bool caretMoved = position != m_position;
    const bool hadSelection = hasSelection();
    if (!d->preedit.isEmpty()) {
        d->preedit.clear();
        d->dropLayoutAt(m_position);
    }
    m_anchor = anchor;
    m_position = position;
    d->desiredX = -1;
    if (caretMoved || hadSelection || hasSelection())
        d->caretMoved();
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TextView::ensureCaretVisible()
{
    d->ensureVisible(m_position);
}

QRect TextView::cursorRect() const
{
    return d->rectOf(m_position).toRect();
}

void TextView::aboutToReplace(int from, int to)
{
    const Private::Spot first = d->spotOf(from);
    const Private::Spot last = d->spotOf(to);
    d->pending = first.line == last.line
                     ? Private::PendingEdit{first.line, first.column, last.column}
                     : Private::PendingEdit();
}

void TextView::linesReplaced(int first, int oldCount, int newCount)
{
    d->shiftCache(first, oldCount, newCount);
    d->pending = Private::PendingEdit();
    d->widestLinesReplaced(first, oldCount, newCount);
    d->dropCounts(first);
    // The top line keeps its place in the text, and a line changed in place its screen line
    // at the top; one among other lines replaced shows anew from its start.
    Private::Row top = d->topRow();
    if (top.line >= first + oldCount)
        top.line += newCount - oldCount;
    else if (top.line == first && oldCount == 1 && newCount == 1)
        top.sub = qMin(top.sub, d->estimatedScreenLines(first) - 1);
    else if (top.line >= first)
        top = {qMin(top.line, first + qMax(0, newCount - 1)), 0};
    m_anchor = qMin(m_anchor, d->length());
    m_position = qMin(m_position, d->length());
    d->updateScrollBars();
    d->setTop({qMin(top.line, verticalScrollBar()->maximum()), top.sub});
}

void TextView::textReset()
{
    d->dropLayouts();
    d->dropCounts(0);
    d->widest = 0;
    d->topSub = 0;
    m_anchor = qMin(m_anchor, d->length());
    m_position = qMin(m_position, d->length());
    d->updateScrollBars();
    d->setTop({0, 0});
    horizontalScrollBar()->setValue(0);
}

void TextView::formatsChanged(int first, int last)
{
    // Colours do not move text: the measures and screen lines stay.
    for (auto it = d->cache.lower_bound(first); it != d->cache.end() && it->first <= last; ++it)
        for (auto& segment : it->second.segments)
            segment.layout.reset();
    viewport()->update();
}

void TextView::setWordWrap(bool on)
{
    if (on == m_wordWrap)
        return;
    m_wordWrap = on;
    d->updateFontMetrics();
    d->dropLayouts();
    d->dropCounts(0);
    d->widest = 0;
    d->topSub = 0;
    d->updateScrollBars();
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void TextView::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
    d->restartBlink();
}

int TextView::screenLineOf(int pos) const
{
    const Private::Spot spot = d->spotOf(pos);
    if (!m_wordWrap)
        return spot.line;
    d->countUpTo(spot.line, QDeadlineTimer::Forever);
    return d->firstRow[spot.line] + d->rowOf(spot).sub;
}

std::optional<int> TextView::knownScreenLineOf(int pos, QDeadlineTimer deadline) const
{
    const int line = d->spotOf(pos).line;
    if (m_wordWrap && !d->countUpTo(line, deadline)) {
        d->countTarget = line;
        d->countTimer.start(0, d->q);
        return std::nullopt;
    }
    return screenLineOf(pos);
}

int TextView::screenLineCount() const
{
    if (!m_wordWrap)
        return d->lineCount();
    d->countUpTo(d->lineCount() - 1, QDeadlineTimer::Forever);
    return d->firstRow.back();
}

int TextView::screenLineStart(int screenLine) const
{
    d->trimCache();
    if (screenLine < 0)
        return -1;
    if (!m_wordWrap)
        return screenLine < d->lineCount() ? d->lineStart(screenLine) : -1;
    auto& rows = d->firstRow;
    while (rows.back() <= screenLine && int(rows.size()) - 1 < d->lineCount())
        d->countUpTo(int(rows.size()) - 1, QDeadlineTimer::Forever);
    if (rows.back() <= screenLine)
        return -1;
    const int line = int(std::upper_bound(rows.begin(), rows.end(), screenLine) - rows.begin()) - 1;
    int segment = 0;
    const QTextLine textLine = d->textLineOf({line, screenLine - rows[line]}, &segment);
    const int column = d->entry(line).segments[segment].start + textLine.textStart();
    return d->lineStart(line) + column;
}

TextView::ScreenLine TextView::screenLineAt(int pos) const
{
    d->trimCache();
    const Private::Spot spot = d->spotOf(pos);
    const int start = d->lineStart(spot.line);
    if (!m_wordWrap)
        return {start, d->lineLength(spot.line)};
    int segment = 0;
    QTextLine textLine;
    d->rowOf(spot, &segment, &textLine);
    const int column = d->entry(spot.line).segments[segment].start + textLine.textStart();
    return {start + column, textLine.textLength()};
}

void TextView::copy()
{
    if (!hasSelection())
        return;
    if (QMimeData* data = createMimeDataFromSelection())
        QGuiApplication::clipboard()->setMimeData(data);
}

void TextView::cut()
{
    if (m_readOnly || !hasSelection())
        return;
    copy();
    d->edit(selectionStart(), selectionEnd(), QString(), EditKind::Other);
}

void TextView::paste()
{
    if (m_readOnly)
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !canInsertFromMimeData(data))
        return;
    insertFromMimeData(data);
    ensureCaretVisible();
}

QMimeData* TextView::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(d->text(selectionStart(), selectionEnd()));
    return data;
}

bool TextView::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText();
}

void TextView::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText())
        d->edit(selectionStart(), selectionEnd(), source->text(), EditKind::Other);
}

QMenu* TextView::createStandardContextMenu()
{
    auto* menu = new QMenu(this);
    const bool editable = !m_readOnly;
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    auto add = [menu](const QString& text, QKeySequence::StandardKey key, bool enabled,
                      auto handler) {
        QAction* action = menu->addAction(text, handler);
        action->setShortcut(key);
        action->setEnabled(enabled);
    };
    add(tr("&Undo"), QKeySequence::Undo, editable && canUndo(), [this] { undo(); });
    menu->addSeparator();
    add(tr("Cu&t"), QKeySequence::Cut, editable && hasSelection(), [this] { cut(); });
    add(tr("&Copy"), QKeySequence::Copy, hasSelection(), [this] { copy(); });
    add(tr("&Paste"), QKeySequence::Paste,
        editable && clipboard && canInsertFromMimeData(clipboard), [this] { paste(); });
    add(tr("Delete"), QKeySequence::UnknownKey, editable && hasSelection(),
        [this] { d->edit(selectionStart(), selectionEnd(), QString(), EditKind::Deleting); });
    menu->addSeparator();
    add(tr("Select All"), QKeySequence::SelectAll, d->length() > 0,
        [this] { setSelection(0, d->length()); });
    return menu;
}

bool TextView::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (Private::overridesShortcut(key)) {
            key->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        // Tab goes into the text unless it moves the focus on.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !m_tabChangesFocus && !m_readOnly &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QAbstractScrollArea::event(event);
}

void TextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    d->paint(painter, event->rect());
}

void TextView::resizeEvent(QResizeEvent* event)
{
    const bool widthChanged = event->oldSize().width() != event->size().width();
    QAbstractScrollArea::resizeEvent(event);
    if (m_wordWrap && widthChanged) {
        d->dropLayouts();
        d->dropCounts(0);
        d->topSub = 0;
    }
    d->updateScrollBars();
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    d->trimCache();
    if (d->handleKey(event)) {
        event->accept();
        d->restartBlink();
        return;
    }
    event->ignore();
}

void TextView::inputMethodEvent(QInputMethodEvent* event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    const QString commit = event->commitString();
    if (!commit.isEmpty() || event->replacementLength() > 0) {
        int from = selectionStart();
        int to = selectionEnd();
        if (event->replacementStart() != 0 || event->replacementLength() != 0) {
            from = m_position + event->replacementStart();
            to = from + event->replacementLength();
        }
        d->edit(from, to, commit, EditKind::Typing);
    }
    d->preedit = event->preeditString();
    d->preeditCursor = int(d->preedit.size());
    d->preeditCursorVisible = true;
    d->preeditFormats.clear();
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            d->preeditCursor = attribute.start;
            d->preeditCursorVisible = attribute.length != 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                d->preeditFormats.append({attribute.start, attribute.length, format});
        }
    }
    if (d->preeditFormats.isEmpty() && !d->preedit.isEmpty()) {
        QTextCharFormat underlined;
        underlined.setFontUnderline(true);
        d->preeditFormats.append({0, int(d->preedit.size()), underlined});
    }
    // The caret's line is laid out again with (or without) the text being composed.
    d->dropLayoutAt(m_position);
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        // Its positions are in the surrounding text the queries give.
        if (attribute.type == QInputMethodEvent::Selection && d->preedit.isEmpty()) {
            const Private::Spot spot = d->spotOf(m_position);
            const int around = d->lineStart(spot.line) +
                               d->windowAround(spot, SurroundingText, SurroundingText).from;
            setSelection(around + attribute.start, around + attribute.start + attribute.length);
        }
    }
    viewport()->update();
    event->accept();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const Private::Spot spot = d->spotOf(m_position);
    const Private::Window around = d->windowAround(spot, SurroundingText, SurroundingText);
    const int aroundStart = d->lineStart(spot.line) + around.from;
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && !m_readOnly;
    case Qt::ImCursorRectangle:
        return QRectF(cursorRect()).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return m_position - aroundStart;
    case Qt::ImAnchorPosition:
        return qBound(0, m_anchor - aroundStart, int(around.text.size()));
    case Qt::ImSurroundingText:
        return around.text;
    case Qt::ImCurrentSelection:
        return d->text(selectionStart(), selectionEnd());
    case Qt::ImHints:
        return int(inputMethodHints() | Qt::ImhMultiLine);
    case Qt::ImMaximumTextLength:
        return QVariant(); // no limit
    case Qt::ImReadOnly:
        return m_readOnly;
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TextView::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    d->mousePos = point;
    // A click ends the composing of text: the input method gives what it has.
    if (!d->preedit.isEmpty())
        QGuiApplication::inputMethod()->commit();
    if (event->button() == Qt::MiddleButton) {
        d->pasteSelectionClipboard(point);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (d->tripleClickTimer.isActive() &&
        (point - d->doubleClickPos).manhattanLength() < QApplication::startDragDistance()) {
        d->tripleClickTimer.stop();
        d->selectLine(d->hitTest(point));
        return;
    }
    const int pos = d->hitTest(point);
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (!extend && hasSelection() && pos >= selectionStart() && pos < selectionEnd()) {
        d->mouse = Private::Mouse::DragPending;
        d->pressPos = point;
        return;
    }
    d->mouse = Private::Mouse::Select;
    setSelection(extend ? m_anchor : pos, pos);
    ensureCaretVisible();
}

void TextView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    d->mousePos = point;
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (d->mouse == Private::Mouse::DragPending) {
        if ((point - d->pressPos).manhattanLength() > QApplication::startDragDistance())
            d->startDrag();
        return;
    }
    if (d->mouse == Private::Mouse::None)
        return;
    if (viewport()->rect().contains(point))
        d->extendMouseSelection(point);
    else if (!d->autoScrollTimer.isActive())
        d->autoScrollTimer.start(AutoScrollMs, this);
}

void TextView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (d->mouse == Private::Mouse::DragPending) {
        // A click in the selection that did not drag places the caret there.
        const int pos = d->hitTest(event->position());
        setSelection(pos, pos);
    }
    d->autoScrollTimer.stop();
    d->mouse = Private::Mouse::None;
    d->updateSelectionClipboard();
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const auto [start, end] = d->wordAt(d->hitTest(event->position()));
    d->wordStart = start;
    d->wordEnd = end;
    d->mouse = Private::Mouse::SelectWords;
    d->doubleClickPos = event->position().toPoint();
    d->tripleClickTimer.start(QApplication::doubleClickInterval(), this);
    setSelection(start, end);
    d->updateSelectionClipboard();
}

void TextView::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    if (menu)
        menu->exec(event->globalPos());
}

void TextView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TextView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!d->canDrop(event)) {
        event->ignore();
        d->dropPos = -1;
        viewport()->update();
        return;
    }
    d->dropPos = d->hitTest(event->position());
    event->acceptProposedAction();
    viewport()->update();
}

void TextView::dragLeaveEvent(QDragLeaveEvent* event)
{
    d->dropPos = -1;
    viewport()->update();
    event->accept();
}

void TextView::dropEvent(QDropEvent* event)
{
    d->dropPos = -1;
    viewport()->update();
    if (!d->canDrop(event)) {
        event->ignore();
        return;
    }
    d->drop(event);
}

void TextView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    d->restartBlink();
}

void TextView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    d->blinkTimer.stop();
    viewport()->update();
}

void TextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        d->updateFontMetrics();
        d->dropLayouts();
        d->dropCounts(0);
        d->widest = 0;
        d->updateScrollBars();
        break;
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::ActivationChange:
        viewport()->update();
        break;
    default:
        break;
    }
}

void TextView::scrollContentsBy(int, int dy)
{
    // The bar moved by itself: the top line shows from its first screen line.
    if (dy != 0 && !d->settingTop)
        d->topSub = 0;
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void TextView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == d->blinkTimer.timerId()) {
        d->caretShown = !d->caretShown;
        viewport()->update();
    } else if (event->timerId() == d->autoScrollTimer.timerId()) {
        d->autoScroll();
    } else if (event->timerId() == d->tripleClickTimer.timerId()) {
        d->tripleClickTimer.stop();
    } else if (event->timerId() == d->countTimer.timerId()) {
        d->countTimer.stop();
        d->countInSlices();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}
