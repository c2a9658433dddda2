#include "tools/OverviewLayout.h"

#include <QtMath>

#include <algorithm>
#include <climits>

namespace
{

// Rounding a height at the scale up must not add a row for the error of a product such as
// 85 * 0.2.
constexpr qreal RowTolerance = 1e-6;

constexpr qint64 LineBreakChars = 2;

int rowsOf(qreal pageHeight)
{
    const qreal rows = qCeil(pageHeight * Overview::Scale - RowTolerance);
    return rows >= INT_MAX ? INT_MAX : int(rows);
}

} // namespace

QList<QStringView> SplitOverviewLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype cr = text.indexOf(u'\r', start);
        while (cr >= 0 && (cr + 1 >= text.size() || text.at(cr + 1) != u'\n'))
            cr = text.indexOf(u'\r', cr + 1);
        if (cr < 0) {
            lines << text.mid(start);
            break;
        }
        lines << text.mid(start, cr - start);
        start = cr + LineBreakChars;
    }
    return lines;
}

VisualLines OverviewMetrics::layoutOf(QStringView line)
{
    auto found = m_known.constFind(keyOf(line));
    if (found == m_known.constEnd()) {
        Remember(line, m_measure(line));
        found = m_known.constFind(keyOf(line));
    }
    const VisualLine* first = m_visualLines.constData() + found->first;
    return {first, first + found->count};
}

bool OverviewMetrics::Knows(QStringView line) const
{
    return m_known.contains(keyOf(line));
}

void OverviewMetrics::Remember(QStringView line, const LineLayout& layout)
{
    m_known.insert(keyOf(line), Span{m_visualLines.size(), layout.size()});
    m_visualLines.append(layout);
}

int ChunkLastLine(int first, int lineCount)
{
    const qint64 last = qint64(first) + Overview::ChunkLines - 1;
    return last < lineCount - 1 ? int(last) : lineCount - 1;
}

int ChunkRows(OverviewMetrics& metrics, const QList<QStringView>& lines, int first, int last)
{
    qreal height = 0;
    for (int i = first; i <= last; ++i) {
        for (const VisualLine& visual : metrics.layoutOf(lines.at(i)))
            height += visual.height;
    }
    return rowsOf(height);
}

qint64 ChunkCharsAbove(OverviewMetrics& metrics, const QList<QStringView>& lines,
                       const OverviewChunk& chunk, int rows)
{
    const qreal pageHeight = rows / Overview::Scale + RowTolerance;
    qreal bottom = 0;
    qint64 chars = 0;
    for (int i = chunk.first; i <= chunk.last; ++i) {
        for (const VisualLine& visual : metrics.layoutOf(lines.at(i))) {
            bottom += visual.height;
            if (bottom > pageHeight)
                return chars;
            chars += visual.chars;
        }
        chars += LineBreakChars;
    }
    return chars;
}

const OverviewChunk& OverviewLayoutPass::Next()
{
    OverviewChunk chunk;
    chunk.first = m_nextLine;
    chunk.last = ChunkLastLine(m_nextLine, int(m_lines.size()));
    chunk.top = m_top;
    chunk.rows = ChunkRows(m_metrics, m_lines, chunk.first, chunk.last);
    chunk.start = m_start;
    m_top = int(qMin<qint64>(qint64(m_top) + chunk.rows, INT_MAX));
    for (int i = chunk.first; i <= chunk.last; ++i)
        m_start += m_lines.at(i).size() + LineBreakChars;
    m_nextLine = chunk.last + 1;
    m_chunks << chunk;
    return m_chunks.last();
}

void OverviewLayoutPass::Finish()
{
    while (!Done())
        Next();
}

QList<OverviewChunk>::const_iterator ChunkAtRow(const QList<OverviewChunk>& chunks, int y)
{
    return std::upper_bound(
        chunks.cbegin(), chunks.cend(), y,
        [](int row, const OverviewChunk& chunk) { return row < chunk.top + qint64(chunk.rows); });
}

qint64 OverviewPositionAt(OverviewMetrics& metrics, const QList<QStringView>& lines,
                          const QList<OverviewChunk>& chunks, int y)
{
    const auto chunk = ChunkAtRow(chunks, y);
    if (chunk != chunks.cend())
        return chunk->start + ChunkCharsAbove(metrics, lines, *chunk, y - chunk->top);
    qint64 end = chunks.isEmpty() ? 0 : chunks.last().start;
    for (int i = chunks.isEmpty() ? 0 : chunks.last().first; i < lines.size(); ++i)
        end += lines.at(i).size() + LineBreakChars;
    return end;
}
