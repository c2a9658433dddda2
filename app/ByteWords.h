#pragma once

#include <QtEndian>
#include <QtGlobal>

// Eight bytes handled at once as one 64-bit word, the first byte lowest.
namespace ByteWords
{

constexpr quint64 Ones = 0x0101010101010101ULL;
constexpr quint64 HighBits = 0x8080808080808080ULL;
constexpr quint64 LowBits = 0x7F7F7F7F7F7F7F7FULL;

inline quint64 load(const void* bytes)
{
    return qFromLittleEndian<quint64>(bytes);
}

// 0x80 in each byte of w that is zero, nothing elsewhere.
inline quint64 zeroBytes(quint64 w)
{
    return ~(((w & LowBits) + LowBits) | w) & HighBits;
}

// 0x80 in each byte of w that is c.
inline quint64 bytesEqualTo(quint64 w, uchar c)
{
    return zeroBytes(w ^ (Ones * c));
}

} // namespace ByteWords
