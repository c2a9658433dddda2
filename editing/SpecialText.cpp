#include "editing/SpecialText.h"

#include "app/ColorRanges.h"
#include "app/TextCompare.h"

#include <algorithm>

namespace
{

// How much the repeated replacement may work, in characters scanned, before it counts as
// one that grows without end: generous for any real use.
constexpr qsizetype WorkPerCharacter = 64;
constexpr qsizetype MinimumWork = qsizetype(1) << 24;

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

std::vector<TextEdit> onePassEdits(QStringView text, QStringView find, QStringView replacement,
                                   bool matchCase)
{
    const QString foldedText = foldedFor(text, matchCase);
    const QString foldedFind = foldedFor(find, matchCase);
    std::vector<TextEdit> edits;
    const QString inserted = replacement.toString();
    for (qsizetype at = foldedText.indexOf(foldedFind); at >= 0;
         at = foldedText.indexOf(foldedFind, at + find.size()))
        edits.push_back({at, find.size(), inserted});
    return edits;
}

// The text as it is built: what lies before the scan, holding no occurrence. Each stretch
// of it comes either from the original text or from replacements, so that the result can be
// told as edits of the original.
class ScannedText
{
public:
    void append(QChar c, qsizetype origin)
    {
        const bool continues =
            !m_runs.empty() &&
            (origin < 0 ? m_runs.back().origin < 0
                        : m_runs.back().origin >= 0 &&
                              m_runs.back().origin + runLength(m_runs.size() - 1) == origin);
        if (!continues)
            m_runs.push_back({m_text.size(), origin});
        m_text += c;
    }

    void chop(qsizetype count)
    {
        m_text.chop(count);
        while (!m_runs.empty() && m_runs.back().start >= m_text.size())
            m_runs.pop_back();
    }

    const QString& text() const { return m_text; }

    // The edits of original that give this text.
    std::vector<TextEdit> edits(QStringView original) const
    {
        std::vector<TextEdit> edits;
        qsizetype kept = 0; // the original before kept is accounted for
        QString inserted;
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            const Run& run = m_runs[i];
            if (run.origin < 0) {
                inserted += QStringView(m_text).mid(run.start, runLength(i));
                continue;
            }
            if (run.origin > kept || !inserted.isEmpty())
                edits.push_back({kept, run.origin - kept, inserted});
            inserted.clear();
            kept = run.origin + runLength(i);
        }
        if (kept < original.size() || !inserted.isEmpty())
            edits.push_back({kept, original.size() - kept, inserted});
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

// Finds the occurrences of a pattern in a stream of characters: the state is the length of
// the longest end of the stream read so far that begins the pattern.
class PatternMatcher
{
public:
    explicit PatternMatcher(QString pattern) : m_pattern(std::move(pattern))
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
        if (state == length())
            state = m_border[state];
        while (state > 0 && m_pattern[state] != c)
            state = m_border[state];
        return m_pattern[state] == c ? state + 1 : 0;
    }

private:
    QString m_pattern;
    std::vector<qsizetype> m_border;
};

// The repeated replacement in one scan; false when it would work beyond its limit.
class RepeatedReplacement
{
public:
    RepeatedReplacement(QStringView text, QStringView find, QStringView replacement, bool matchCase)
        : m_text(text), m_replacement(replacement), m_matchCase(matchCase),
          m_matcher(foldedFor(find, matchCase))
    {
    }

    bool run()
    {
        const qsizetype limit =
            WorkPerCharacter * (m_text.size() + m_replacement.size()) + MinimumWork;
        // Replacement text still to scan: an offset into it per replacement made, the
        // latest on top.
        std::vector<qsizetype> pending;
        qsizetype next = 0; // the next character of the original text
        qsizetype state = 0;
        for (qsizetype work = 0;; ++work) {
            if (work > limit)
                return false;
            QChar c;
            qsizetype origin = -1;
            if (!pending.empty()) {
                c = m_replacement[pending.back()];
                if (++pending.back() == m_replacement.size())
                    pending.pop_back();
            } else if (next < m_text.size()) {
                origin = next;
                c = m_text[next++];
            } else {
                return true;
            }
            m_scanned.append(c, origin);
            state = m_matcher.next(state, fold(c));
            if (state == m_matcher.length()) {
                m_scanned.chop(m_matcher.length());
                state = stateAtEnd();
                if (!m_replacement.isEmpty())
                    pending.push_back(0);
            }
        }
    }

    const ScannedText& scanned() const { return m_scanned; }

private:
    QChar fold(QChar c) const { return m_matchCase ? c : AsciiUpperChar(c); }

    // The scanned text holds no occurrence, so its last characters shorter than the pattern
    // decide the state.
    qsizetype stateAtEnd() const
    {
        const QString& text = m_scanned.text();
        qsizetype state = 0;
        for (qsizetype i = qMax<qsizetype>(0, text.size() - m_matcher.length() + 1);
             i < text.size(); ++i)
            state = m_matcher.next(state, fold(text[i]));
        return state;
    }

    QStringView m_text;
    QStringView m_replacement;
    bool m_matchCase;
    PatternMatcher m_matcher;
    ScannedText m_scanned;
};

} // namespace

std::vector<TextEdit> RepeatedReplacementEdits(QStringView text, QStringView find,
                                               QStringView replacement, bool matchCase)
{
    if (find.isEmpty())
        return {};
    if (!foldedFor(replacement, matchCase).contains(foldedFor(find, matchCase))) {
        RepeatedReplacement scan(text, find, replacement, matchCase);
        if (scan.run()) {
            if (scan.scanned().text() == text)
                return {};
            return realEdits(text, scan.scanned().edits(text));
        }
    }
    const std::vector<TextEdit> edits =
        realEdits(text, onePassEdits(text, find, replacement, matchCase));
    if (!edits.empty() && ApplyTextEdits(text, edits) == text)
        return {};
    return edits;
}

QString RemoveRepeatedly(QStringView text, QStringView removed)
{
    return ApplyTextEdits(text, RepeatedReplacementEdits(text, removed, {}, true));
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
