#include "app/TextFile.h"

#include <QStringDecoder>

LineBreak detectLineBreak(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return LineBreak::Lf;
        if (bytes[i] == '\r')
            return (i + 1 < bytes.size() && bytes[i + 1] == '\n') ? LineBreak::CrLf : LineBreak::Cr;
    }
    return LineBreak::Lf;
}

QByteArray lineBreakBytes(LineBreak lineBreak)
{
    switch (lineBreak) {
    case LineBreak::CrLf:
        return QByteArrayLiteral("\r\n");
    case LineBreak::Cr:
        return QByteArrayLiteral("\r");
    case LineBreak::Lf:
        break;
    }
    return QByteArrayLiteral("\n");
}

qsizetype nextChunkEnd(QByteArrayView bytes, qsizetype from, qsizetype target)
{
    const qsizetype size = bytes.size();
    qsizetype end = from + target;
    if (end >= size)
        return size;
    // Prefer the end of a line within the next stretch of the same length.
    const qsizetype limit = qMin(size, end + target);
    const char* data = bytes.data();
    for (qsizetype i = end; i < limit; ++i) {
        if (data[i] == '\n')
            return i + 1;
    }
    // A very long line (or CR-only breaks): cut at a character boundary.
    while (end < size) {
        const uchar c = uchar(data[end]);
        const bool continuation = (c & 0xC0) == 0x80;
        const bool splitsBreak = data[end] == '\n' && data[end - 1] == '\r';
        if (!continuation && !splitsBreak)
            return end;
        ++end;
    }
    return size;
}

bool containsDocumentSeparators(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x2029 || u == 0xFDD0 || u == 0xFDD1)
            return true;
    }
    return false;
}

void normalizeLineBreaks(QString& text)
{
    QChar* begin = text.data();
    const QChar* read = begin;
    const QChar* end = begin + text.size();
    QChar* write = begin;
    while (read < end) {
        const QChar c = *read++;
        if (c == u'\r') {
            *write++ = u'\n';
            if (read < end && *read == u'\n')
                ++read;
        } else {
            *write++ = c;
        }
    }
    text.truncate(write - begin);
}

QString latin1ToDocumentText(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* write = text.data();
    const char* read = bytes.data();
    const char* end = read + bytes.size();
    while (read < end) {
        const uchar c = uchar(*read++);
        if (c == '\r') {
            *write++ = u'\n';
            if (read < end && *read == '\n')
                ++read;
        } else {
            *write++ = QChar(c);
        }
    }
    text.truncate(write - text.data());
    return text;
}

bool fitsLatin1(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

// One byte a character keeps every byte of a file loaded that way; a character typed since
// that does not fit in a byte is written as UTF-8 rather than lost.
QByteArray encodeText(QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return text.toUtf8();
    if (fitsLatin1(text))
        return text.toLatin1();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() <= 0xFF) {
            bytes += char(c.unicode());
            continue;
        }
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        bytes += text.mid(i, length).toUtf8();
        i += length - 1;
    }
    return bytes;
}

QString decodeEightBitText(QByteArrayView bytes)
{
    if (!bytes.isValidUtf8())
        return latin1ToDocumentText(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    normalizeLineBreaks(text);
    return text;
}

QByteArray encodeEightBitText(QStringView text)
{
    return encodeText(text, fitsLatin1(text) ? TextEncoding::Latin1 : TextEncoding::Utf8);
}

QString crLfLineBreaks(QStringView text)
{
    QString result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            result += QStringLiteral("\r\n");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}
