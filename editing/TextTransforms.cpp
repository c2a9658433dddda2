#include "editing/TextTransforms.h"

#include "app/ColorRanges.h"
#include "app/TextCompare.h"

#include <algorithm>

namespace
{

// How much the repeated replacement may work, in characters scanned, before it counts as
// one that does not end: a second or a few for a large document.
constexpr qsizetype WorkPerCharacter = 16;
constexpr qsizetype MinimumWork = qsizetype(1) << 27;
// How large the text may grow while replacing, as a multiple of its size and beyond it.
constexpr qsizetype GrowthFactor = 4;
constexpr qsizetype GrowthAllowance = qsizetype(1) << 24;

qsizetype sizeLimit(QStringView text)
{
    return GrowthFactor * text.size() + GrowthAllowance;
}

QString foldedFor(QStringView text, bool matchCase)
{
    return matchCase ? text.toString() : AsciiUpperCase(text);
}

// Keeps only the edits that change something; none at all when the whole text stays.
std::vector<TextEdit> realEdits(QStringView text, std::vector<TextEdit> edits)
{
    edits.erase(std::remove_if(edits.begin(), edits.end(),
                               [text](const TextEdit& edit) {
                                   return text.mid(edit.pos, edit.removed) == edit.inserted;
                               }),
                edits.end());
    return edits;
}

// The text as it is built: what lies before the scan, holding no occurrence. Each stretch
// of it comes either from the original text or from replacements, so that the result can be
// told as edits of the original.
class ScannedText
{
public:
    // Characters of the original text from origin on, or (origin -1) of a replacement.
    void append(QStringView characters, qsizetype origin)
    {
        const bool continues =
            !m_runs.empty() &&
            (origin < 0 ? m_runs.back().origin < 0
                        : m_runs.back().origin >= 0 &&
                              m_runs.back().origin + runLength(m_runs.size() - 1) == origin);
        if (!continues)
            m_runs.push_back({m_text.size(), origin});
        m_text += characters;
    }

    void reserve(qsizetype size) { m_text.reserve(size); }

    void chop(qsizetype count)
    {
        m_text.chop(count);
        while (!m_runs.empty() && m_runs.back().start >= m_text.size())
            m_runs.pop_back();
    }

    const QString& text() const { return m_text; }

    // The edits of original that give this text.
    // The edits of original that give this text. Inserted text that is the replacement
    // shares it.
    std::vector<TextEdit> edits(QStringView original, const QString& replacement) const
    {
        std::vector<TextEdit> edits;
        qsizetype kept = 0; // the original before kept is accounted for
        qsizetype insertedFrom = 0;
        auto addEdit = [&](qsizetype to, qsizetype insertedTo) {
            const QStringView inserted =
                QStringView(m_text).mid(insertedFrom, insertedTo - insertedFrom);
            if (to > kept || !inserted.isEmpty())
                edits.push_back(
                    {kept, to - kept, inserted == replacement ? replacement : inserted.toString()});
        };
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            const Run& run = m_runs[i];
            if (run.origin < 0)
                continue; // replacement characters lie between runs of the original
            addEdit(run.origin, run.start);
            kept = run.origin + runLength(i);
            insertedFrom = run.start + runLength(i);
        }
        addEdit(original.size(), m_text.size());
        return edits;
    }

private:
    struct Run {
        qsizetype start;  // in the text
        qsizetype origin; // its position in the original; -1 for replacement characters
    };

    qsizetype runLength(std::size_t index) const
    {
        const qsizetype end = index + 1 < m_runs.size() ? m_runs[index + 1].start : m_text.size();
        return end - m_runs[index].start;
    }

    QString m_text;
    std::vector<Run> m_runs;
};

// Finds the occurrences of a pattern in a stream of characters, in time linear in the
// stream whatever the pattern: the state is the length of the longest end of the stream read
// so far that begins the pattern. Without match case the letters a-z and A-Z match either
// case.
class PatternMatcher
{
public:
    PatternMatcher(QStringView pattern, bool matchCase)
        : m_pattern(foldedFor(pattern, matchCase)), m_matchCase(matchCase)
    {
        // m_border[i]: the longest proper border of the pattern's first i characters.
        m_border.assign(m_pattern.size() + 1, 0);
        qsizetype border = 0;
        for (qsizetype i = 1; i < m_pattern.size(); ++i) {
            border = next(border, m_pattern[i]);
            m_border[i + 1] = border;
        }
    }

    qsizetype length() const { return m_pattern.size(); }

    qsizetype next(qsizetype state, QChar c) const
    {
        if (!m_matchCase)
            c = AsciiUpperChar(c);
        if (state == length())
            state = m_border[state];
        while (state > 0 && m_pattern[state] != c)
            state = m_border[state];
        return m_pattern[state] == c ? state + 1 : 0;
    }

    // The first occurrence in text at or after from, or -1.
    qsizetype find(QStringView text, qsizetype from = 0) const
    {
        qsizetype state = 0;
        for (qsizetype i = from; i < text.size(); ++i) {
            state = next(state, text[i]);
            if (state == length())
                return i + 1 - length();
        }
        return -1;
    }

private:
    QString m_pattern;
    bool m_matchCase;
    std::vector<qsizetype> m_border;
};

// Each occurrence of the original text replaced once, left to right.
std::vector<TextEdit> onePassEdits(QStringView text, const PatternMatcher& matcher,
                                   QStringView replacement)
{
    std::vector<TextEdit> edits;
    const QString inserted = replacement.toString();
    for (qsizetype at = matcher.find(text); at >= 0; at = matcher.find(text, at + matcher.length()))
        edits.push_back({at, matcher.length(), inserted});
    return edits;
}

// The repeated replacement in one scan; false when it would work beyond its limit.
class RepeatedReplacement
{
public:
    RepeatedReplacement(QStringView text, const PatternMatcher& matcher, QStringView replacement)
        : m_text(text), m_replacement(replacement), m_matcher(matcher)
    {
    }

    ReplacementOutcome run()
    {
        const qsizetype length = m_matcher.length();
        const qsizetype workLimit =
            WorkPerCharacter * (m_text.size() + m_replacement.size()) + MinimumWork;
        // Replacement text still to scan: an offset into it per replacement made, the
        // latest on top.
        std::vector<qint32> pending;
        qsizetype pendingCharacters = 0;
        qsizetype next = 0; // the next character of the original text
        qsizetype state = 0;
        m_scanned.reserve(m_text.size());
        for (qsizetype work = 0; work <= workLimit;) {
            if (!pending.empty()) {
                const QChar c = m_replacement[pending.back()];
                if (++pending.back() == m_replacement.size())
                    pending.pop_back();
                --pendingCharacters;
                m_scanned.append(QStringView(&c, 1), -1);
                state = m_matcher.next(state, c);
                ++work;
                if (state < length)
                    continue;
            } else if (next < m_text.size()) {
                // The original text up to the next occurrence goes in as one stretch.
                qsizetype end = next;
                while (end < m_text.size() && state < length)
                    state = m_matcher.next(state, m_text[end++]);
                m_scanned.append(m_text.mid(next, end - next), next);
                work += end - next;
                next = end;
                if (state < length)
                    return ReplacementOutcome::Done;
            } else {
                return ReplacementOutcome::Done;
            }
            // The scanned text ends with an occurrence: it gives way to the replacement.
            m_scanned.chop(length);
            state = stateAtEnd();
            if (m_replacement.isEmpty())
                continue;
            pending.push_back(0);
            pendingCharacters += m_replacement.size();
            if (m_scanned.text().size() + pendingCharacters + (m_text.size() - next) >
                sizeLimit(m_text))
                return ReplacementOutcome::TooLarge;
        }
        return ReplacementOutcome::Endless;
    }

    const ScannedText& scanned() const { return m_scanned; }

private:
    // The scanned text holds no occurrence, so its last characters shorter than the pattern
    // decide the state.
    qsizetype stateAtEnd() const
    {
        const QString& text = m_scanned.text();
        qsizetype state = 0;
        for (qsizetype i = qMax<qsizetype>(0, text.size() - m_matcher.length() + 1);
             i < text.size(); ++i)
            state = m_matcher.next(state, text[i]);
        return state;
    }

    QStringView m_text;
    QStringView m_replacement;
    const PatternMatcher& m_matcher;
    ScannedText m_scanned;
};

} // namespace

ReplacementResult RepeatedReplacementEdits(QStringView text, QStringView find,
                                           QStringView replacement, bool matchCase)
{
    if (find.isEmpty() || find.size() > text.size())
        return {};
    const PatternMatcher matcher(find, matchCase);
    if (matcher.find(replacement) < 0) {
        RepeatedReplacement scan(text, matcher, replacement);
        const ReplacementOutcome outcome = scan.run();
        if (outcome != ReplacementOutcome::Done)
            return {outcome, {}};
        if (scan.scanned().text() == text)
            return {};
        return {outcome, realEdits(text, scan.scanned().edits(text, replacement.toString()))};
    }
    const std::vector<TextEdit> edits = realEdits(text, onePassEdits(text, matcher, replacement));
    qsizetype size = text.size();
    for (const TextEdit& edit : edits)
        size += edit.inserted.size() - edit.removed;
    if (size > sizeLimit(text))
        return {ReplacementOutcome::TooLarge, {}};
    if (!edits.empty() && ApplyTextEdits(text, edits) == text)
        return {};
    return {ReplacementOutcome::Done, edits};
}

QString RemoveRepeatedly(QStringView text, QStringView removed)
{
    // Removing only shrinks the text: it always comes to an end.
    return ApplyTextEdits(text, RepeatedReplacementEdits(text, removed, {}, true).edits);
}

QString RemoveLineBreaks(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        else
            result += text[i];
    }
    return result;
}

QString StripHtml(QStringView text)
{
    QString result;
    result.reserve(text.size());
    bool inTag = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'<') {
            inTag = true;
        } else if (c == u'>') {
            inTag = false;
            if (i + 1 < text.size() && text[i + 1] == u'\r')
                i += 2; // the CR and the character after it
        } else if (!inTag) {
            result += c;
        }
    }
    return result;
}

QString HighlightedRuns(QStringView text, int docStart, const ColorRanges& colors, QRgb highlight)
{
    QString runs;
    bool runClosed = false; // a run ended since the last highlighted character
    const std::vector<ColorRange>& ranges = colors.ranges();
    std::size_t range = colors.firstEndingAfter(docStart);
    int docPos = docStart;
    for (qsizetype i = 0; i < text.size(); ++i) {
        while (range < ranges.size() && ranges[range].end <= docPos)
            ++range;
        const bool highlighted = range < ranges.size() && ranges[range].start <= docPos &&
                                 ranges[range].color == highlight;
        const QChar c = text[i];
        if (highlighted) {
            if (runClosed && !runs.isEmpty())
                runs += u' ';
            runClosed = false;
            if (c != u'\r')
                runs += c;
        } else {
            runClosed = true;
        }
        // Both halves of a line break stand at the document position of the break.
        if (!(c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
            ++docPos;
    }
    return runs;
}
