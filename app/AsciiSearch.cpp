#include "app/AsciiSearch.h"

#include "app/ByteWords.h"

#include <QtAlgorithms>

#include <cstring>

namespace
{

using namespace ByteWords;

uchar asciiLower(uchar c)
{
    return c >= 'A' && c <= 'Z' ? uchar(c - 'A' + 'a') : c;
}

// Eight ASCII bytes with A-Z made a-z.
quint64 lowerBytes(quint64 w)
{
    const quint64 fromA = w + Ones * (0x80 - 'A'); // high bit set from 'A' on
    const quint64 pastZ = w + Ones * (0x80 - 'Z' - 1);
    return w | ((fromA & ~pastZ & HighBits) >> 2);
}

// How often a character turns up in ordinary text, roughly: higher is more often.
int commonness(uchar c, Qt::CaseSensitivity cs)
{
    static const char byFrequency[] = " etaoinsrhldcumfpgwybvkxjqz"; // most common first
    const char* letter = c == 0 ? nullptr : std::strchr(byFrequency, asciiLower(c));
    if (letter) {
        const int rank = 100 - int(letter - byFrequency);
        // Capitals on their own are rarer than small letters.
        return cs == Qt::CaseSensitive && c >= 'A' && c <= 'Z' ? rank / 2 : rank;
    }
    if (c == '\n' || c == '\t')
        return 60;
    return c >= '0' && c <= '9' ? 30 : 20;
}

} // namespace

std::optional<AsciiFinder> AsciiFinder::forPattern(QStringView pattern, Qt::CaseSensitivity cs)
{
    if (pattern.isEmpty())
        return std::nullopt;
    QByteArray bytes(pattern.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i].unicode();
        if (c >= 0x80)
            return std::nullopt;
        bytes[i] = char(cs == Qt::CaseSensitive ? c : asciiLower(uchar(c)));
    }
    return AsciiFinder(bytes, cs);
}

AsciiFinder::AsciiFinder(QByteArray folded, Qt::CaseSensitivity cs)
    : m_pattern(std::move(folded)), m_cs(cs)
{
    const auto rarer = [&](qsizetype a, qsizetype b) {
        return commonness(uchar(m_pattern[a]), cs) < commonness(uchar(m_pattern[b]), cs);
    };
    for (qsizetype i = 1; i < m_pattern.size(); ++i) {
        if (rarer(i, m_anchor[0]))
            m_anchor[0] = i;
    }
    // And the end of the pattern farther from it: letters far apart in a text repeat
    // together less often.
    const qsizetype end = m_pattern.size() - 1;
    m_anchor[1] = m_anchor[0] > end - m_anchor[0] ? 0 : end;
    for (int k = 0; k < 2; ++k)
        m_anchorBytes[k] = Ones * uchar(m_pattern[m_anchor[k]]);
}

quint64 AsciiFinder::candidatesAt(const char* at) const
{
    quint64 first = load(at + m_anchor[0]);
    quint64 second = load(at + m_anchor[1]);
    if (m_cs == Qt::CaseInsensitive) {
        first = lowerBytes(first);
        second = lowerBytes(second);
    }
    return zeroBytes(first ^ m_anchorBytes[0]) & zeroBytes(second ^ m_anchorBytes[1]);
}

bool AsciiFinder::matchesAt(const char* at) const
{
    const char* pattern = m_pattern.constData();
    if (m_cs == Qt::CaseSensitive)
        return std::memcmp(at, pattern, std::size_t(m_pattern.size())) == 0;
    for (qsizetype i = 0; i < m_pattern.size(); ++i) {
        if (asciiLower(uchar(at[i])) != uchar(pattern[i]))
            return false;
    }
    return true;
}

qsizetype AsciiFinder::indexIn(QByteArrayView hay, qsizetype from) const
{
    const char* data = hay.data();
    const qsizetype last = hay.size() - size();
    qsizetype i = qMax<qsizetype>(0, from);
    for (; i + 7 <= last; i += 8) {
        for (quint64 hits = candidatesAt(data + i); hits != 0; hits &= hits - 1) {
            const qsizetype at = i + qCountTrailingZeroBits(hits) / 8;
            if (matchesAt(data + at))
                return at;
        }
    }
    for (; i <= last; ++i) {
        if (matchesAt(data + i))
            return i;
    }
    return -1;
}

qsizetype AsciiFinder::lastIndexIn(QByteArrayView hay, qsizetype from) const
{
    const char* data = hay.data();
    qsizetype i = qMin(from, hay.size() - size()); // the last place not yet tried
    for (; i >= 7; i -= 8) {
        quint64 hits = candidatesAt(data + i - 7);
        while (hits != 0) {
            const int bit = 63 - int(qCountLeadingZeroBits(hits));
            const qsizetype at = i - 7 + bit / 8;
            if (matchesAt(data + at))
                return at;
            hits &= ~(quint64(1) << bit);
        }
    }
    for (; i >= 0; --i) {
        if (matchesAt(data + i))
            return i;
    }
    return -1;
}
