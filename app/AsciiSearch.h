#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <optional>

// Finds an ASCII pattern in ASCII bytes, comparing as QString::indexOf compares such texts
// with cs: case-insensitively, a-z and A-Z alike and every other character as itself.
// Eight places are tried at a time for two of the pattern's least common characters; the
// whole pattern is compared only where both stand.
class AsciiFinder
{
public:
    // Nothing when the pattern holds a character beyond ASCII.
    static std::optional<AsciiFinder> forPattern(QStringView pattern, Qt::CaseSensitivity cs);

    qsizetype size() const { return m_pattern.size(); }
    // The first occurrence starting in [from, hay.size() - size()], or -1.
    qsizetype indexIn(QByteArrayView hay, qsizetype from) const;
    // The last occurrence starting in [0, from], or -1.
    qsizetype lastIndexIn(QByteArrayView hay, qsizetype from) const;

private:
    AsciiFinder(QByteArray folded, Qt::CaseSensitivity cs);

    // One bit (0x80) in each byte of the eight places from at on where both characters stand.
    quint64 candidatesAt(const char* at) const;
    bool matchesAt(const char* at) const;

    QByteArray m_pattern; // lower case when case-insensitive
    Qt::CaseSensitivity m_cs;
    qsizetype m_anchor[2] = {0, 0};    // where the two characters stand in the pattern
    quint64 m_anchorBytes[2] = {0, 0}; // each repeated eight times
};
