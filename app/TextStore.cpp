#include "app/TextStore.h"

#include "app/AsciiSearch.h"
#include "app/ByteWords.h"

#include <algorithm>
#include <cstring>

// The text is a row of pieces. A piece is either a stretch of the loaded bytes, cut between
// whole characters and never between CR and LF, or text of its own (made by an edit) with
// the kind of each of its breaks. Each piece knows its length and its number of breaks, and
// where it starts in both, so that a position or a line is found by binary search. Loaded
// pieces are decoded when read, and the last few decodings are kept.

namespace
{

constexpr qsizetype DefaultPieceSize = 64 * 1024;
constexpr int CachedChunks = 16;
// Text this short at an edge of an ASCII piece is read from its bytes, not decoded.
constexpr int EdgeText = 256;

// Document text of a piece: '\n' breaks, the kind of each and where each stands.
struct Chunk {
    QString text;
    std::vector<LineBreak> kinds;
    std::vector<int> breakAt;
};
using ChunkPtr = std::shared_ptr<const Chunk>;

struct Piece {
    ChunkPtr own; // null: the loaded bytes [byteFrom, byteFrom + byteLength)
    qsizetype byteFrom = 0;
    qsizetype byteLength = 0;
    int start = 0;     // document position of its first character
    int firstLine = 0; // breaks before it
    int length = 0;
    int breaks = 0;
    bool ascii = false; // loaded bytes all below 0x80: positions are bytes less CR LF pairs
    bool hasCr = false; // loaded bytes with a CR

    int end() const { return start + length; }
};

// One edit, its text seen where it lies.
struct Span {
    int from = 0;
    int to = 0;
    QStringView text;
};

// What a search looks for.
struct Search {
    QStringView pattern;
    int from = 0;
    int to = 0;
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
    bool wholeWord = false;
    bool backward = false;
    // For patterns of ASCII characters other than CR, looked for in ASCII pieces' bytes.
    std::optional<AsciiFinder> finder;
    mutable QByteArray documentBytes; // of the piece searched, when it has a CR
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// ---- Counting loaded bytes -------------------------------------------------------------

// The number of bytes marked with 0x80.
int markedBytes(quint64 marks)
{
    return int(((marks >> 7) * ByteWords::Ones) >> 56);
}

// What one pass over a piece of loaded bytes tells.
struct PieceCounts {
    qsizetype utf16 = 0; // UTF-16 length, a CR LF counting two
    int lineFeeds = 0;
    int carriageReturns = 0;
    int pairs = 0; // CR LF
    bool ascii = true;

    int breaks() const { return lineFeeds + carriageReturns - pairs; }
};

bool isLineSeparatorAt(const uchar* p, qsizetype available)
{
    // U+2028 and U+2029: E2 80 A8 and E2 80 A9.
    return available >= 3 && p[0] == 0xE2 && p[1] == 0x80 && (p[2] == 0xA8 || p[2] == 0xA9);
}

// Counts the breaks of eight ASCII (or, once UTF-8 is given up, any) bytes at p; first is
// where the piece starts, for a CR LF split between words.
void countWord(quint64 w, const uchar* p, const uchar* first, PieceCounts& counts)
{
    const quint64 lf = ByteWords::bytesEqualTo(w, '\n');
    const quint64 cr = ByteWords::bytesEqualTo(w, '\r');
    if ((lf | cr) == 0)
        return;
    counts.lineFeeds += markedBytes(lf);
    counts.carriageReturns += markedBytes(cr);
    counts.pairs += markedBytes(cr & (lf >> 8));
    if ((lf & 0x80) && p > first && p[-1] == '\r')
        ++counts.pairs;
}

void countByte(const uchar* p, const uchar* first, PieceCounts& counts)
{
    if (*p == '\n') {
        ++counts.lineFeeds;
        if (p > first && p[-1] == '\r')
            ++counts.pairs;
    } else if (*p == '\r') {
        ++counts.carriageReturns;
    }
}

// Counts the character at p (a byte once utf8 is false); returns where the next one starts.
const uchar* countCharacter(const uchar* p, const uchar* first, const uchar* end,
                            PieceCounts& counts, bool& utf8)
{
    if (*p < 0x80) {
        countByte(p, first, counts);
        ++counts.utf16;
        return p + 1;
    }
    counts.ascii = false;
    const int length = utf8 && !isLineSeparatorAt(p, end - p) ? utf8CharLength(p, end - p) : 0;
    if (length == 0) {
        utf8 = false;
        return p + 1;
    }
    counts.utf16 += length == 4 ? 2 : 1;
    return p + length;
}

// One pass over a piece, eight bytes at a time while they are ASCII. While utf8 holds the
// bytes are checked as UTF-8 too; it turns false for good at the first byte that is not
// part of a well-formed character, or that starts U+2028 or U+2029 (a text holding those
// is read one byte a character, as any other bytes that are not plain UTF-8 text).
PieceCounts countPiece(const char* data, qsizetype size, bool& utf8)
{
    PieceCounts counts;
    const auto* first = reinterpret_cast<const uchar*>(data);
    const auto* end = first + size;
    const auto* p = first;
    while (p < end) {
        if (end - p >= 8) {
            const quint64 w = ByteWords::load(p);
            const bool ascii = (w & ByteWords::HighBits) == 0;
            if (ascii || !utf8) {
                counts.ascii = counts.ascii && ascii;
                countWord(w, p, first, counts);
                counts.utf16 += 8;
                p += 8;
                continue;
            }
        }
        // Eight bytes or so a character at a time.
        for (const auto* stop = qMin(end, p + 8); p < stop;)
            p = countCharacter(p, first, end, counts, utf8);
    }
    return counts;
}

// Where the piece from from on ends: after a line feed when one is near, else at about
// target bytes, never between CR and LF and (for UTF-8) never inside a character.
qsizetype pieceEnd(const char* data, qsizetype size, qsizetype from, qsizetype target)
{
    qsizetype end = from + target;
    if (end >= size)
        return size;
    const qsizetype window = qMin(size - end, target / 4);
    if (const void* lf = std::memchr(data + end, '\n', size_t(window)))
        return static_cast<const char*>(lf) - data + 1;
    // A UTF-8 character has at most three bytes after its first; more are not UTF-8, and
    // one byte a character may be cut anywhere.
    for (int k = 0; k < 3 && end < size && (uchar(data[end]) & 0xC0) == 0x80; ++k)
        ++end;
    if (end < size && data[end] == '\n' && data[end - 1] == '\r')
        ++end;
    return end;
}

// The loaded bytes as pieces of about target bytes, in one pass; utf8 tells whether they
// are UTF-8 text, else the pieces are one byte a character.
std::vector<Piece> cutIntoPieces(QByteArrayView bytes, qsizetype target, bool& utf8)
{
    const char* data = bytes.data();
    std::vector<Piece> pieces;
    pieces.reserve(std::size_t(bytes.size() / target + 1));
    std::vector<int> pairs; // of each piece: one byte a character, a piece is its bytes less these
    pairs.reserve(pieces.capacity());
    for (qsizetype from = 0; from < bytes.size();) {
        const qsizetype end = pieceEnd(data, bytes.size(), from, target);
        const PieceCounts counts = countPiece(data + from, end - from, utf8);
        Piece piece;
        piece.byteFrom = from;
        piece.byteLength = end - from;
        piece.length = int(counts.utf16 - counts.pairs);
        piece.breaks = counts.breaks();
        piece.ascii = counts.ascii;
        piece.hasCr = counts.carriageReturns > 0;
        pieces.push_back(std::move(piece));
        pairs.push_back(counts.pairs);
        from = end;
    }
    for (std::size_t i = 0; !utf8 && i < pieces.size(); ++i)
        pieces[i].length = int(pieces[i].byteLength - pairs[i]);
    return pieces;
}

// The offset in data just after count more breaks from from on (at most size).
qsizetype byteAfterBreaks(const char* data, qsizetype size, qsizetype from, int count)
{
    const char* end = data + size;
    const auto next = [end](char c, const char* at) {
        const void* found = std::memchr(at, c, size_t(end - at));
        return found ? static_cast<const char*>(found) : end;
    };
    const char* p = data + from;
    const char* lf = next('\n', p);
    const char* cr = next('\r', p);
    for (; count > 0 && p < end; --count) {
        if (lf < cr)
            p = lf + 1;
        else if (cr < end)
            p = cr + 1 < end && cr[1] == '\n' ? cr + 2 : cr + 1;
        else
            return size;
        if (lf < p)
            lf = next('\n', p);
        if (cr < p)
            cr = next('\r', p);
    }
    return p - data;
}

// ASCII bytes as document text: each CR LF and CR a '\n', in one pass.
void toDocumentBytes(QByteArrayView bytes, QByteArray& into)
{
    into.resize(bytes.size());
    char* write = into.data();
    const char* read = bytes.data();
    const char* end = read + bytes.size();
    while (read < end) {
        const void* found = std::memchr(read, '\r', std::size_t(end - read));
        const char* cr = found ? static_cast<const char*>(found) : end;
        std::memmove(write, read, std::size_t(cr - read));
        write += cr - read;
        if (cr == end)
            break;
        *write++ = '\n';
        read = cr + 1 < end && cr[1] == '\n' ? cr + 2 : cr + 1;
    }
    into.truncate(write - into.data());
}

// The byte offset in an ASCII piece of document offset doc.
qsizetype asciiByteOf(const char* data, qsizetype size, int doc)
{
    qsizetype pairs = 0;
    const char* end = data + size;
    for (const char* p = data; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
        if (!p || p - data - pairs >= doc)
            break;
        pairs += p + 1 < end && p[1] == '\n';
    }
    return doc + pairs;
}

// Counts the CR LF pairs of an ASCII piece before a byte offset, from where it counted last
// (offsets found one after another are near each other).
class PairCounter
{
public:
    PairCounter(const char* data, qsizetype size, bool counting)
        : m_data(data), m_size(size), m_counting(counting)
    {
    }

    qsizetype before(qsizetype byte)
    {
        if (!m_counting)
            return 0;
        if (byte >= m_at)
            m_pairs += pairsIn(m_at, byte);
        else
            m_pairs -= pairsIn(byte, m_at);
        m_at = byte;
        return m_pairs;
    }

private:
    // The pairs whose CR stands in [from, to).
    qsizetype pairsIn(qsizetype from, qsizetype to) const
    {
        qsizetype pairs = 0;
        const char* end = m_data + to;
        for (const char* p = m_data + from; p < end; ++p) {
            p = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
            if (!p)
                break;
            pairs += p + 1 < m_data + m_size && p[1] == '\n';
        }
        return pairs;
    }

    const char* m_data;
    qsizetype m_size;
    bool m_counting; // false: no pairs to count
    qsizetype m_at = 0;
    qsizetype m_pairs = 0;
};

bool isAsciiWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// ---- Document text ----------------------------------------------------------------------

std::vector<int> breakPositions(QStringView text)
{
    std::vector<int> at;
    for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1))
        at.push_back(int(i));
    return at;
}

// Turns the CR LF, LF and CR of freshly decoded text into '\n' breaks, noting their kinds:
// the stretches between breaks move up over the LF of each CR LF.
void takeLineBreaks(Chunk& chunk, int breaks)
{
    chunk.breakAt.reserve(std::size_t(breaks));
    chunk.kinds.reserve(std::size_t(breaks));
    QChar* data = chunk.text.data();
    const QStringView text(chunk.text);
    const qsizetype size = text.size();
    const auto next = [&](char16_t c, qsizetype from) {
        const qsizetype at = text.indexOf(c, from);
        return at < 0 ? size : at;
    };
    qsizetype lf = next(u'\n', 0);
    qsizetype cr = next(u'\r', 0);
    qsizetype read = 0;
    qsizetype write = 0;
    const auto keep = [&](qsizetype to) {
        if (write != read)
            std::memmove(data + write, data + read, std::size_t(to - read) * sizeof(QChar));
        write += to - read;
    };
    while (qMin(lf, cr) < size) {
        const qsizetype at = qMin(lf, cr);
        keep(at);
        LineBreak kind = LineBreak::Lf;
        read = at + 1;
        if (at == cr) {
            const bool pair = read < size && data[read] == u'\n';
            kind = pair ? LineBreak::CrLf : LineBreak::Cr;
            read += pair ? 1 : 0;
        }
        chunk.breakAt.push_back(int(write));
        chunk.kinds.push_back(kind);
        data[write++] = u'\n';
        if (lf < read)
            lf = next(u'\n', read);
        if (cr < read)
            cr = next(u'\r', read);
    }
    keep(size);
    chunk.text.truncate(write);
}

// The document position just after break b of the chunk (b = 0: its start).
int afterBreak(const Chunk& chunk, int b)
{
    return b == 0 ? 0 : chunk.breakAt[size_t(b - 1)] + 1;
}

// The number of the chunk's breaks that stand before offset.
int breaksBefore(const Chunk& chunk, int offset)
{
    return int(std::lower_bound(chunk.breakAt.begin(), chunk.breakAt.end(), offset) -
               chunk.breakAt.begin());
}

// Text encoded with its breaks in the kinds given, one per '\n'.
void appendEncoded(QByteArray& out, QStringView text, const LineBreak* kinds, int count,
                   TextEncoding encoding)
{
    const QByteArray encoded = encodeText(text, encoding);
    if (std::all_of(kinds, kinds + count, [](LineBreak k) { return k == LineBreak::Lf; })) {
        out += encoded;
        return;
    }
    // Only a '\n' of the text gives a '\n' byte in either encoding.
    qsizetype from = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = encoded.indexOf('\n', from);
        out.append(encoded.constData() + from, at - from);
        out += lineBreakBytes(kinds[i]);
        from = at + 1;
    }
    out.append(encoded.constData() + from, encoded.size() - from);
}

// A piece of its own text ('\n' breaks, one kind for each).
Piece ownPiece(QString text, std::vector<LineBreak> kinds)
{
    auto chunk = std::make_shared<Chunk>();
    chunk->breakAt = breakPositions(text);
    chunk->text = std::move(text);
    chunk->kinds = std::move(kinds);
    Piece piece;
    piece.length = int(chunk->text.size());
    piece.breaks = int(chunk->breakAt.size());
    piece.own = std::move(chunk);
    return piece;
}

// Takes the text of an edited stretch as it comes and cuts it into own pieces of about
// size characters, never between the halves of a surrogate pair; a small rest at the end
// joins the piece before it.
class PieceWriter
{
public:
    explicit PieceWriter(qsizetype size) : m_size(size) { m_text.reserve(size + 1); }

    // Text with the kinds of its breaks, one for each '\n'.
    void append(QStringView text, const LineBreak* kinds)
    {
        while (!text.isEmpty()) {
            const qsizetype take = qBound<qsizetype>(1, m_size - m_text.size(), text.size());
            const QStringView part = text.first(take);
            const qsizetype breaks = part.count(u'\n');
            m_text += part;
            m_kinds.insert(m_kinds.end(), kinds, kinds + breaks);
            kinds += breaks;
            text = text.sliced(take);
            if (m_text.size() >= m_size && !m_text.back().isHighSurrogate())
                flush();
        }
    }

    // The pieces made, once all the text is in.
    std::vector<Piece>& finish()
    {
        if (!m_text.isEmpty() && m_text.size() < m_size / 4 && !m_made.empty()) {
            const ChunkPtr before = m_made.back().own;
            m_text.prepend(before->text);
            m_kinds.insert(m_kinds.begin(), before->kinds.begin(), before->kinds.end());
            m_made.pop_back();
        }
        flush();
        return m_made;
    }

private:
    void flush()
    {
        if (m_text.isEmpty())
            return;
        m_made.push_back(ownPiece(std::move(m_text), std::move(m_kinds)));
        m_text = QString();
        m_text.reserve(m_size + 1);
        m_kinds = {};
    }

    const qsizetype m_size;
    QString m_text;
    std::vector<LineBreak> m_kinds;
    std::vector<Piece> m_made;
};

} // namespace

// ---- The data ---------------------------------------------------------------------------

struct TextStore::Data {
    explicit Data(qsizetype size) : pieceSize(qMax<qsizetype>(1, size)) {}

    const qsizetype pieceSize;
    QByteArray bytes; // as loaded, shared with whoever gave them
    TextEncoding encoding = TextEncoding::Utf8;
    std::vector<Piece> pieces;
    int length = 0;
    int breaks = 0;

    struct CacheEntry {
        qsizetype byteFrom = 0;
        ChunkPtr chunk;
        quint64 lastUse = 0;
    };
    mutable std::vector<CacheEntry> cache;
    mutable quint64 useClock = 0;

    void clear();
    void reindexFrom(std::size_t first);
    Chunk decode(const Piece& piece) const;
    ChunkPtr chunkOf(const Piece& piece) const;
    bool endsWithBreak(const Piece& piece) const;

    std::size_t pieceAt(int pos) const;    // pos in [0, length)
    std::size_t pieceOfBreak(int b) const; // b in [0, breaks)
    int breakPosition(int b) const;
    QChar charAt(int pos) const;
    QString edgeText(const Piece& piece, int from, int to) const;
    void appendText(QString& out, int from, int to) const;
    void appendOld(PieceWriter& out, int from, int to) const;

    // Editing
    struct Cluster {
        int first; // pieces [first, last]
        int last;
        std::size_t spanBegin; // edits [spanBegin, spanEnd)
        std::size_t spanEnd;
    };
    std::size_t firstTouched(const Span& span) const;
    int lastTouched(const Span& span) const;
    bool settleEdits(std::vector<Span>& spans) const;
    Cluster clusterFrom(const std::vector<Span>& spans, std::size_t first, int free) const;
    void writeCluster(const Cluster& c, const std::vector<Span>& spans, LineBreak newBreak,
                      const std::vector<LineBreak>* kinds, std::size_t& kindIndex,
                      PieceWriter& writer) const;
    bool apply(std::vector<Span>& spans, LineBreak newBreak, const std::vector<LineBreak>* kinds);
    void appendPiece(std::vector<Piece>& out, Piece piece) const;

    // Saving
    void appendBytes(QByteArray& out, const Piece& piece, int b0, int b1,
                     TextEncoding wanted) const;

    // Searching
    bool wholeWordAt(int pos, int size) const;
    int searchIn(QStringView hay, int hayStart, qsizetype lowest, qsizetype highest,
                 const Search& s) const;
    int searchInPiece(std::size_t p, const Search& s) const;
    int searchBytes(const Piece& piece, const Search& s) const;
    int searchAcross(std::size_t p, const Search& s) const;
};

void TextStore::Data::clear()
{
    bytes.clear();
    encoding = TextEncoding::Utf8;
    pieces.clear();
    length = 0;
    breaks = 0;
    cache.clear();
}

// Sets where the pieces from first on start, and the totals.
void TextStore::Data::reindexFrom(std::size_t first)
{
    int start = first == 0 ? 0 : pieces[first - 1].end();
    int line = first == 0 ? 0 : pieces[first - 1].firstLine + pieces[first - 1].breaks;
    for (std::size_t i = first; i < pieces.size(); ++i) {
        pieces[i].start = start;
        pieces[i].firstLine = line;
        start += pieces[i].length;
        line += pieces[i].breaks;
    }
    length = start;
    breaks = line;
}

Chunk TextStore::Data::decode(const Piece& piece) const
{
    const char* data = bytes.constData() + piece.byteFrom;
    Chunk chunk;
    if (encoding == TextEncoding::Latin1 || piece.ascii) {
        chunk.text = QString::fromLatin1(data, piece.byteLength);
    } else if (QByteArrayView(data, piece.byteLength).startsWith("\xEF\xBB\xBF")) {
        // A byte order mark is text here; the decoder would drop it.
        chunk.text = QChar(0xFEFF) + QString::fromUtf8(data + 3, piece.byteLength - 3);
    } else {
        chunk.text = QString::fromUtf8(data, piece.byteLength);
    }
    takeLineBreaks(chunk, piece.breaks);
    return chunk;
}

ChunkPtr TextStore::Data::chunkOf(const Piece& piece) const
{
    if (piece.own)
        return piece.own;
    for (CacheEntry& entry : cache) {
        if (entry.byteFrom == piece.byteFrom) {
            entry.lastUse = ++useClock;
            return entry.chunk;
        }
    }
    auto chunk = std::make_shared<const Chunk>(decode(piece));
    CacheEntry entry{piece.byteFrom, chunk, ++useClock};
    if (cache.size() < CachedChunks) {
        cache.push_back(std::move(entry));
    } else {
        *std::min_element(cache.begin(), cache.end(), [](const auto& a, const auto& b) {
            return a.lastUse < b.lastUse;
        }) = std::move(entry);
    }
    return chunk;
}

bool TextStore::Data::endsWithBreak(const Piece& piece) const
{
    if (piece.own)
        return piece.own->text.endsWith(u'\n');
    const char last = bytes.at(piece.byteFrom + piece.byteLength - 1);
    return last == '\n' || last == '\r';
}

std::size_t TextStore::Data::pieceAt(int pos) const
{
    const auto after = std::upper_bound(pieces.begin(), pieces.end(), pos,
                                        [](int p, const Piece& piece) { return p < piece.start; });
    return std::size_t(after - pieces.begin()) - 1;
}

std::size_t TextStore::Data::pieceOfBreak(int b) const
{
    const auto after =
        std::upper_bound(pieces.begin(), pieces.end(), b,
                         [](int line, const Piece& piece) { return line < piece.firstLine; });
    return std::size_t(after - pieces.begin()) - 1;
}

int TextStore::Data::breakPosition(int b) const
{
    const Piece& piece = pieces[pieceOfBreak(b)];
    return piece.start + chunkOf(piece)->breakAt[size_t(b - piece.firstLine)];
}

QChar TextStore::Data::charAt(int pos) const
{
    if (pos < 0 || pos >= length)
        return {};
    const Piece& piece = pieces[pieceAt(pos)];
    return chunkOf(piece)->text.at(pos - piece.start);
}

// Text [from, to) of an ASCII loaded piece at its start or end, from a window of its bytes
// twice as long (a CR LF is one character), without decoding the piece.
QString TextStore::Data::edgeText(const Piece& piece, int from, int to) const
{
    const qsizetype window = qMin<qsizetype>(piece.byteLength, 2 * qsizetype(to - from));
    const char* data = bytes.constData() + piece.byteFrom;
    if (from == 0)
        return latin1ToDocumentText(QByteArrayView(data, window)).first(to);
    const QString tail =
        latin1ToDocumentText(QByteArrayView(data + piece.byteLength - window, window));
    return tail.last(to - from);
}

void TextStore::Data::appendText(QString& out, int from, int to) const
{
    while (from < to) {
        const Piece& piece = pieces[pieceAt(from)];
        const int until = qMin(to, piece.end());
        const int a = from - piece.start;
        const int b = until - piece.start;
        if (!piece.own && piece.ascii && b - a <= EdgeText && (a == 0 || b == piece.length))
            out += edgeText(piece, a, b);
        else
            out += QStringView(chunkOf(piece)->text).sliced(a, b - a);
        from = until;
    }
}

// The text [from, to) as it is now, with the kinds of its breaks.
void TextStore::Data::appendOld(PieceWriter& out, int from, int to) const
{
    while (from < to) {
        const Piece& piece = pieces[pieceAt(from)];
        const int until = qMin(to, piece.end());
        const ChunkPtr chunk = chunkOf(piece);
        out.append(QStringView(chunk->text).sliced(from - piece.start, until - from),
                   chunk->kinds.data() + breaksBefore(*chunk, from - piece.start));
        from = until;
    }
}

// ---- Editing ----------------------------------------------------------------------------

// The first piece an edit changes: the one holding its start (the last one for an
// insertion at the end).
std::size_t TextStore::Data::firstTouched(const Span& span) const
{
    if (pieces.empty())
        return 0;
    return span.from < length ? pieceAt(span.from) : pieces.size() - 1;
}

// The last piece an edit changes, -1 when there is none.
int TextStore::Data::lastTouched(const Span& span) const
{
    if (pieces.empty())
        return -1;
    return int(span.to > span.from ? pieceAt(span.to - 1) : firstTouched(span));
}

// Adds a piece at the end of out. One starting with the second half of a surrogate pair
// whose first half ends out is joined with that piece, so that each piece can be encoded
// alone. (Only own pieces can have half a pair at an edge.)
void TextStore::Data::appendPiece(std::vector<Piece>& out, Piece piece) const
{
    const Piece* before = out.empty() ? nullptr : &out.back();
    if (!before || !before->own || !piece.own || !before->own->text.back().isHighSurrogate() ||
        !piece.own->text.front().isLowSurrogate()) {
        out.push_back(std::move(piece));
        return;
    }
    std::vector<LineBreak> kinds = before->own->kinds;
    kinds.insert(kinds.end(), piece.own->kinds.begin(), piece.own->kinds.end());
    Piece joined = ownPiece(before->own->text + piece.own->text, std::move(kinds));
    out.back() = std::move(joined);
}

// Clamps the edits to be ascending and not overlapping and drops those that change
// nothing; false when the text could grow past MaxTextLength.
bool TextStore::Data::settleEdits(std::vector<Span>& spans) const
{
    qint64 grownLength = length;
    qint64 grownBreaks = breaks;
    int reached = 0;
    for (Span& span : spans) {
        span.from = qBound(reached, span.from, length);
        span.to = qBound(span.from, span.to, length);
        reached = span.to;
        grownLength += span.text.size() - (span.to - span.from);
        grownBreaks += span.text.count(u'\n');
    }
    spans.erase(std::remove_if(spans.begin(), spans.end(),
                               [](const Span& s) { return s.from == s.to && s.text.isEmpty(); }),
                spans.end());
    return grownLength + grownBreaks <= MaxTextLength;
}

// The pieces that the edits from spans[first] on rebuild together: those they touch, joined
// while the next edit touches the same piece or the one after, and a neighbour more while
// the result would be small. Pieces before `free` are taken already.
TextStore::Data::Cluster TextStore::Data::clusterFrom(const std::vector<Span>& spans,
                                                      std::size_t first, int free) const
{
    Cluster c{int(firstTouched(spans[first])), lastTouched(spans[first]), first, first};
    qint64 growth = 0;
    for (;;) {
        for (; c.spanEnd < spans.size() && int(firstTouched(spans[c.spanEnd])) <= c.last + 1;
             ++c.spanEnd) {
            const Span& span = spans[c.spanEnd];
            c.last = qMax(c.last, lastTouched(span));
            growth += span.text.size() - (span.to - span.from);
        }
        const qint64 old = c.last >= c.first ? pieces[c.last].end() - pieces[c.first].start : 0;
        if (old + growth >= pieceSize / 4)
            return c;
        if (c.last + 1 < int(pieces.size()))
            ++c.last;
        else if (c.first > free)
            --c.first;
        else
            return c;
    }
}

// The text of the cluster's pieces with its edits made, into writer. The breaks an edit
// brings take the kinds given, in order, then newBreak.
void TextStore::Data::writeCluster(const Cluster& c, const std::vector<Span>& spans,
                                   LineBreak newBreak, const std::vector<LineBreak>* kinds,
                                   std::size_t& kindIndex, PieceWriter& writer) const
{
    int cursor = c.last >= c.first ? pieces[c.first].start : 0;
    for (std::size_t k = c.spanBegin; k < c.spanEnd; ++k) {
        appendOld(writer, cursor, spans[k].from);
        std::vector<LineBreak> added(std::size_t(spans[k].text.count(u'\n')), newBreak);
        for (LineBreak& kind : added) {
            if (kinds && kindIndex < kinds->size())
                kind = (*kinds)[kindIndex++];
        }
        writer.append(spans[k].text, added.data());
        cursor = spans[k].to;
    }
    appendOld(writer, cursor, c.last >= c.first ? pieces[c.last].end() : 0);
}

// Makes the edits in one pass: the pieces they touch are rebuilt as own pieces, cluster by
// cluster; all other pieces stay as they are.
bool TextStore::Data::apply(std::vector<Span>& spans, LineBreak newBreak,
                            const std::vector<LineBreak>* kinds)
{
    if (!settleEdits(spans))
        return false;
    if (spans.empty())
        return true;
    std::vector<Piece> out;
    out.reserve(pieces.size() + 8);
    std::size_t firstChanged = pieces.size();
    std::size_t kindIndex = 0;
    int taken = 0; // the pieces before this one are in out or rebuilt
    for (std::size_t i = 0; i < spans.size();) {
        const Cluster c = clusterFrom(spans, i, taken);
        for (; taken < c.first; ++taken)
            appendPiece(out, std::move(pieces[taken]));
        PieceWriter writer(pieceSize);
        writeCluster(c, spans, newBreak, kinds, kindIndex, writer);
        // From the piece before on: it may join the first new one.
        firstChanged = qMin(firstChanged, out.empty() ? 0 : out.size() - 1);
        for (Piece& piece : writer.finish())
            appendPiece(out, std::move(piece));
        taken = c.last + 1;
        i = c.spanEnd;
    }
    for (; taken < int(pieces.size()); ++taken)
        appendPiece(out, std::move(pieces[taken]));
    pieces = std::move(out);
    reindexFrom(firstChanged);
    return true;
}

// ---- Saving ------------------------------------------------------------------------------

// The bytes of the piece from just after its break b0 to just after its break b1 (its
// start when 0; b1 < 0: its end).
void TextStore::Data::appendBytes(QByteArray& out, const Piece& piece, int b0, int b1,
                                  TextEncoding wanted) const
{
    if (!piece.own && wanted == encoding) {
        const char* data = bytes.constData() + piece.byteFrom;
        const qsizetype from = byteAfterBreaks(data, piece.byteLength, 0, b0);
        const qsizetype to =
            b1 < 0 ? piece.byteLength : byteAfterBreaks(data, piece.byteLength, from, b1 - b0);
        out.append(data + from, to - from);
        return;
    }
    const ChunkPtr chunk = chunkOf(piece);
    const int from = afterBreak(*chunk, b0);
    const int to = b1 < 0 ? int(chunk->text.size()) : afterBreak(*chunk, b1);
    const int last = b1 < 0 ? piece.breaks : b1;
    appendEncoded(out, QStringView(chunk->text).sliced(from, to - from), chunk->kinds.data() + b0,
                  last - b0, wanted);
}

// ---- Searching ----------------------------------------------------------------------------

bool TextStore::Data::wholeWordAt(int pos, int size) const
{
    return !isWordChar(charAt(pos - 1)) && !isWordChar(charAt(pos + size));
}

// The first (or last) acceptable match in hay, which starts at document position hayStart,
// with its start at an index in [lowest, highest].
int TextStore::Data::searchIn(QStringView hay, int hayStart, qsizetype lowest, qsizetype highest,
                              const Search& s) const
{
    if (highest < lowest)
        return -1;
    const int size = int(s.pattern.size());
    const auto accept = [&](qsizetype at) {
        return !s.wholeWord || wholeWordAt(hayStart + int(at), size);
    };
    if (!s.backward) {
        for (qsizetype at = hay.indexOf(s.pattern, lowest, s.cs); at >= 0 && at <= highest;
             at = hay.indexOf(s.pattern, at + 1, s.cs)) {
            if (accept(at))
                return hayStart + int(at);
        }
        return -1;
    }
    for (qsizetype at = hay.lastIndexOf(s.pattern, highest, s.cs); at >= lowest;
         at = at > 0 ? hay.lastIndexOf(s.pattern, at - 1, s.cs) : -1) {
        if (accept(at))
            return hayStart + int(at);
    }
    return -1;
}

// A match lying wholly in piece p.
int TextStore::Data::searchInPiece(std::size_t p, const Search& s) const
{
    const Piece& piece = pieces[p];
    if (s.finder && !piece.own && piece.ascii)
        return searchBytes(piece, s);
    const int from = qMax(s.from, piece.start);
    const int to = qMin(s.to, piece.end());
    const qsizetype size = s.pattern.size();
    if (to - from < size)
        return -1;
    const ChunkPtr chunk = chunkOf(piece);
    const QStringView hay = QStringView(chunk->text).sliced(from - piece.start, to - from);
    return searchIn(hay, from, 0, hay.size() - size, s);
}

// A match lying wholly in an ASCII loaded piece, found in its bytes. Positions there are
// bytes less the CR LF pairs before them; for a pattern with a '\n' the bytes of a piece
// with a CR are first made document text.
int TextStore::Data::searchBytes(const Piece& piece, const Search& s) const
{
    const int from = qMax(s.from, piece.start) - piece.start;
    const int to = qMin(s.to, piece.end()) - piece.start;
    const qsizetype size = s.finder->size();
    if (to - from < size)
        return -1;
    QByteArrayView text(bytes.constData() + piece.byteFrom, piece.byteLength);
    const bool pairs = piece.hasCr && !s.pattern.contains(u'\n');
    if (piece.hasCr && !pairs) {
        toDocumentBytes(text, s.documentBytes);
        text = s.documentBytes;
    }
    const auto byteOf = [&](int doc) {
        if (!pairs || doc == 0)
            return qsizetype(doc);
        return doc == piece.length ? text.size() : asciiByteOf(text.data(), text.size(), doc);
    };
    PairCounter counter(text.data(), text.size(), pairs);
    const qsizetype low = byteOf(from);
    const QByteArrayView hay = text.first(byteOf(to));
    // The match's document position, or -1 when it is not a whole word as asked.
    const auto accept = [&](qsizetype at) {
        const int pos = piece.start + int(at - counter.before(at));
        if (!s.wholeWord)
            return pos;
        const qsizetype after = at + size;
        const bool wordBefore =
            at > 0 ? isAsciiWordByte(text[at - 1]) : isWordChar(charAt(pos - 1));
        const bool wordAfter = after < text.size() ? isAsciiWordByte(text[after])
                                                   : isWordChar(charAt(pos + int(size)));
        return wordBefore || wordAfter ? -1 : pos;
    };
    if (!s.backward) {
        for (qsizetype at = s.finder->indexIn(hay, low); at >= 0;
             at = s.finder->indexIn(hay, at + 1)) {
            if (const int pos = accept(at); pos >= 0)
                return pos;
        }
        return -1;
    }
    for (qsizetype at = s.finder->lastIndexIn(hay, hay.size() - size); at >= low;
         at = at > low ? s.finder->lastIndexIn(hay, at - 1) : -1) {
        if (const int pos = accept(at); pos >= 0)
            return pos;
    }
    return -1;
}

// A match starting in piece p and ending after it.
int TextStore::Data::searchAcross(std::size_t p, const Search& s) const
{
    const int end = pieces[p].end();
    const int reach = int(s.pattern.size()) - 1;
    const int from = qMax(s.from, end - reach);
    const int to = qMin<qint64>(s.to, qint64(end) + reach);
    if (end >= length || to - from <= reach)
        return -1;
    QString hay;
    appendText(hay, from, to);
    return searchIn(hay, from, 0, qMin(end - 1 - from, to - from - reach - 1), s);
}

// ---- TextStore ---------------------------------------------------------------------------

TextStore::TextStore() : TextStore(DefaultPieceSize) {}

TextStore::TextStore(qsizetype pieceSize) : d(std::make_unique<Data>(pieceSize)) {}

TextStore::~TextStore() = default;

bool TextStore::load(QByteArray bytes, FileFormat& format)
{
    d->clear();
    format = FileFormat();
    bool utf8 = true;
    std::vector<Piece> pieces = cutIntoPieces(bytes, d->pieceSize, utf8);
    qint64 total = 0;
    for (const Piece& piece : pieces)
        total += qint64(piece.length) + piece.breaks;
    if (total > MaxTextLength)
        return false;

    d->bytes = std::move(bytes);
    d->encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Latin1;
    d->pieces = std::move(pieces);
    d->reindexFrom(0);
    format.encoding = d->encoding;
    const auto withBreak = std::find_if(d->pieces.begin(), d->pieces.end(),
                                        [](const Piece& piece) { return piece.breaks > 0; });
    if (withBreak != d->pieces.end())
        format.lineBreak = detectLineBreak(QByteArrayView(d->bytes).sliced(withBreak->byteFrom));
    return true;
}

bool TextStore::setText(QStringView text, LineBreak kind)
{
    d->clear();
    std::vector<Span> spans{{0, 0, text}};
    return d->apply(spans, kind, nullptr);
}

int TextStore::length() const
{
    return d->length;
}

int TextStore::lineCount() const
{
    return d->breaks + 1;
}

int TextStore::lineStart(int line) const
{
    line = qBound(0, line, d->breaks);
    return line == 0 ? 0 : d->breakPosition(line - 1) + 1;
}

int TextStore::lineLength(int line) const
{
    line = qBound(0, line, d->breaks);
    const int end = line < d->breaks ? d->breakPosition(line) : d->length;
    return end - lineStart(line);
}

int TextStore::lineAt(int pos) const
{
    if (pos >= d->length)
        return d->breaks;
    if (pos <= 0)
        return 0;
    const Piece& piece = d->pieces[d->pieceAt(pos)];
    if (piece.breaks == 0)
        return piece.firstLine;
    return piece.firstLine + breaksBefore(*d->chunkOf(piece), pos - piece.start);
}

QChar TextStore::charAt(int pos) const
{
    return d->charAt(pos);
}

QString TextStore::text(int from, int to) const
{
    from = qBound(0, from, d->length);
    to = qBound(from, to, d->length);
    QString text;
    text.reserve(to - from);
    d->appendText(text, from, to);
    return text;
}

QString TextStore::lineText(int line) const
{
    const int start = lineStart(line);
    return text(start, start + lineLength(line));
}

QString TextStore::lineText(int line, int from, int length) const
{
    const int start = lineStart(line);
    const int size = lineLength(line);
    from = qBound(0, from, size);
    length = qBound(0, length, size - from);
    return text(start + from, start + from + length);
}

LineBreak TextStore::lineBreak(int line) const
{
    if (line < 0 || line >= d->breaks)
        return LineBreak::Lf;
    const Piece& piece = d->pieces[d->pieceOfBreak(line)];
    return d->chunkOf(piece)->kinds[size_t(line - piece.firstLine)];
}

void TextStore::setLineBreak(int line, LineBreak kind)
{
    if (line < 0 || line >= d->breaks)
        return;
    Piece& piece = d->pieces[d->pieceOfBreak(line)];
    const ChunkPtr chunk = d->chunkOf(piece);
    const std::size_t index = std::size_t(line - piece.firstLine);
    if (chunk->kinds[index] == kind)
        return;
    auto changed = std::make_shared<Chunk>(*chunk);
    changed->kinds[index] = kind;
    piece.own = std::move(changed);
}

std::vector<LineBreak> TextStore::lineBreaks(int from, int to) const
{
    from = qBound(0, from, d->length);
    to = qBound(from, to, d->length);
    std::vector<LineBreak> kinds;
    while (from < to) {
        const Piece& piece = d->pieces[d->pieceAt(from)];
        const int until = qMin(to, piece.end());
        if (piece.breaks > 0) {
            const ChunkPtr chunk = d->chunkOf(piece);
            const auto first = chunk->kinds.begin();
            kinds.insert(kinds.end(), first + breaksBefore(*chunk, from - piece.start),
                         first + breaksBefore(*chunk, until - piece.start));
        }
        from = until;
    }
    return kinds;
}

bool TextStore::replace(int from, int to, QStringView text, LineBreak newBreak,
                        const std::vector<LineBreak>* kinds)
{
    std::vector<Span> spans{{from, to, text}};
    return d->apply(spans, newBreak, kinds);
}

bool TextStore::replace(const std::vector<Edit>& edits, LineBreak newBreak)
{
    std::vector<Span> spans;
    spans.reserve(edits.size());
    for (const Edit& edit : edits)
        spans.push_back({edit.from, edit.to, edit.text});
    return d->apply(spans, newBreak, nullptr);
}

QByteArray TextStore::bytes(int first, qsizetype maxBytes, TextEncoding encoding, int& next) const
{
    next = -1;
    QByteArray out;
    if (first < 0 || first > d->breaks || d->pieces.empty())
        return out;
    // Line first starts just after break first - 1: b breaks into piece p.
    std::size_t p = 0;
    int b = 0;
    if (first > 0) {
        p = d->pieceOfBreak(first - 1);
        b = first - d->pieces[p].firstLine;
    }
    // Each piece's bytes are appended: room for the slice asked for, and the piece that
    // passes its end.
    const qint64 rest = qint64(d->length - d->pieces[p].start) * 3 + 2 * (d->breaks + 1);
    out.reserve(qMin<qint64>(maxBytes, rest) + 2 * d->pieceSize);
    bool atLineStart = true;
    while (p < d->pieces.size()) {
        const Piece& piece = d->pieces[p];
        const bool full = !out.isEmpty() && out.size() >= maxBytes;
        if (b == piece.breaks && d->endsWithBreak(piece)) {
            ++p;
            b = 0;
        } else if (full && atLineStart) {
            next = piece.firstLine + b;
            return out;
        } else if (full && b < piece.breaks) {
            // Only to the end of the line under way.
            d->appendBytes(out, piece, b, b + 1, encoding);
            ++b;
            atLineStart = true;
        } else {
            d->appendBytes(out, piece, b, -1, encoding);
            atLineStart = d->endsWithBreak(piece);
            ++p;
            b = 0;
        }
    }
    return out;
}

int TextStore::find(QStringView pattern, int from, int to, Qt::CaseSensitivity cs, bool wholeWord,
                    bool backward) const
{
    Search s;
    s.pattern = pattern;
    s.from = qBound(0, from, d->length);
    s.to = qBound(0, to, d->length);
    s.cs = cs;
    s.wholeWord = wholeWord;
    s.backward = backward;
    const int size = int(qMin<qsizetype>(pattern.size(), MaxTextLength));
    if (size == 0 || qint64(s.to) - s.from < size)
        return -1;
    if (!pattern.contains(u'\r'))
        s.finder = AsciiFinder::forPattern(pattern, cs);
    const int lastStart = s.to - size;
    if (!backward) {
        for (std::size_t p = d->pieceAt(s.from);
             p < d->pieces.size() && d->pieces[p].start <= lastStart; ++p) {
            if (const int at = d->searchInPiece(p, s); at >= 0)
                return at;
            if (const int at = d->searchAcross(p, s); at >= 0)
                return at;
        }
        return -1;
    }
    for (std::size_t p = d->pieceAt(lastStart) + 1; p-- > 0 && d->pieces[p].end() > s.from;) {
        if (const int at = d->searchAcross(p, s); at >= 0)
            return at;
        if (const int at = d->searchInPiece(p, s); at >= 0)
            return at;
    }
    return -1;
}
