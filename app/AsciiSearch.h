#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <optional>

// Finds an ASCII pattern in ASCII bytes (Boyer-Moore-Horspool), comparing as
// QString::indexOf compares such texts with cs: case-insensitively, a-z and A-Z alike and
// every other character as itself.
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

    uchar fold(char c) const { return m_fold[uchar(c)]; }
    bool matchesAt(const char* at) const;

    QByteArray m_pattern; // folded
    std::array<uchar, 256> m_fold{};
    // How far the pattern may move on when the byte under its last (first) character
    // does not let it match there.
    std::array<qsizetype, 256> m_skip{};
    std::array<qsizetype, 256> m_skipBack{};
};
