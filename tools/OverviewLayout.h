#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// The overview picture: the text's lines laid out in chunks of eleven on a page five times
// the picture's width and drawn at a fifth of their size, one chunk under the other. The
// layout is plain arithmetic over the laid-out lines, so that the drawing and the click
// mapping always agree on where a chunk ends.
namespace Overview
{
constexpr int ChunkLines = 11;
constexpr qreal Scale = 0.2;
constexpr int PictureWidth = 240;
constexpr int PageWidth = 1200;  // PictureWidth / Scale: the width lines wrap at
constexpr int CopiedWidth = 238; // columns of a chunk that reach the picture
constexpr int FirstRow = 1;      // the first chunk's row in the picture
} // namespace Overview

// One screen line of a text line laid out on the page, in page pixels.
struct VisualLine {
    int chars = 0;
    float height = 0;
};
// The screen lines of one text line; never empty (an empty line is one screen line).
using LineLayout = QList<VisualLine>;
// The screen lines of one text line as remembered.
struct VisualLines {
    const VisualLine* first;
    const VisualLine* end_;
    const VisualLine* begin() const { return first; }
    const VisualLine* end() const { return end_; }
};
// Lays out one text line on the page.
using LineMeasure = std::function<LineLayout(QStringView line)>;

// The lines of a text split at its CR LF breaks, as views into it. A break at the very end
// opens no further line, and an empty text has none.
QList<QStringView> SplitOverviewLines(QStringView text);

// Remembers every laid-out line by its text, so that laying out the same text again (a
// click after a refresh, or after a small edit) costs only the lookups. The screen lines of
// all of them lie in one array.
class OverviewMetrics
{
public:
    explicit OverviewMetrics(LineMeasure measure) : m_measure(std::move(measure)) {}

    // Valid until the next call.
    VisualLines layoutOf(QStringView line);
    bool Knows(QStringView line) const;
    // The layout of a line laid out elsewhere.
    void Remember(QStringView line, const LineLayout& layout);

private:
    // Lines are known by a 64-bit hash of their text and their length; the text itself is
    // not kept.
    struct Key {
        size_t hash;
        qsizetype length;
        bool operator==(const Key& other) const
        {
            return hash == other.hash && length == other.length;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) noexcept
    {
        return qHashMulti(seed, key.hash, key.length);
    }

    static Key keyOf(QStringView line) { return {qHash(line, 0), line.size()}; }

    struct Span {
        qsizetype first;
        qsizetype count;
    };

    LineMeasure m_measure;
    QHash<Key, Span> m_known;
    QList<VisualLine> m_visualLines;
};

// Lines first to last (inclusive) of the text, placed at row top of the picture and rows
// high: the chunk's laid-out height at the scale, rounded up. start is the position of its
// first line, line breaks counting two.
struct OverviewChunk {
    int first = 0;
    int last = 0;
    int top = 0;
    int rows = 0;
    qint64 start = 0;
};

// The last line of the chunk that starts at line first.
int ChunkLastLine(int first, int lineCount);
// The rows a chunk takes in the picture.
int ChunkRows(OverviewMetrics& metrics, const QList<QStringView>& lines, int first, int last);
// The characters of the chunk that lie on its screen lines wholly above rows rows from its
// top, each line break counting two: the offset of the screen line at that height.
qint64 ChunkCharsAbove(OverviewMetrics& metrics, const QList<QStringView>& lines,
                       const OverviewChunk& chunk, int rows);

// The chunks of the lines one after another; the picture is Height() rows high (the first
// row stays empty). Next() lays out one chunk, so that a long text can be laid out in steps.
class OverviewLayoutPass
{
public:
    OverviewLayoutPass(OverviewMetrics& metrics, const QList<QStringView>& lines)
        : m_metrics(metrics), m_lines(lines)
    {
    }

    bool Done() const { return m_nextLine >= m_lines.size(); }
    // The first line of the chunk that Next lays out.
    int NextLine() const { return m_nextLine; }
    // Lays out the next chunk and returns it.
    const OverviewChunk& Next();
    // Lays out everything that is left.
    void Finish();
    const QList<OverviewChunk>& Chunks() const { return m_chunks; }
    int Height() const { return m_top; }

private:
    OverviewMetrics& m_metrics;
    const QList<QStringView>& m_lines;
    QList<OverviewChunk> m_chunks;
    int m_nextLine = 0;
    int m_top = Overview::FirstRow;
    qint64 m_start = 0;
};

// The chunk drawn at row y, or the end when y lies below the last.
QList<OverviewChunk>::const_iterator ChunkAtRow(const QList<OverviewChunk>& chunks, int y);

// The position (line breaks counting two) that a click at row y of the picture of these
// lines, laid out in these chunks, stands for: the start of the screen line drawn at that
// height. Below the last chunk it lies at or past the end of the text, which the editor
// limits.
qint64 OverviewPositionAt(OverviewMetrics& metrics, const QList<QStringView>& lines,
                          const QList<OverviewChunk>& chunks, int y);
