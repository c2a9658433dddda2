#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class QStringDecoder;

// How a text file is stored, so that saving writes it back the same way.
enum class TextEncoding { Utf8, Latin1 };
enum class LineBreak { CrLf, Lf, Cr };

struct FileFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    LineBreak lineBreak = LineBreak::Lf; // new documents on Linux
};

// Errors are values: ok, or the reason the operation failed.
struct FileResult {
    bool ok = true;
    QString error;
    static FileResult failure(const QString& why) { return {false, why}; }
};

// The line-break style of the first line break in the bytes; LF when there is none.
LineBreak detectLineBreak(QByteArrayView bytes);
QByteArray lineBreakBytes(LineBreak lineBreak);

// The end of the next chunk to decode, starting at from and about target bytes long: just
// after a line feed when one is near, never between a CR and its LF or inside a UTF-8
// sequence. Returns bytes.size() at the end.
qsizetype nextChunkEnd(QByteArrayView bytes, qsizetype from, qsizetype target);

// Characters that a text document cannot hold as themselves (they become line breaks).
bool containsDocumentSeparators(QStringView text);

// Replaces CR LF, CR and LF by '\n' in one pass.
void normalizeLineBreaks(QString& text);

// Bytes as Latin-1 (one byte = one character) with every line break as '\n'.
QString latin1ToDocumentText(QByteArrayView bytes);

// True when every character can be written as one Latin-1 byte.
bool fitsLatin1(QStringView text);

// Every line break (CR LF, CR or LF) as CR LF, in one pass.
QString crLfLineBreaks(QStringView text);

// Encodes one line for writing.
QByteArray encodeText(QStringView text, TextEncoding encoding);

// Settings and list files: UTF-8 when the bytes are valid UTF-8, else one byte = one
// character; line breaks become '\n'.
QString decodeEightBitText(QByteArrayView bytes);
// One byte a character when every character fits, else UTF-8.
QByteArray encodeEightBitText(QStringView text);
