#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Reads a 32-bit signed integer the way numbers are typed into macros and the auto-complete
// list: blanks first, an optional sign, then decimal digits, or hexadecimal digits after "$"
// or "0x". Hexadecimal gives the 32-bit pattern ("$FFFFFFFF" is -1); a decimal number
// outside the 32-bit range, trailing characters or no digits at all give nullopt.
std::optional<qint32> ReadInteger(QStringView text);

// a + b and a - b in 32 bits, wrapping around instead of overflowing.
qint32 WrappingSum(qint32 a, qint32 b);
qint32 WrappingDifference(qint32 a, qint32 b);
