#include "app/TextStore.h"

#include "app/AsciiSearch.h"
#include "app/TextPieces.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

// The text is a row of pieces. A piece is either a stretch of the loaded bytes, cut between
// whole characters and never between CR and LF, or text of its own (made by an edit) with
// the kind of each of its breaks. Each piece knows its length and its number of breaks, and
// where it starts in both, so that a position or a line is found by binary search. Loaded
// pieces are decoded when read, and the last few decodings are kept.

using namespace TextPieces;

namespace
{

constexpr qsizetype DefaultPieceSize = 64 * 1024;
constexpr int CachedChunks = 16;
// Text this short at an edge of an ASCII piece is read from its bytes, not decoded.
constexpr int EdgeText = 256;

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

    bool oneBytePerCharacter(const Piece& piece) const;
    const std::vector<int>& breaksOf(const Piece& piece) const;
    std::size_t pieceAt(int pos) const;    // pos in [0, length)
    std::size_t pieceOfBreak(int b) const; // b in [0, breaks)
    int breakPosition(int b) const;
    QChar charAt(int pos) const;
    QString edgeText(const Piece& piece, int from, int to) const;
    void appendText(QString& out, int from, int to) const;
    void appendCrLfText(QString& out, int from, int to) const;
    int breaksIn(const Piece& piece, int a, int b) const;
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
    } else {
        // A byte order mark is text here, also at the start of a piece.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        chunk.text = utf8.decode(QByteArrayView(data, piece.byteLength));
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

bool TextStore::Data::oneBytePerCharacter(const Piece& piece) const
{
    return !piece.own && (encoding == TextEncoding::Latin1 || piece.ascii);
}

// The document positions of a piece's breaks. Lines and positions are looked up far more
// often than text is read: a piece of one byte a character gives them from its bytes, and
// once worked out they stay, so that a lookup never decodes a piece.
const std::vector<int>& TextStore::Data::breaksOf(const Piece& piece) const
{
    if (piece.own)
        return piece.own->breakAt;
    if (!piece.breakIndex) {
        if (!oneBytePerCharacter(piece)) {
            piece.breakIndex = std::make_shared<const std::vector<int>>(chunkOf(piece)->breakAt);
        } else {
            auto index = std::make_shared<std::vector<int>>();
            index->reserve(std::size_t(piece.breaks));
            const char* data = bytes.constData() + piece.byteFrom;
            int pairs = 0;
            for (qsizetype i = 0; i < piece.byteLength; ++i) {
                if (data[i] == '\r' || (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')))
                    index->push_back(int(i) - pairs);
                else if (data[i] == '\n')
                    ++pairs;
            }
            piece.breakIndex = std::move(index);
        }
    }
    return *piece.breakIndex;
}

int TextStore::Data::breakPosition(int b) const
{
    const Piece& piece = pieces[pieceOfBreak(b)];
    return piece.start + breaksOf(piece)[size_t(b - piece.firstLine)];
}

QChar TextStore::Data::charAt(int pos) const
{
    if (pos < 0 || pos >= length)
        return {};
    const Piece& piece = pieces[pieceAt(pos)];
    const int offset = pos - piece.start;
    // One byte a character, and breaks all of one size: the byte is found without decoding.
    const int pairs = int(piece.byteLength) - piece.length;
    if (oneBytePerCharacter(piece) && (pairs == 0 || pairs == piece.breaks)) {
        const std::vector<int>& breakAt = breaksOf(piece);
        const auto before = std::lower_bound(breakAt.begin(), breakAt.end(), offset);
        if (before != breakAt.end() && *before == offset)
            return u'\n';
        const qsizetype byte = offset + (pairs == 0 ? 0 : before - breakAt.begin());
        return QChar(uchar(bytes.at(piece.byteFrom + byte)));
    }
    return chunkOf(piece)->text.at(offset);
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

// The breaks among characters [a, b) of a piece.
int TextStore::Data::breaksIn(const Piece& piece, int a, int b) const
{
    const std::vector<int>& at = breaksOf(piece);
    return int(std::lower_bound(at.begin(), at.end(), b) -
               std::lower_bound(at.begin(), at.end(), a));
}

namespace
{

// Characters as they are, every '\n' as CR LF; breaks is the number of '\n' among them.
template <typename Char>
void appendWithCrLf(QString& out, const Char* text, qsizetype size, int breaks)
{
    const qsizetype old = out.size();
    out.resize(old + size + breaks);
    QChar* write = out.data() + old;
    for (const Char* c = text; c < text + size; ++c) {
        if (*c == '\n')
            *write++ = u'\r';
        *write++ = QChar(*c);
    }
}

} // namespace

// As appendText, with each break as CR LF. Pieces of one byte a character are read from their
// bytes, without decoding; those whose breaks are all CR LF are their bytes.
void TextStore::Data::appendCrLfText(QString& out, int from, int to) const
{
    while (from < to) {
        const Piece& piece = pieces[pieceAt(from)];
        const int until = qMin(to, piece.end());
        const int a = from - piece.start;
        const int b = until - piece.start;
        const int breaks = breaksIn(piece, a, b);
        if (oneBytePerCharacter(piece) && int(piece.byteLength) - piece.length == piece.breaks) {
            const qsizetype byteFrom = piece.byteFrom + a + (breaksIn(piece, 0, a));
            out.append(QLatin1StringView(bytes.constData() + byteFrom, b - a + breaks));
        } else if (oneBytePerCharacter(piece) && !piece.hasCr) {
            appendWithCrLf(out,
                           reinterpret_cast<const uchar*>(bytes.constData()) + piece.byteFrom + a,
                           b - a, breaks);
        } else {
            appendWithCrLf(out,
                           reinterpret_cast<const char16_t*>(chunkOf(piece)->text.constData()) + a,
                           b - a, breaks);
        }
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
    // Loaded bytes go as they are in their own encoding (ASCII is the same in both).
    if (!piece.own && (wanted == encoding || piece.ascii)) {
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

// Pieces never change once made (an edit makes new ones), so the copy shares them, and the
// loaded bytes, with the other store.
void TextStore::copyFrom(const TextStore& other)
{
    d = std::make_unique<Data>(other.d->pieceSize);
    d->bytes = other.d->bytes;
    d->encoding = other.d->encoding;
    d->pieces = other.d->pieces;
    d->length = other.d->length;
    d->breaks = other.d->breaks;
}

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
    const std::vector<int>& breakAt = d->breaksOf(piece);
    return piece.firstLine +
           int(std::lower_bound(breakAt.begin(), breakAt.end(), pos - piece.start) -
               breakAt.begin());
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

QString TextStore::crLfText(int from, int to) const
{
    from = qBound(0, from, d->length);
    to = qBound(from, to, d->length);
    QString text;
    text.reserve(qsizetype(to - from) + lineAt(to) - lineAt(from) + 1);
    d->appendCrLfText(text, from, to);
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

bool TextStore::replace(const std::vector<Edit>& edits, LineBreak newBreak,
                        const std::vector<LineBreak>* kinds)
{
    std::vector<Span> spans;
    spans.reserve(edits.size());
    for (const Edit& edit : edits)
        spans.push_back({edit.from, edit.to, edit.text});
    return d->apply(spans, newBreak, kinds);
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
    const qint64 rest = qint64(d->length - d->pieces[p].start) * 3 + 2 * (qint64(d->breaks) + 1);
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
