#pragma once

#include "app/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// The pieces a TextStore's text is made of, and what reads, cuts and writes them.
namespace TextPieces
{

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
    // Where a loaded piece's breaks stand in it, worked out when first asked for and kept.
    mutable std::shared_ptr<const std::vector<int>> breakIndex;

    int end() const { return start + length; }
};

// The loaded bytes as pieces of about target bytes, in one pass; utf8 tells whether they
// are UTF-8 text, else the pieces are one byte a character.
std::vector<Piece> cutIntoPieces(QByteArrayView bytes, qsizetype target, bool& utf8);

// ---- Loaded bytes

// The offset in data just after count more breaks from from on (at most size).
qsizetype byteAfterBreaks(const char* data, qsizetype size, qsizetype from, int count);
// ASCII bytes as document text: each CR LF and CR a '\n', in one pass.
void toDocumentBytes(QByteArrayView bytes, QByteArray& into);
// The byte offset in an ASCII piece of document offset doc.
qsizetype asciiByteOf(const char* data, qsizetype size, int doc);

// Counts the CR LF pairs of an ASCII piece before a byte offset, from where it counted last
// (offsets asked for one after another are near each other).
class PairCounter
{
public:
    // counting false: nothing to count, every answer is 0.
    PairCounter(const char* data, qsizetype size, bool counting)
        : m_data(data), m_size(size), m_counting(counting)
    {
    }

    qsizetype before(qsizetype byte);

private:
    qsizetype pairsIn(qsizetype from, qsizetype to) const; // pairs whose CR is in [from, to)

    const char* m_data;
    qsizetype m_size;
    bool m_counting;
    qsizetype m_at = 0;
    qsizetype m_pairs = 0;
};

inline bool isAsciiWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// ---- Document text

// Where the '\n' of the text stand.
std::vector<int> breakPositions(QStringView text);
// Turns the CR LF, LF and CR of freshly decoded text into '\n' breaks, noting their kinds.
void takeLineBreaks(Chunk& chunk, int breaks);
// The document position just after break b of the chunk (b = 0: its start).
int afterBreak(const Chunk& chunk, int b);
// The number of the chunk's breaks that stand before offset.
int breaksBefore(const Chunk& chunk, int offset);
// Text encoded with its breaks in the kinds given, one per '\n'.
void appendEncoded(QByteArray& out, QStringView text, const LineBreak* kinds, int count,
                   TextEncoding encoding);
// A piece of its own text ('\n' breaks, one kind for each).
Piece ownPiece(QString text, std::vector<LineBreak> kinds);

// Takes the text of an edited stretch as it comes and cuts it into own pieces of about
// size characters, never between the halves of a surrogate pair; a small rest at the end
// joins the piece before it.
class PieceWriter
{
public:
    explicit PieceWriter(qsizetype size);

    // Text with the kinds of its breaks, one for each '\n'.
    void append(QStringView text, const LineBreak* kinds);
    // The pieces made, once all the text is in.
    std::vector<Piece>& finish();

private:
    void flush();

    const qsizetype m_size;
    QString m_text;
    std::vector<LineBreak> m_kinds;
    std::vector<Piece> m_made;
};

} // namespace TextPieces
