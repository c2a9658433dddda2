#include "tools/Calculator.h"

#include <QStringView>

#include <limits>
#include <optional>

namespace
{

using Int128 = __int128;

const QString InvalidOperation = QStringLiteral("Invalid floating point operation");
const QString DivisionByZero = QStringLiteral("Floating point division by zero");

constexpr int DecimalPlaces = 4;      // the Accumulator counts ten-thousandths
constexpr int MantissaDigits = 19;    // 10^19 times any Accumulator stays within 128 bits
constexpr int LargestPowerOfTen = 38; // the largest one within 128 bits
constexpr int ShownDigits = 15;
// Far beyond 64 bits, yet adding a 64-bit number to it cannot overflow.
constexpr Int128 QuotientLimit = Int128(1) << 100;

// An exact decimal number: mantissa times 10 to the exponent, |mantissa| <= 10^19.
struct Decimal {
    Int128 mantissa = 0;
    int exponent = 0;
};

// The new Accumulator, or the arithmetic error that prevented it.
struct Combination {
    qint64 accumulator = 0;
    QString error;
};

std::optional<Int128> powerOfTen(int exponent)
{
    if (exponent < 0 || exponent > LargestPowerOfTen)
        return std::nullopt;
    Int128 power = 1;
    for (int i = 0; i < exponent; ++i)
        power *= 10;
    return power;
}

std::optional<Int128> product(Int128 a, std::optional<Int128> b)
{
    Int128 result = 0;
    if (!b || __builtin_mul_overflow(a, *b, &result))
        return std::nullopt;
    return result;
}

// A value between two neighbouring integers goes to the upper one when it lies above half
// way (versusHalf > 0), or exactly half way with an odd lower one.
bool roundsUp(int versusHalf, bool lowerIsOdd)
{
    return versusHalf > 0 || (versusHalf == 0 && lowerIsOdd);
}

// whole + numerator / denominator (denominator > 0) to the nearest integer, halves to even;
// nullopt when that is beyond 64 bits.
std::optional<qint64> nearest(Int128 whole, Int128 numerator, Int128 denominator)
{
    Int128 quotient = numerator / denominator;
    Int128 remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    if (quotient > QuotientLimit || quotient < -QuotientLimit)
        return std::nullopt;
    const Int128 lower = whole + quotient;
    const Int128 rest = denominator - remainder;
    const int versusHalf = remainder < rest ? -1 : (remainder > rest ? 1 : 0);
    const Int128 result = lower + (roundsUp(versusHalf, lower % 2 != 0) ? 1 : 0);
    if (result < std::numeric_limits<qint64>::min() || result > std::numeric_limits<qint64>::max())
        return std::nullopt;
    return qint64(result);
}

// whole + numerator * 10^scale / divisor rounded as nearest does. The divisor is at most 10^19,
// so a numerator too large for 128 bits means a result far beyond 64 bits; a denominator too
// large for them (with a numerator of at most 10^38) a fraction far below one half.
std::optional<qint64> scaledNearest(Int128 whole, Int128 numerator, int scale, Int128 divisor)
{
    if (numerator == 0)
        return nearest(whole, 0, 1);
    if (scale >= 0) {
        const std::optional<Int128> scaled = product(numerator, powerOfTen(scale));
        return scaled ? nearest(whole, *scaled, divisor) : std::nullopt;
    }
    const std::optional<Int128> denominator = product(divisor, powerOfTen(-scale));
    return denominator ? nearest(whole, numerator, *denominator) : nearest(whole, 0, 1);
}

Int128 valueOfDigits(QStringView digits)
{
    Int128 value = 0;
    for (const QChar digit : digits)
        value = value * 10 + (digit.unicode() - u'0');
    return value;
}

// digits times 10 to the exponent, rounded to MantissaDigits significant digits.
Decimal decimalOf(QString digits, int exponent, bool negative)
{
    qsizetype leadingZeros = 0;
    while (leadingZeros < digits.size() && digits.at(leadingZeros) == u'0')
        ++leadingZeros;
    digits.remove(0, leadingZeros);
    while (digits.endsWith(u'0')) {
        digits.chop(1);
        ++exponent;
    }
    const QStringView kept = QStringView(digits).left(MantissaDigits);
    Int128 mantissa = valueOfDigits(kept);
    if (digits.size() > MantissaDigits) {
        // Without trailing zeros, what is dropped is exactly one half only when it is "5".
        const QStringView dropped = QStringView(digits).mid(MantissaDigits);
        const int versusHalf = dropped == u"5" ? 0 : (dropped.front() >= u'5' ? 1 : -1);
        if (roundsUp(versusHalf, mantissa % 2 != 0))
            ++mantissa;
        exponent += int(dropped.size());
    }
    return {negative ? -mantissa : mantissa, exponent};
}

// The number that the entry stands for, or nullopt when it is none.
std::optional<Decimal> readEntry(QStringView entry)
{
    const bool negative = entry.startsWith(u'-');
    QString digits;
    int decimals = 0;
    bool comma = false;
    for (const QChar character : entry.mid(negative ? 1 : 0)) {
        if (character >= u'0' && character <= u'9') {
            digits += character;
            decimals += comma ? 1 : 0;
        } else if (character == u',' && !comma) {
            comma = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits.isEmpty())
        return std::nullopt;
    return decimalOf(digits, -decimals, negative);
}

// The Accumulator combined with the value v by op: the value stands alone (no operator), is
// added, subtracted, multiplied with or divides the Accumulator.
Combination combine(qint64 accumulator, CalcOperator op, const Decimal& v)
{
    // The result is whole + numerator * 10^scale / divisor.
    Int128 whole = 0;
    Int128 numerator = v.mantissa;
    int scale = v.exponent + DecimalPlaces;
    Int128 divisor = 1;
    switch (op) {
    case CalcOperator::None:
        break;
    case CalcOperator::Add:
        whole = accumulator;
        break;
    case CalcOperator::Subtract:
        whole = accumulator;
        numerator = -numerator;
        break;
    case CalcOperator::Multiply:
        numerator = v.mantissa * accumulator;
        scale = v.exponent;
        break;
    case CalcOperator::Divide:
        if (v.mantissa == 0)
            return {0, DivisionByZero};
        numerator = v.mantissa < 0 ? -Int128(accumulator) : Int128(accumulator);
        divisor = v.mantissa < 0 ? -v.mantissa : v.mantissa;
        scale = -v.exponent;
        break;
    }
    const std::optional<qint64> result = scaledNearest(whole, numerator, scale, divisor);
    if (!result)
        return {0, InvalidOperation};
    return {*result, QString()};
}

} // namespace

QString FormatCalculatorValue(qint64 tenThousandths)
{
    quint64 magnitude = tenThousandths < 0 ? 0 - quint64(tenThousandths) : quint64(tenThousandths);
    // Any value is below 10^15: rounding to 15 digits takes decimals only, and the exponent
    // form of the general format is never needed.
    const int excess = int(QString::number(magnitude).size()) - ShownDigits;
    if (excess > 0) {
        const Int128 unit = *powerOfTen(excess);
        magnitude = quint64(*nearest(0, magnitude, unit) * unit);
    }
    const quint64 unit = quint64(*powerOfTen(DecimalPlaces));
    QString text = QString::number(magnitude / unit);
    QString decimals = QString::number(magnitude % unit).rightJustified(DecimalPlaces, u'0');
    while (decimals.endsWith(u'0'))
        decimals.chop(1);
    if (!decimals.isEmpty())
        text += QLatin1Char(',') + decimals;
    if (tenThousandths < 0)
        text.prepend(u'-');
    return text;
}

CalculatorStep Calculator::shown() const
{
    return {m_display, QString(), MessageKind::Information};
}

CalculatorStep Calculator::refused(const QString& message) const
{
    return {m_display, message, MessageKind::Error};
}

CalculatorStep Calculator::typed(QChar character)
{
    if (m_entry.size() < DisplayLength) {
        m_entry += character;
        m_display = m_entry;
    }
    return shown();
}

CalculatorStep Calculator::Digit(int digit)
{
    if (digit == 0 && m_entry.isEmpty()) {
        m_entry = QStringLiteral("1");
        m_display = m_entry;
        return {m_display, QStringLiteral("You cannot divide by zero."), MessageKind::Information};
    }
    return typed(QChar(u'0' + digit));
}

CalculatorStep Calculator::Comma()
{
    return typed(u',');
}

CalculatorStep Calculator::ApplyOperator(CalcOperator op)
{
    if (m_entry.isEmpty())
        return shown();
    const std::optional<Decimal> value = readEntry(m_entry);
    if (!value)
        return refused(QStringLiteral("'") + m_entry +
                       QStringLiteral("' is not a valid floating point value"));
    const Combination combined = combine(m_accumulator, m_pendingOperator, *value);
    if (!combined.error.isEmpty())
        return refused(combined.error);
    m_accumulator = combined.accumulator;
    m_pendingOperator = op;
    m_display = FormatCalculatorValue(m_accumulator);
    m_entry.clear();
    return shown();
}

CalculatorStep Calculator::Equals()
{
    const CalculatorStep combined = ApplyOperator(CalcOperator::None);
    if (!combined.message.isEmpty())
        return combined;
    m_entry = m_display;
    m_display = FormatCalculatorValue(m_accumulator);
    return shown();
}

CalculatorStep Calculator::DeleteLast()
{
    if (m_entry.size() > 1) {
        m_entry.chop(1);
        if (m_entry.endsWith(u','))
            m_entry.chop(1);
        m_display = m_entry;
    }
    return shown();
}

CalculatorStep Calculator::Clear()
{
    m_accumulator = 0;
    m_pendingOperator = CalcOperator::None;
    m_entry.clear();
    m_display = QStringLiteral("0");
    return shown();
}
