#include "app/ColorRanges.h"

#include <algorithm>
#include <climits>

std::size_t ColorRanges::firstEndingAfter(int pos) const
{
    return std::partition_point(m_ranges.begin(), m_ranges.end(),
                                [pos](const ColorRange& r) { return r.end <= pos; }) -
           m_ranges.begin();
}

std::optional<QRgb> ColorRanges::colorAt(int pos) const
{
    const std::size_t i = firstEndingAfter(pos);
    if (i < m_ranges.size() && m_ranges[i].start <= pos)
        return m_ranges[i].color;
    return std::nullopt;
}

void ColorRanges::removeSpan(int from, int to)
{
    std::size_t i = firstEndingAfter(from);
    if (i >= m_ranges.size() || m_ranges[i].start >= to)
        return;
    ColorRange& first = m_ranges[i];
    if (first.start < from && first.end > to) {
        // The span lies inside one range: split it.
        const ColorRange tail{to, first.end, first.color};
        first.end = from;
        m_ranges.insert(m_ranges.begin() + i + 1, tail);
        return;
    }
    if (first.start < from) {
        first.end = from;
        ++i;
    }
    std::size_t j = i;
    while (j < m_ranges.size() && m_ranges[j].end <= to)
        ++j;
    if (j < m_ranges.size() && m_ranges[j].start < to)
        m_ranges[j].start = to;
    m_ranges.erase(m_ranges.begin() + i, m_ranges.begin() + j);
}

void ColorRanges::mergeAround(std::size_t index)
{
    if (index + 1 < m_ranges.size() && m_ranges[index].end == m_ranges[index + 1].start &&
        m_ranges[index].color == m_ranges[index + 1].color) {
        m_ranges[index].end = m_ranges[index + 1].end;
        m_ranges.erase(m_ranges.begin() + index + 1);
    }
    if (index > 0 && index < m_ranges.size() && m_ranges[index - 1].end == m_ranges[index].start &&
        m_ranges[index - 1].color == m_ranges[index].color) {
        m_ranges[index - 1].end = m_ranges[index].end;
        m_ranges.erase(m_ranges.begin() + index);
    }
}

void ColorRanges::set(int from, int to, std::optional<QRgb> color)
{
    if (from >= to)
        return;
    removeSpan(from, to);
    if (!color)
        return;
    const std::size_t i = firstEndingAfter(from);
    m_ranges.insert(m_ranges.begin() + i, ColorRange{from, to, *color});
    mergeAround(i);
}

void ColorRanges::applyEdit(int pos, int removed, int added, std::optional<QRgb> insertedColor)
{
    if (removed > 0) {
        removeSpan(pos, pos + removed);
        const std::size_t i = firstEndingAfter(pos);
        for (std::size_t j = i; j < m_ranges.size(); ++j) {
            m_ranges[j].start -= removed;
            m_ranges[j].end -= removed;
        }
        if (i > 0)
            mergeAround(i - 1);
    }
    if (added > 0) {
        // Split a range that straddles pos so that the inserted text takes its own colour.
        std::size_t i = firstEndingAfter(pos);
        if (i < m_ranges.size() && m_ranges[i].start < pos) {
            const ColorRange tail{pos, m_ranges[i].end, m_ranges[i].color};
            m_ranges[i].end = pos;
            m_ranges.insert(m_ranges.begin() + ++i, tail);
        }
        for (std::size_t j = i; j < m_ranges.size(); ++j) {
            m_ranges[j].start += added;
            m_ranges[j].end += added;
        }
        if (insertedColor) {
            m_ranges.insert(m_ranges.begin() + i, ColorRange{pos, pos + added, *insertedColor});
            mergeAround(i);
        } else if (i > 0) {
            mergeAround(i - 1);
        }
    }
}

void ColorRanges::applyEdits(const std::vector<Edit>& edits)
{
    if (m_ranges.empty() || edits.empty())
        return;
    std::vector<ColorRange> result;
    result.reserve(m_ranges.size() + edits.size());
    auto append = [&result](int start, int end, QRgb color) {
        if (end <= start)
            return;
        if (!result.empty() && result.back().end == start && result.back().color == color)
            result.back().end = end;
        else
            result.push_back({start, end, color});
    };
    std::size_t next = 0; // first range that may still reach past the text copied so far
    int copied = 0;       // the old text before this is done
    int shift = 0;
    // Copies the colours of old text [copied, to) to their new places.
    auto copyUpTo = [&](int to) {
        while (next < m_ranges.size() && m_ranges[next].end <= copied)
            ++next;
        for (std::size_t i = next; i < m_ranges.size() && m_ranges[i].start < to; ++i)
            append(qMax(m_ranges[i].start, copied) + shift, qMin(m_ranges[i].end, to) + shift,
                   m_ranges[i].color);
    };
    for (const Edit& edit : edits) {
        copyUpTo(edit.pos);
        const std::optional<QRgb> color =
            edit.removed > 0 ? colorAt(edit.pos)
                             : (edit.pos > 0 ? colorAt(edit.pos - 1) : std::nullopt);
        if (color)
            append(edit.pos + shift, edit.pos + shift + edit.added, *color);
        copied = edit.pos + edit.removed;
        shift += edit.added - edit.removed;
    }
    copyUpTo(INT_MAX);
    m_ranges = std::move(result);
}
