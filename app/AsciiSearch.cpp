#include "app/AsciiSearch.h"

#include <cstring>

namespace
{

uchar asciiLower(uchar c)
{
    return c >= 'A' && c <= 'Z' ? uchar(c - 'A' + 'a') : c;
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

AsciiFinder::AsciiFinder(QByteArray folded, Qt::CaseSensitivity cs) : m_pattern(std::move(folded))
{
    for (int c = 0; c < 256; ++c)
        m_fold[std::size_t(c)] = cs == Qt::CaseSensitive ? uchar(c) : asciiLower(uchar(c));
    const qsizetype size = m_pattern.size();
    m_skip.fill(size);
    m_skipBack.fill(size);
    // Indexed by the byte as it stands in the text: both cases of a letter move alike.
    const auto set = [cs](std::array<qsizetype, 256>& table, char c, qsizetype distance) {
        table[uchar(c)] = distance;
        if (cs == Qt::CaseInsensitive && c >= 'a' && c <= 'z')
            table[uchar(c - 'a' + 'A')] = distance;
    };
    for (qsizetype i = 0; i + 1 < size; ++i)
        set(m_skip, m_pattern[i], size - 1 - i);
    for (qsizetype i = size - 1; i >= 1; --i)
        set(m_skipBack, m_pattern[i], i);
}

bool AsciiFinder::matchesAt(const char* at) const
{
    const char* pattern = m_pattern.constData();
    for (qsizetype i = 0; i < m_pattern.size(); ++i) {
        if (fold(at[i]) != uchar(pattern[i]))
            return false;
    }
    return true;
}

qsizetype AsciiFinder::indexIn(QByteArrayView hay, qsizetype from) const
{
    const qsizetype size = m_pattern.size();
    const char* data = hay.data();
    const qsizetype last = hay.size() - size;
    if (size == 1 && m_fold['A'] == 'A') {
        if (from > last)
            return -1;
        const void* at = std::memchr(data + from, m_pattern[0], std::size_t(hay.size() - from));
        return at ? static_cast<const char*>(at) - data : -1;
    }
    const uchar end = uchar(m_pattern[size - 1]);
    for (qsizetype i = qMax<qsizetype>(0, from); i <= last;) {
        const char c = data[i + size - 1];
        if (fold(c) == end && matchesAt(data + i))
            return i;
        i += m_skip[uchar(c)];
    }
    return -1;
}

qsizetype AsciiFinder::lastIndexIn(QByteArrayView hay, qsizetype from) const
{
    const qsizetype size = m_pattern.size();
    const char* data = hay.data();
    const uchar first = uchar(m_pattern[0]);
    for (qsizetype i = qMin(from, hay.size() - size); i >= 0;) {
        const char c = data[i];
        if (fold(c) == first && matchesAt(data + i))
            return i;
        i -= m_skipBack[uchar(c)];
    }
    return -1;
}
