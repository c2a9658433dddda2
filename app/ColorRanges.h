#pragma once

#include <QRgb>

#include <optional>
#include <vector>

struct ColorRange {
    int start; // first coloured position
    int end;   // one past the last
    QRgb color;
};

// Coloured stretches of a text: sorted, non-overlapping, neighbours of one colour merged.
// Positions are those of the document the list belongs to; edits move them along.
class ColorRanges
{
public:
    // Colours [from, to); nullopt removes the colour there.
    void set(int from, int to, std::optional<QRgb> color);
    void clear() { m_ranges.clear(); }

    // The text changed at pos: removed characters went, then added characters came in their
    // place. The inserted characters take insertedColor (nullopt: none).
    void applyEdit(int pos, int removed, int added, std::optional<QRgb> insertedColor);

    // Many edits at once, in one pass: each replaces removed characters at pos (positions of
    // the text before any of them, ascending, not overlapping) by added ones. Inserted text
    // takes the colour of the first character it replaces, else of the character before it.
    struct Edit {
        int pos;
        int removed;
        int added;
    };
    void applyEdits(const std::vector<Edit>& edits);

    std::optional<QRgb> colorAt(int pos) const;
    // Index of the first range ending after pos.
    std::size_t firstEndingAfter(int pos) const;

    const std::vector<ColorRange>& ranges() const { return m_ranges; }
    bool empty() const { return m_ranges.empty(); }
    std::size_t size() const { return m_ranges.size(); }

private:
    void removeSpan(int from, int to);
    void mergeAround(std::size_t index);

    std::vector<ColorRange> m_ranges;
};
