#include "app/TextPieces.h"

#include "app/ByteWords.h"

#include <algorithm>
#include <cstring>

namespace TextPieces
{

namespace
{

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
    const int length = utf8 ? utf8CharLength(p, end - p) : 0;
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

} // namespace

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

std::vector<int> breakPositions(QStringView text)
{
    std::vector<int> at;
    for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1))
        at.push_back(int(i));
    return at;
}

void takeLineBreaks(Chunk& chunk, int breaks)
{
    // The stretches between breaks move up over the LF of each CR LF.
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

int afterBreak(const Chunk& chunk, int b)
{
    return b == 0 ? 0 : chunk.breakAt[size_t(b - 1)] + 1;
}

int breaksBefore(const Chunk& chunk, int offset)
{
    return int(std::lower_bound(chunk.breakAt.begin(), chunk.breakAt.end(), offset) -
               chunk.breakAt.begin());
}

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

qsizetype PairCounter::before(qsizetype byte)
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

qsizetype PairCounter::pairsIn(qsizetype from, qsizetype to) const
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

PieceWriter::PieceWriter(qsizetype size) : m_size(size)
{
    m_text.reserve(size + 1);
}

void PieceWriter::append(QStringView text, const LineBreak* kinds)
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

std::vector<Piece>& PieceWriter::finish()
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

void PieceWriter::flush()
{
    if (m_text.isEmpty())
        return;
    m_made.push_back(ownPiece(std::move(m_text), std::move(m_kinds)));
    m_text = QString();
    m_text.reserve(m_size + 1);
    m_kinds = {};
}

} // namespace TextPieces
