#include "browser/FolderSearch.h"

#include "app/TextFile.h"

#include <QtAlgorithms>

#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

// Large enough for few system calls, small enough to stay in the cache and to ask whether
// to go on about every millisecond.
constexpr qint64 SearchBlockSize = qint64(256) << 10;

// Comparisons the candidate checks may cost beyond four per byte scanned before the
// automaton takes over.
constexpr qint64 CompareAllowance = qint64(64) << 10;

// Longer patterns go through the automaton only: carrying their length from one block to
// the next would cost more than the search.
constexpr qsizetype LongPattern = qsizetype(64) << 10;

constexpr uchar CaseBit = 0x20;

bool isAsciiLetter(uchar c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

uchar asciiLower(uchar c)
{
    return c >= 'A' && c <= 'Z' ? uchar(c | CaseBit) : c;
}

// How often a byte (a letter in lower case) occurs in ordinary text, higher for more often.
int commonness(uchar c)
{
    static const char byFrequency[] = " etaoinshrdlcumwfgypbvkjxqz";
    if (const void* at = std::memchr(byFrequency, c, sizeof byFrequency - 1))
        return 200 - int(static_cast<const char*>(at) - byFrequency);
    if (c == '\n' || c == '\r')
        return 190;
    if (c >= '0' && c <= '9')
        return 170;
    // In UTF-8, the first byte of the accented Latin letters, then the bytes that follow one.
    if (c == 0xC2 || c == 0xC3)
        return 185;
    if (c >= 0x80 && c <= 0xBF)
        return 160;
    if (c >= 0x80)
        return 140;
    if (c >= 0x20)
        return 150;
    return 100;
}

// Finds a byte pattern in a stream fed in pieces, the letters a-z matching A-Z and every
// other byte only itself. A scan for two of the pattern's rarest bytes finds the places
// worth comparing whole. Should those comparisons cost more than a few times the bytes
// scanned (repetitive texts), a KMP automaton takes the rest of the stream, so the work
// stays linear in the stream's length whatever the pattern.
class FoldedMatcher
{
public:
    explicit FoldedMatcher(QByteArrayView pattern);

    // Takes the stream's next bytes; true once the pattern has occurred in the stream.
    bool feed(QByteArrayView bytes);
    bool found() const { return m_found; }

private:
    enum class Scan { NotFound, Found, GaveUp };
    Scan scan(const uchar* data, qsizetype starts, qsizetype& at);
    bool matchesAt(const uchar* data);
    void switchToAutomaton();
    void runAutomaton(const uchar* data, qsizetype size);
    void keepTail(const uchar* data, qsizetype size);

    const qsizetype m_size;
    std::vector<uchar> m_lower;    // the pattern with A-Z as a-z
    std::vector<uchar> m_caseBits; // CaseBit at letters: (byte | bit) == lower for both cases
    qsizetype m_first = 0;         // where the rare bytes are, m_first <= m_second
    qsizetype m_second = 0;
    std::vector<uchar> m_tail;  // the stream's last m_size - 1 bytes, for matches across pieces
    std::vector<uchar> m_joint; // the tail and the start of the next piece
    qint64 m_scanned = 0;
    qint64 m_compared = 0;
    bool m_automaton = false;
    std::vector<qsizetype> m_fallback; // the automaton's: longest proper border of each prefix
    qsizetype m_state = 0;             // the automaton's: length of the prefix matched
    bool m_found = false;
};

FoldedMatcher::FoldedMatcher(QByteArrayView pattern)
    : m_size(pattern.size()), m_lower(size_t(m_size)), m_caseBits(size_t(m_size))
{
    for (qsizetype i = 0; i < m_size; ++i) {
        const uchar c = uchar(pattern[i]);
        m_lower[i] = asciiLower(c);
        m_caseBits[i] = isAsciiLetter(c) ? CaseBit : 0;
    }
    auto rarer = [this](qsizetype a, qsizetype b) {
        return commonness(m_lower[a]) < commonness(m_lower[b]);
    };
    qsizetype first = 0;
    for (qsizetype i = 1; i < m_size; ++i) {
        if (rarer(i, first))
            first = i;
    }
    // The second one a different byte where there is one, else the farthest from the first.
    qsizetype second = first;
    for (qsizetype i = 0; i < m_size; ++i) {
        if (i == first)
            continue;
        const bool differs = m_lower[i] != m_lower[first];
        const bool secondDiffers = m_lower[second] != m_lower[first];
        if (second == first || (differs && (!secondDiffers || rarer(i, second))) ||
            (!differs && !secondDiffers && qAbs(i - first) > qAbs(second - first)))
            second = i;
    }
    m_first = qMin(first, second);
    m_second = qMax(first, second);
    if (m_size > LongPattern)
        switchToAutomaton();
}

bool FoldedMatcher::matchesAt(const uchar* data)
{
    const uchar* lower = m_lower.data();
    const uchar* caseBits = m_caseBits.data();
    qsizetype k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= m_size; k += 16) {
        const __m128i bytes =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(caseBits + k)));
        const __m128i want = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + k));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, want)) != 0xFFFF) {
            m_compared += k + 16;
            return false;
        }
    }
#endif
    for (; k < m_size; ++k) {
        if ((data[k] | caseBits[k]) != lower[k]) {
            m_compared += k + 1;
            return false;
        }
    }
    m_compared += m_size;
    return true;
}

// Looks for the pattern at the starts 0 .. starts - 1 of data, each with the pattern's length
// of bytes from it. GaveUp: the comparisons went over their allowance; no match starts
// before at.
FoldedMatcher::Scan FoldedMatcher::scan(const uchar* data, qsizetype starts, qsizetype& at)
{
    const uchar firstByte = m_lower[m_first];
    const uchar firstBit = m_caseBits[m_first];
    const uchar secondByte = m_lower[m_second];
    const uchar secondBit = m_caseBits[m_second];
    const uchar* firsts = data + m_first;
    const uchar* seconds = data + m_second;
    Scan outcome = Scan::NotFound;
    auto candidate = [&](qsizetype start) {
        if (matchesAt(data + start)) {
            at = start;
            outcome = Scan::Found;
            return true;
        }
        if (m_compared > 4 * (m_scanned + start) + CompareAllowance) {
            at = start + 1;
            outcome = Scan::GaveUp;
            return true;
        }
        return false;
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i firstWant = _mm_set1_epi8(char(firstByte));
    const __m128i firstBits = _mm_set1_epi8(char(firstBit));
    const __m128i secondWant = _mm_set1_epi8(char(secondByte));
    const __m128i secondBits = _mm_set1_epi8(char(secondBit));
    for (; i + 16 <= starts; i += 16) {
        const __m128i a =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(firsts + i)), firstBits);
        const __m128i b = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(seconds + i)), secondBits);
        auto hits = uint(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, firstWant), _mm_cmpeq_epi8(b, secondWant))));
        while (hits != 0) {
            const qsizetype start = i + qCountTrailingZeroBits(hits);
            hits &= hits - 1;
            if (candidate(start))
                return outcome;
        }
    }
#endif
    for (; i < starts; ++i) {
        if ((firsts[i] | firstBit) == firstByte && (seconds[i] | secondBit) == secondByte &&
            candidate(i))
            return outcome;
    }
    m_scanned += starts;
    return Scan::NotFound;
}

void FoldedMatcher::switchToAutomaton()
{
    m_automaton = true;
    m_state = 0;
    m_tail = {};
    m_joint = {};
    m_fallback.assign(size_t(m_size), 0);
    for (qsizetype i = 1, border = 0; i < m_size; ++i) {
        while (border > 0 && m_lower[i] != m_lower[border])
            border = m_fallback[border - 1];
        if (m_lower[i] == m_lower[border])
            ++border;
        m_fallback[i] = border;
    }
}

void FoldedMatcher::runAutomaton(const uchar* data, qsizetype size)
{
    const uchar* lower = m_lower.data();
    qsizetype state = m_state;
    for (qsizetype i = 0; i < size; ++i) {
        const uchar c = asciiLower(data[i]);
        while (state > 0 && lower[state] != c)
            state = m_fallback[state - 1];
        if (lower[state] == c && ++state == m_size) {
            m_found = true;
            return;
        }
    }
    m_state = state;
}

void FoldedMatcher::keepTail(const uchar* data, qsizetype size)
{
    const auto keep = size_t(m_size - 1);
    if (size_t(size) >= keep) {
        m_tail.assign(data + size - keep, data + size);
        return;
    }
    m_tail.insert(m_tail.end(), data, data + size);
    if (m_tail.size() > keep)
        m_tail.erase(m_tail.begin(), m_tail.end() - keep);
}

bool FoldedMatcher::feed(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    if (m_found || size == 0)
        return m_found;
    if (m_automaton) {
        runAutomaton(data, size);
        return m_found;
    }
    qsizetype at = 0;
    // Matches that begin in the bytes fed before and end in these.
    if (!m_tail.empty()) {
        const qsizetype head = qMin(m_size - 1, size);
        m_joint.assign(m_tail.begin(), m_tail.end());
        m_joint.insert(m_joint.end(), data, data + head);
        const auto joint = qsizetype(m_joint.size());
        const qsizetype starts = qMin(qsizetype(m_tail.size()), joint - m_size + 1);
        const Scan outcome = starts > 0 ? scan(m_joint.data(), starts, at) : Scan::NotFound;
        if (outcome == Scan::Found) {
            m_found = true;
            return true;
        }
        if (outcome == Scan::GaveUp) {
            switchToAutomaton();
            runAutomaton(m_joint.data() + at, joint - at);
            if (!m_found)
                runAutomaton(data + head, size - head);
            return m_found;
        }
    }
    if (size >= m_size) {
        const Scan outcome = scan(data, size - m_size + 1, at);
        if (outcome == Scan::Found) {
            m_found = true;
            return true;
        }
        if (outcome == Scan::GaveUp) {
            switchToAutomaton();
            runAutomaton(data + at, size - at);
            return m_found;
        }
    }
    keepTail(data, size);
    return false;
}

// Follows whether a stream of bytes, fed in pieces, is UTF-8 that a document holds as
// such: well-formed (no overlong forms, surrogates or values past U+10FFFF) and without the
// characters a document would turn into line breaks.
class DocumentUtf8Check
{
public:
    void feed(QByteArrayView bytes);
    bool validSoFar() const { return m_valid; }
    // A character cut short by the end is not valid either.
    bool validAtEnd() const { return m_valid && m_pending == 0; }

private:
    void begin(uchar lead);
    void take(uchar next);

    bool m_valid = true;
    // A character that the end of a piece cut: its bytes still to come, the range of the
    // next one, and its value so far.
    int m_pending = 0;
    uchar m_low = 0x80;
    uchar m_high = 0xBF;
    char32_t m_code = 0;
};

// U+2029, U+FDD0 and U+FDD1 in UTF-8.
bool isDocumentSeparator(uchar lead, uchar second, uchar third)
{
    return (lead == 0xE2 && second == 0x80 && third == 0xA9) ||
           (lead == 0xEF && second == 0xB7 && (third == 0x90 || third == 0x91));
}

const uchar* skipAscii(const uchar* p, const uchar* end)
{
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const auto high =
            uint(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        if (high != 0)
            return p + qCountTrailingZeroBits(high);
    }
#endif
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

void DocumentUtf8Check::begin(uchar lead)
{
    m_low = 0x80;
    m_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        m_pending = 1;
        m_code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        m_pending = 2;
        m_code = lead & 0x0F;
        m_low = lead == 0xE0 ? 0xA0 : 0x80;
        m_high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        m_pending = 3;
        m_code = lead & 0x07;
        m_low = lead == 0xF0 ? 0x90 : 0x80;
        m_high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        m_valid = false;
    }
}

void DocumentUtf8Check::take(uchar next)
{
    if (next < m_low || next > m_high) {
        m_valid = false;
        return;
    }
    m_low = 0x80;
    m_high = 0xBF;
    m_code = (m_code << 6) | (next & 0x3F);
    if (--m_pending == 0 && (m_code == 0x2029 || m_code == 0xFDD0 || m_code == 0xFDD1))
        m_valid = false;
}

void DocumentUtf8Check::feed(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = p + bytes.size();
    while (m_valid && m_pending > 0 && p < end)
        take(*p++);
    while (m_valid && p < end) {
        p = skipAscii(p, end);
        if (p == end)
            break;
        const uchar lead = p[0];
        const qsizetype left = end - p;
        if (lead >= 0xC2 && lead <= 0xDF && left >= 2) {
            m_valid = (p[1] & 0xC0) == 0x80;
            p += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF && left >= 3) {
            const uchar low = lead == 0xE0 ? 0xA0 : 0x80;
            const uchar high = lead == 0xED ? 0x9F : 0xBF;
            m_valid = p[1] >= low && p[1] <= high && (p[2] & 0xC0) == 0x80 &&
                      !isDocumentSeparator(lead, p[1], p[2]);
            p += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4 && left >= 4) {
            const uchar low = lead == 0xF0 ? 0x90 : 0x80;
            const uchar high = lead == 0xF4 ? 0x8F : 0xBF;
            m_valid = p[1] >= low && p[1] <= high && (p[2] & 0xC0) == 0x80 && (p[3] & 0xC0) == 0x80;
            p += 4;
        } else {
            // Not a first byte, or a character that the piece's end cuts.
            begin(*p++);
            while (m_valid && p < end)
                take(*p++);
        }
    }
}

// The bytes of a file as lines each ended by CR LF: every line break (CR LF, LF or CR)
// becomes CR LF, and a last line without one gets it at the end.
class CrLfLines
{
public:
    QByteArrayView convert(QByteArrayView bytes);
    QByteArrayView end() const { return m_lineOpen ? QByteArrayView("\r\n") : QByteArrayView(); }

private:
    QByteArray m_out;
    bool m_afterCr = false;  // an LF next belongs to that break
    bool m_lineOpen = false; // bytes since the last break
};

QByteArrayView CrLfLines::convert(QByteArrayView bytes)
{
    m_out.resize(2 * bytes.size());
    char* out = m_out.data();
    for (const char c : bytes) {
        if (c == '\n' && m_afterCr) {
            m_afterCr = false;
        } else if (c == '\r' || c == '\n') {
            *out++ = '\r';
            *out++ = '\n';
            m_afterCr = c == '\r';
            m_lineOpen = false;
        } else {
            *out++ = c;
            m_afterCr = false;
            m_lineOpen = true;
        }
    }
    return QByteArrayView(m_out.constData(), out - m_out.constData());
}

// The search of one file. An ASCII text has the same bytes in both encodings; any other is
// looked for as UTF-8 and (when it fits) as one byte a character at once, and which of the
// two counts depends on whether the whole file turns out to be UTF-8.
class FileTextSearch
{
public:
    explicit FileTextSearch(const QString& text);
    // False when no document can show the text, so no file holds it.
    bool possible() const { return m_utf8.has_value(); }
    // Takes the file's next bytes; false once the answer is known.
    bool feed(QByteArrayView bytes);
    // After the last bytes.
    void end();
    bool answer() const;

private:
    bool feedText(QByteArrayView text);

    std::optional<FoldedMatcher> m_utf8; // an ASCII text's only one
    std::optional<FoldedMatcher> m_latin1;
    bool m_ascii = true;
    bool m_joinsLines = false;
    CrLfLines m_lines;
    DocumentUtf8Check m_check;
};

FileTextSearch::FileTextSearch(const QString& text)
{
    for (const QChar c : text) {
        m_ascii = m_ascii && c.unicode() < 0x80;
        m_joinsLines = m_joinsLines || c == u'\r' || c == u'\n';
    }
    // A document's text is well-formed and holds no characters it would turn into breaks.
    if (text.isEmpty() || !text.isValidUtf16() || containsDocumentSeparators(text))
        return;
    m_utf8.emplace(text.toUtf8());
    if (!m_ascii && fitsLatin1(text))
        m_latin1.emplace(text.toLatin1());
}

bool FileTextSearch::feed(QByteArrayView bytes)
{
    if (!m_ascii)
        m_check.feed(bytes);
    return feedText(m_joinsLines ? m_lines.convert(bytes) : bytes);
}

void FileTextSearch::end()
{
    if (m_joinsLines)
        feedText(m_lines.end());
}

bool FileTextSearch::feedText(QByteArrayView text)
{
    if (m_ascii)
        return !m_utf8->feed(text);
    // One byte a character, whatever follows.
    if (!m_check.validSoFar())
        return m_latin1 && !m_latin1->feed(text);
    m_utf8->feed(text);
    if (m_latin1)
        m_latin1->feed(text);
    // Only when found both ways does the rest of the file not matter.
    return !(m_utf8->found() && m_latin1 && m_latin1->found());
}

bool FileTextSearch::answer() const
{
    if (m_ascii)
        return m_utf8->found();
    if (m_check.validAtEnd())
        return m_utf8->found();
    return m_latin1 && m_latin1->found();
}

} // namespace

FileSearchResult FileContainsText(const QString& path, const QString& text,
                                  const std::function<bool()>& keepGoing)
{
    return FileContainsTextInBlocks(path, text, SearchBlockSize, keepGoing);
}

FileSearchResult FileContainsTextInBlocks(const QString& path, const QString& text,
                                          qint64 blockSize, const std::function<bool()>& keepGoing)
{
    FileSearchResult result;
    FileTextSearch search(text);
    if (!search.possible())
        return result;
    bool first = true;
    bool stopped = false;
    bool decided = false;
    result.read = ReadFileInBlocks(path, blockSize, [&](QByteArrayView block) {
        if (!first && keepGoing && !keepGoing()) {
            stopped = true;
            return false;
        }
        first = false;
        decided = !search.feed(block);
        return !decided;
    });
    if (!result.read.ok || stopped)
        return result;
    if (!decided)
        search.end();
    result.found = search.answer();
    return result;
}
