#include "app/TextFile.h"

#include <cstring>

namespace
{

constexpr char SeparatorByte = char(0xA4);

// The length of the longest prefix that is valid UTF-8.
qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const int length = data[i] < 0x80 ? 1 : utf8CharLength(data + i, size - i);
        if (length == 0)
            return i;
        i += length;
    }
    return size;
}

QString decodeListField(QByteArrayView bytes)
{
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

bool everyLineFeedAfterCarriageReturn(QByteArrayView bytes)
{
    const char* data = bytes.data();
    const char* end = data + bytes.size();
    for (const char* p = data; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!p)
            return true;
        if (p == data || p[-1] != '\r')
            return false;
    }
    return true;
}

} // namespace

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

std::vector<LineBreak> mixedLineBreaks(QByteArrayView bytes)
{
    // Most files have one kind only, which memory searches tell quickly.
    const qsizetype crs = bytes.count('\r');
    const qsizetype lfs = bytes.count('\n');
    if (crs == 0 || lfs == 0 || (crs == lfs && everyLineFeedAfterCarriageReturn(bytes)))
        return {};
    std::vector<LineBreak> kinds;
    bool mixed = false;
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        LineBreak kind;
        if (data[i] == '\n') {
            kind = LineBreak::Lf;
        } else if (data[i] == '\r') {
            const bool pair = i + 1 < size && data[i + 1] == '\n';
            kind = pair ? LineBreak::CrLf : LineBreak::Cr;
            i += pair ? 1 : 0;
        } else {
            continue;
        }
        mixed = mixed || (!kinds.empty() && kind != kinds.front());
        kinds.push_back(kind);
    }
    if (!mixed)
        kinds.clear();
    return kinds;
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
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        bytes += text.mid(i, length).toUtf8();
        i += length - 1;
    }
    return bytes;
}

QString ListFieldSeparator()
{
    return QString(2, QChar(0xA4));
}

QByteArray EncodeListLine(QStringView line)
{
    const qsizetype at = line.indexOf(ListFieldSeparator());
    if (at < 0)
        return line.toUtf8();
    return line.left(at).toUtf8() + QByteArray(2, SeparatorByte) + line.mid(at + 2).toUtf8();
}

QString DecodeListLine(QByteArrayView bytes)
{
    // 0xA4 0xA4 also occurs inside UTF-8 characters (E0 A4 A4 is U+0924), so in UTF-8 text the
    // separator is the first byte that is not part of a character.
    const QByteArrayView separator("\xA4\xA4", 2);
    const qsizetype bad = firstInvalidUtf8(bytes);
    qsizetype at = bytes.indexOf(separator);
    if (bytes.sliced(bad).startsWith(separator) && bytes.sliced(bad + 2).isValidUtf8())
        at = bad;
    if (at < 0)
        return decodeListField(bytes);
    return decodeListField(bytes.first(at)) + ListFieldSeparator() +
           decodeListField(bytes.sliced(at + 2));
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
