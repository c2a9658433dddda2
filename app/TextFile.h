#pragma once

#include "platform/FileAccess.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

// How a text file is stored, so that saving writes it back the same way.
enum class TextEncoding { Utf8, Latin1 };
enum class LineBreak : quint8 { CrLf, Lf, Cr };

struct FileFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    LineBreak lineBreak = LineBreak::Lf; // new documents on Linux
};

// The length in bytes of the well-formed UTF-8 character that data starts with (available > 0
// bytes on), or 0 when it is not one: no overlong forms, surrogates or values past U+10FFFF.
// (Inline: loading checks every character of a file.)
inline int utf8CharLength(const uchar* data, qsizetype available)
{
    const uchar lead = data[0];
    int length = 0;
    uchar low = 0x80; // the range of the second byte
    uchar high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (available < length || data[1] < low || data[1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if ((data[k] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// The line-break style of the first line break in the bytes; LF when there is none.
LineBreak detectLineBreak(QByteArrayView bytes);
QByteArray lineBreakBytes(LineBreak lineBreak);
// The kind of every line break in the bytes, in order; empty when they are all of one kind.
std::vector<LineBreak> mixedLineBreaks(QByteArrayView bytes);

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

// The two characters that separate the fields of a line in the list files ("¤¤"), stored
// as the two bytes 0xA4 0xA4.
QString ListFieldSeparator();

// One line (without its break) of a settings or list file: UTF-8, except that the first
// field separator is the two raw bytes 0xA4 0xA4.
QByteArray EncodeListLine(QStringView line);
// A line read back: the separator is found where it splits the line into valid UTF-8, else
// at the first two 0xA4 bytes; each field is read as UTF-8 when valid, else one byte a
// character, as files of one byte a character written earlier were.
QString DecodeListLine(QByteArrayView bytes);
